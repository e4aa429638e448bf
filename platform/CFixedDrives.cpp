#include "platform/CFixedDrives.h"

#include "platform/CPathInfo.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

bool IsPseudoType(const QByteArray &type)
{
    static const QByteArrayList pseudo = {
        "proc",     "sysfs",      "tmpfs",   "devtmpfs", "devpts",      "cgroup",    "cgroup2",
        "securityfs", "debugfs",  "tracefs", "configfs", "fusectl",     "mqueue",    "hugetlbfs",
        "pstore",   "bpf",        "autofs",  "binfmt_misc", "efivarfs", "ramfs",     "rpc_pipefs",
        "nsfs",     "overlay",    "selinuxfs", "rootfs",  "aufs",       "zram"};
    return pseudo.contains(type);
}

// Read-only images (snap packages, discs) free no space when cleaned.
bool IsImageType(const QByteArray &type)
{
    static const QByteArrayList images = {"squashfs", "iso9660", "udf", "erofs", "cramfs"};
    return images.contains(type);
}

bool IsNetworkType(const QByteArray &type)
{
    static const QByteArrayList network = {"nfs",   "nfs4",      "cifs",   "smb3",  "smbfs",
                                           "ncpfs", "9p",        "afs",    "ceph",  "glusterfs",
                                           "lustre", "davfs",    "sshfs",  "fuse",  "coda",
                                           "ocfs2", "gfs2",      "virtiofs"};
    // Any FUSE file system with a subtype may be remote (sshfs, rclone...);
    // only fuseblk is known to sit on a local block device.
    return network.contains(type) || type.startsWith("fuse.");
}

QByteArray ReadSmallFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char buffer[64];
    ssize_t n;
    do {
        n = ::read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    return n > 0 ? QByteArray(buffer, n).trimmed() : QByteArray();
}

// udev writes bytes that are unsafe in a file name as \xHH.
QString DecodeLinkName(const QByteArray &name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            bool ok = false;
            const int value = name.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return QString::fromUtf8(out);
}

struct Candidate
{
    MountEntry entry;
    qsizetype order = 0;
};

// Which mount of one device to show: a mount of the whole file system beats a
// mount of one of its folders, then the shorter path, then the earlier mount.
bool Better(const Candidate &a, const Candidate &b)
{
    const bool aWhole = a.entry.root == "/";
    const bool bWhole = b.entry.root == "/";
    if (aWhole != bWhole)
        return aWhole;
    if (a.entry.mountPoint.size() != b.entry.mountPoint.size())
        return a.entry.mountPoint.size() < b.entry.mountPoint.size();
    return a.order < b.order;
}

} // namespace

bool CFixedDrives::IsLocalBlockFileSystem(const MountEntry &entry)
{
    if (IsPseudoType(entry.fsType) || IsImageType(entry.fsType) || IsNetworkType(entry.fsType))
        return false;
    return entry.source.startsWith("/dev/");
}

QList<FixedDrive> CFixedDrives::List(const QByteArray &mountInfo, const Probe &probe)
{
    const QList<MountEntry> entries = CMountInfo::Parse(mountInfo);

    // A later mount on the same path hides the earlier one.
    QHash<QByteArray, Candidate> visible;
    for (qsizetype i = 0; i < entries.size(); ++i)
        visible.insert(entries[i].mountPoint, Candidate{entries[i], i});

    QHash<quint64, Candidate> byDevice;
    for (const Candidate &candidate : std::as_const(visible)) {
        const MountEntry &entry = candidate.entry;
        if (entry.mountPoint != "/") {
            if (!IsLocalBlockFileSystem(entry))
                continue;
            if (probe.isFolder && !probe.isFolder(entry.mountPoint))
                continue;
            if (probe.isRemovable && probe.isRemovable(entry))
                continue;
        }
        const quint64 key = (quint64(entry.major) << 32) | entry.minor;
        auto found = byDevice.find(key);
        if (found == byDevice.end())
            byDevice.insert(key, candidate);
        else if (Better(candidate, *found))
            *found = candidate;
    }

    QList<Candidate> chosen = byDevice.values();
    std::sort(chosen.begin(), chosen.end(), [](const Candidate &a, const Candidate &b) {
        return a.entry.mountPoint < b.entry.mountPoint;
    });

    QList<FixedDrive> drives;
    drives.reserve(chosen.size());
    for (const Candidate &candidate : std::as_const(chosen)) {
        const MountEntry &entry = candidate.entry;
        FixedDrive drive;
        drive.mountPoint = entry.mountPoint;
        drive.displayPath = QFile::decodeName(entry.mountPoint);
        drive.fsType = entry.fsType;
        drive.source = entry.source;
        drive.major = entry.major;
        drive.minor = entry.minor;
        if (probe.readLabel)
            drive.label = probe.readLabel(entry);
        if (probe.querySpace) {
            const DiskSpace space = probe.querySpace(entry.mountPoint);
            drive.totalBytes = space.totalBytes;
            drive.freeBytes = space.freeBytes;
        }
        drives.append(drive);
    }
    return drives;
}

