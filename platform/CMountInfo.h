#pragma once

#include <QByteArray>
#include <QList>

// One line of /proc/self/mountinfo, with the octal escapes of its paths
// (\040 for a space and so on) already decoded.
struct MountEntry
{
    int mountId = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    QByteArray root;        // the folder of the file system seen at the mount point
    QByteArray mountPoint;
    QByteArray fsType;      // "ext4", "fuse.sshfs", ...
    QByteArray source;      // "/dev/sda1", "server:/export", "tmpfs", ...
};

class CMountInfo
{
public:
    // Lines that do not have the expected shape are skipped.
    static QList<MountEntry> Parse(const QByteArray &text);
    static QByteArray ReadSystem();
    // Undoes the kernel's \ooo escapes; anything else is kept as it is.
    static QByteArray DecodeField(const QByteArray &field);
};
