#include "platform/DeviceOf.h"

#include <sys/stat.h>

bool DeviceOf(int fd, dev_t &device)
{
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return false;
    device = info.st_dev;
    return true;
}
