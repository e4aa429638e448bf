#pragma once

#include "platform/DeletedOpenFile.h"

#include <sys/types.h>
#include <vector>

// Where the files running processes hold come from.
class COpenFileSource
{
public:
    struct FileKey
    {
        dev_t device = 0;
        ino_t inode = 0;
        bool operator<(const FileKey &other) const
        {
            return device != other.device ? device < other.device : inode < other.inode;
        }
        bool operator==(const FileKey &other) const = default;
    };

    struct OpenFiles
    {
        std::vector<FileKey> files; // any order, duplicates allowed
        // Files and folders that hold a lock: a tool that locks a folder
        // (the way temporary-file cleaners are told to keep off a tree)
        // is using everything below it. Any order, duplicates allowed.
        std::vector<FileKey> locked;
        // Descriptors of files whose names are all gone: space the drive
        // does not have back until their processes let go.
        std::vector<DeletedOpenFile> deleted;
        int processes = 0;
        int unreadableProcesses = 0; // processes whose files could not be seen
    };

    virtual ~COpenFileSource() = default;
    virtual OpenFiles LoadOpenFiles() = 0;
};
