#pragma once

#include <QByteArray>

// Removes a folder only if it is empty right now. The kernel's refusal to
// remove a folder that holds anything is the check, so a folder that gains an
// entry at any moment before the removal stays: there is no window between a
// look and the act. A mount point, a link or a file in the folder's place is
// left alone too. The folder is named by its parent's descriptor, which the
// caller reached without following links.
class CEmptyFolderRemover
{
public:
    enum class Outcome {
        Removed,
        Kept,       // not empty, not a folder (any more), or it could not be removed
        MountPoint, // something is mounted on it
        Gone,       // nothing under that name any more
    };

    static Outcome RemoveIfEmpty(int parentFd, const QByteArray &name);
};
