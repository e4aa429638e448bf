#pragma once

#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QSet>
#include <sys/stat.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Walks one drive, depth first, by descriptor: every folder is opened relative
// to its parent without following links, so a symlink is never entered and a
// folder renamed behind our back cannot send us somewhere else. The walk stays
// on the file system (and the mount) of its root, reports regular files and
// symbolic links only, and never opens a file.
//
// One record is reused for every file; handlers must copy what they keep.
class CDirectoryWalker
{
public:
    enum class Result {
        Completed,
        Cancelled,
        RootUnavailable, // the root could not be opened: nothing was reported
    };

    using FileHandler = std::function<void(const WalkRecord &record)>;
    using FolderHandler = std::function<void(const QByteArray &folder)>;
    // Asked before every entry; returning true ends the walk at once.
    using CancelCheck = std::function<bool()>;

    CDirectoryWalker();
    ~CDirectoryWalker();
    CDirectoryWalker(const CDirectoryWalker &) = delete;
    CDirectoryWalker &operator=(const CDirectoryWalker &) = delete;

    void SetFileHandler(FileHandler handler) { m_onFile = std::move(handler); }
    void SetFolderHandler(FolderHandler handler) { m_onFolder = std::move(handler); }
    void SetCancelCheck(CancelCheck check) { m_isCancelled = std::move(check); }

    // Walks everything below `root` (raw path bytes; a trailing slash is
    // ignored). Folders that cannot be opened are skipped with their subtree.
    Result Walk(const QByteArray &root);

    // Folders met during the last walk that could not be opened or read.
    std::int64_t GetSkippedFolders() const { return m_nSkippedFolders; }

private:
    struct Level
    {
        int fd = -1;
        int parentPathLength = 0; // length of the folder path to restore on leaving
        long used = 0;            // bytes of the entry buffer filled by the last read
        long pos = 0;             // next entry in the buffer
        char *buffer = nullptr;
    };

    void LoadMountPoints(const QByteArray &rootPath);
    bool IsMountPoint(const QByteArray &path) const;
    void EnterFolder(int parentFd, const char *name, std::size_t nameLength);
    void ReportFile(const char *name, std::size_t nameLength, const struct statx &st);
    bool IsOnRootMount(const struct statx &st) const;
    int OpenFolderAt(int parentFd, const char *name);
    void CloseAll();
    char *BufferForDepth(std::size_t depth);

    FileHandler m_onFile;
    FolderHandler m_onFolder;
    CancelCheck m_isCancelled;

    WalkRecord m_record; // m_record.folder is the path of the folder being read
    std::vector<Level> m_levels;
    std::vector<std::unique_ptr<char[]>> m_buffers; // one entry buffer per depth, kept between walks
    dev_t m_rootDevice = 0;
    std::uint64_t m_rootMountId = 0;
    bool m_bHaveMountId = false;
    // Mount points below the root, as paths relative to it ("/proc" for "/"),
    // so that folders need no statx of their own to be kept off other mounts.
    QSet<QByteArray> m_mountPoints;
    bool m_bKnowMountPoints = false;
    int m_nRootLength = 0;
    bool m_bRaisedFileLimit = false;
    std::int64_t m_nSkippedFolders = 0;
};
