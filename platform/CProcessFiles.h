#pragma once

#include "platform/DeletedOpenFile.h"

#include <QByteArray>
#include <functional>
#include <sys/types.h>

// Finds the files running processes hold: every regular file a process has
// open (its descriptors) or mapped into memory (its memory map). Removing such
// a file frees nothing until the process lets go of it, and may break the
// process. Files are reported by device and inode, the one name a file has
// whatever path it was opened under.
class CProcessFiles
{
public:
    using FileHandler = std::function<void(dev_t device, ino_t inode)>;
    using DeletedHandler = std::function<void(const DeletedOpenFile &file)>;

    struct Stats
    {
        int processes = 0;  // processes looked at
        int unreadable = 0; // processes whose files we may not see (another user's)
    };

    // `procRoot`: where the process file system is mounted.
    explicit CProcessFiles(QByteArray procRoot = QByteArrayLiteral("/proc"));

    // Hands each file to `handler`, possibly more than once, and each
    // descriptor of a file with no name left to `deleted` (when given).
    Stats Read(const FileHandler &handler, const DeletedHandler &deleted = {}) const;
    // Hands each file or folder that holds a lock (POSIX, flock, open file
    // description, lease) to `handler`, from the system's table of locks;
    // false when there is no table to read.
    bool ReadLocks(const FileHandler &handler) const;
    // The lock table's text, one lock a line; a line the format does not
    // allow is passed over.
    static void ParseLocks(const char *text, std::size_t length, const FileHandler &handler);

private:
    static bool ReadDescriptors(int pidFd, const FileHandler &handler, const DeletedHandler &deleted, pid_t pid,
                                bool &denied);
    static bool ReadMaps(int pidFd, const FileHandler &handler, bool &denied);

    QByteArray m_strProcRoot;
};
