#pragma once

#include <QByteArray>

// Whether read-only snapshots of the btrfs subvolume a drive's root lies in
// exist: a snapshot keeps every block it shares with the subvolume until it
// is removed, so deleting files there may free nothing.
class CBtrfsSnapshots
{
public:
    enum class Answer { None, Some, Unknown };

    // Looks through every subvolume of the file system where we may (root);
    // otherwise, or with `bWholeFileSystem` false, through the subvolumes
    // below the root, a few levels deep, as any user may. Unknown where
    // neither can be read (not btrfs, an old kernel).
    static Answer Find(const QByteArray &root, bool bWholeFileSystem = true);
};
