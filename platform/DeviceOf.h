#pragma once

#include <sys/types.h>

// The device of the file system an open descriptor (O_PATH will do) lies
// on; false when the system cannot tell.
bool DeviceOf(int fd, dev_t &device);
