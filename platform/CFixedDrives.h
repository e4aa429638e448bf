#pragma once

#include "platform/CDiskSpace.h"
#include "platform/CMountInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

// A mounted local file system the user may clean: what stands in for a fixed
// drive letter.
struct FixedDrive
{
    QByteArray mountPoint;  // raw bytes, for every file operation
    QString displayPath;    // decoded, for display only
    QString label;          // empty when the file system has none
    QByteArray fsType;
    QByteArray source;
    unsigned major = 0;
    unsigned minor = 0;
    std::int64_t totalBytes = 0;
    std::int64_t freeBytes = 0;
};

class CFixedDrives
{
public:
    // Everything that asks the machine about a mount, so that tests can
    // describe disks that are not there. An empty function means: not
    // removable, is a folder, no label, no space known.
    struct Probe
    {
        std::function<bool(const MountEntry &)> isRemovable;
        std::function<bool(const QByteArray &mountPoint)> isFolder;
        std::function<QString(const MountEntry &)> readLabel;
        std::function<DiskSpace(const QByteArray &path)> querySpace;
    };

    // The probe that asks this machine (sysfs, ioctl, /dev/disk/by-label, statvfs).
    static Probe SystemProbe();

    // Fixed drives of this machine, in mount-path order.
    static QList<FixedDrive> List();
    // Fixed drives described by mountinfo text, in mount-path order: local
    // file systems on non-removable block devices, plus the root file system
    // whatever it is (an overlay in a container). A device mounted at several
    // places is listed once.
    static QList<FixedDrive> List(const QByteArray &mountInfo, const Probe &probe);

    // Whether the type and source name a local, block-device-backed file
    // system rather than a pseudo, network, FUSE or read-only image one.
    static bool IsLocalBlockFileSystem(const MountEntry &entry);

    // Reads the removable flag of a block device under a sysfs tree; a
    // partition answers for its disk, and anything attached by USB counts
    // as removable even when it does not say so.
    static bool IsRemovableDevice(unsigned major, unsigned minor,
                                  const QByteArray &sysRoot = QByteArrayLiteral("/sys"));

    // How a drive is named wherever one is offered: "<mount point> ( <label> )".
    static QString EntryText(const FixedDrive &drive);

    // The label of the file system mounted at `mountPoint`, from the kernel.
    static QString ReadKernelLabel(const QByteArray &mountPoint);
    // The label of `entry`'s device from a folder of label-named links such
    // as /dev/disk/by-label (whose names escape bytes as \xHH).
    static QString ReadLinkLabel(const MountEntry &entry, const QByteArray &byLabelFolder);
};
