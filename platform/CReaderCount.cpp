#include "platform/CReaderCount.h"

#include "platform/CMountInfo.h"
#include "platform/CPathInfo.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

bool Exists(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0;
}

QByteArray ReadSmallFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char buffer[64];
    const ssize_t read = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return read > 0 ? QByteArray(buffer, read).trimmed() : QByteArray();
}

QByteArray SysPathOf(dev_t device)
{
    return CPathInfo::Canonical("/sys/dev/block/" + QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device)));
}

int UsableCores()
{
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? int(online) : 1;
}

} // namespace

int CReaderCount::FromEnvironment()
{
    const char *text = std::getenv("BRIMVALE_READERS");
    if (!text || !*text)
        return 0;
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1)
        return 0;
    return int(std::min<long>(value, 64));
}

int CReaderCount::ForDrive(dev_t device, std::uint64_t mountId)
{
    if (const int chosen = FromEnvironment())
        return chosen;
    if (IsRotational(device, mountId))
        return 1;
    return std::min(2 * UsableCores(), kMostReaders);
}

bool CReaderCount::IsRotational(dev_t device, std::uint64_t mountId)
{
    QByteArray sysPath = SysPathOf(device);
    if (sysPath.isEmpty() && mountId != 0) {
        // File systems that number their own devices (btrfs, for one) name
        // the block device they live on in the mount table.
        for (const MountEntry &mount : CMountInfo::Parse(CMountInfo::ReadSystem())) {
            if (std::uint64_t(mount.mountId) != mountId || !mount.source.startsWith("/dev/"))
                continue;
            struct stat st;
            if (::stat(mount.source.constData(), &st) == 0 && S_ISBLK(st.st_mode))
                sysPath = SysPathOf(st.st_rdev);
            break;
        }
    }
    return !sysPath.isEmpty() && IsRotationalAt(sysPath);
}

bool CReaderCount::IsRotationalAt(const QByteArray &sysPath, int depth)
{
    if (sysPath.isEmpty() || depth > 8)
        return false;
    // A device-mapper or RAID device turns if any disk below it does.
    if (DIR *slaves = ::opendir((sysPath + "/slaves").constData())) {
        bool any = false;
        bool rotational = false;
        while (const dirent *entry = ::readdir(slaves)) {
            if (entry->d_name[0] == '.')
                continue;
            any = true;
            rotational = rotational || IsRotationalAt(CPathInfo::Canonical(sysPath + "/slaves/" + entry->d_name), depth + 1);
        }
        ::closedir(slaves);
        if (any)
            return rotational;
    }
    // A partition has no queue of its own: its disk is the folder above it.
    QByteArray disk = sysPath;
    if (Exists(sysPath + "/partition"))
        disk = sysPath.left(sysPath.lastIndexOf('/'));
    return !IsVirtualDisk(disk) && ReadSmallFile(disk + "/queue/rotational") == "1";
}

bool CReaderCount::IsVirtualDisk(const QByteArray &diskSysPath)
{
    // A paravirtual disk says it turns because its driver cannot ask what
    // lies behind it (commonly solid-state storage or a network volume,
    // which answer many requests at once); only the host knows.
    const QByteArray driver = CPathInfo::Canonical(diskSysPath + "/device/driver");
    const QByteArray name = driver.mid(driver.lastIndexOf('/') + 1);
    return name == "virtio_blk" || name == "vbd";
}