QList<FixedDrive> CFixedDrives::List()
{
    return List(CMountInfo::ReadSystem(), SystemProbe());
}

CFixedDrives::Probe CFixedDrives::SystemProbe()
{
    Probe probe;
    probe.isRemovable = [](const MountEntry &entry) {
        unsigned major = entry.major;
        unsigned minor = entry.minor;
        // btrfs reports an anonymous device number; its source names the disk.
        if (major == 0) {
            struct stat info {};
            if (::stat(entry.source.constData(), &info) != 0 || !S_ISBLK(info.st_mode))
                return false;
            major = ::major(info.st_rdev);
            minor = ::minor(info.st_rdev);
        }
        return IsRemovableDevice(major, minor);
    };
    probe.isFolder = [](const QByteArray &mountPoint) {
        struct stat info {};
        return ::stat(mountPoint.constData(), &info) == 0 && S_ISDIR(info.st_mode);
    };
    probe.readLabel = [](const MountEntry &entry) {
        const QString label = ReadKernelLabel(entry.mountPoint);
        if (!label.isEmpty())
            return label;
        return ReadLinkLabel(entry, QByteArrayLiteral("/dev/disk/by-label"));
    };
    probe.querySpace = &CDiskSpace::Query;
    return probe;
}

bool CFixedDrives::IsRemovableDevice(unsigned major, unsigned minor, const QByteArray &sysRoot)
{
    const QByteArray device =
        sysRoot + "/dev/block/" + QByteArray::number(major) + ':' + QByteArray::number(minor);
    QByteArray flag = ReadSmallFile(device + "/removable");
    if (flag.isEmpty())
        flag = ReadSmallFile(device + "/../removable");  // a partition: ask its disk
    if (flag == "1")
        return true;
    // USB disks often call themselves fixed; the user still unplugs them.
    const QByteArray resolved = CPathInfo::Canonical(device);
    return resolved.contains("/usb");
}

QString CFixedDrives::ReadKernelLabel(const QByteArray &mountPoint)
{
    const int fd = ::open(mountPoint.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char label[FSLABEL_MAX + 1] = {};
    const int rc = ::ioctl(fd, FS_IOC_GETFSLABEL, label);
    ::close(fd);
    if (rc != 0)
        return {};
    label[FSLABEL_MAX] = '\0';
    return QString::fromUtf8(label);
}

QString CFixedDrives::ReadLinkLabel(const MountEntry &entry, const QByteArray &byLabelFolder)
{
    DIR *folder = ::opendir(byLabelFolder.constData());
    if (!folder)
        return {};
    const QByteArray sourcePath = CPathInfo::Canonical(entry.source);
    const dev_t device = ::makedev(entry.major, entry.minor);
    QString label;
    while (const dirent *item = ::readdir(folder)) {
        const QByteArray name(item->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray link = byLabelFolder + '/' + name;
        bool same = !sourcePath.isEmpty() && CPathInfo::Canonical(link) == sourcePath;
        if (!same && entry.major != 0) {
            struct stat info {};
            same = ::stat(link.constData(), &info) == 0 && S_ISBLK(info.st_mode)
                   && info.st_rdev == device;
        }
        if (same) {
            label = DecodeLinkName(name);
            break;
        }
    }
    ::closedir(folder);
    return label;
}

QString CFixedDrives::EntryText(const FixedDrive &drive)
{
    return drive.displayPath + QStringLiteral(" ( ") + drive.label + QStringLiteral(" )");
}
