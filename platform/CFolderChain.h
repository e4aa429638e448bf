#pragma once

#include "platform/FileOpResult.h"

#include <QByteArray>
#include <sys/types.h>
#include <vector>

// A chain of folders from a drive root down to one folder, each reached by
// descriptor from its parent without following links (openat with
// O_NOFOLLOW | O_DIRECTORY), never by path.
//
// A deep tree would need one descriptor per level, more than a process may
// hold. So the chain keeps only some of them open: the few levels just above
// the one being worked on, and elsewhere every 16th (every 256th, ... as the
// chain grows).
// A level whose descriptor was closed is opened again from the nearest open
// level above it when it is asked for, and must then still be the folder it
// was (same device and inode); otherwise it counts as replaced. Climbing
// back up a chain therefore costs about one openat per level, and the
// number of open descriptors stays near the limit whatever the depth.
//
// Callers that go from one folder to the next (an action over the files of
// a results list, the walk) keep the chain and only pop and push the levels
// that differ, instead of opening every folder from the root for each file.
class CFolderChain
{
public:
    CFolderChain() = default;
    ~CFolderChain();
    CFolderChain(const CFolderChain &) = delete;
    CFolderChain &operator=(const CFolderChain &) = delete;

    // Empties the chain and starts it at `rootPath`, opened as named (a
    // mount point taken from the system's mount table). False when it
    // cannot be opened; `result` says why.
    bool OpenRoot(const QByteArray &rootPath, FileOpResult &result);
    // Empties the chain and starts it at an open root descriptor, which the
    // chain now owns.
    void AdoptRoot(int fd, dev_t device, ino_t inode);
    void Clear();

    // Levels in the chain, the root included (0 when empty).
    int GetDepth() const { return int(m_levels.size()); }
    const QByteArray &GetName(int level) const { return m_levels[std::size_t(level)].name; }

    // Adds a level below the last one; it is opened when first asked for.
    void Push(const QByteArray &name);
    // Adds a level that the caller has opened itself (the chain owns `fd`
    // now) and whose identity is known.
    void PushOpen(const QByteArray &name, int fd, dev_t device, ino_t inode);
    // Adds a level that is not open now but whose identity is known: it is
    // opened when first asked for, and must then still be that folder.
    void PushKnown(const QByteArray &name, dev_t device, ino_t inode);
    // Drops the levels below the first `depth` ones.
    void Truncate(int depth);

    // The descriptor of `level` (0 is the root), opening it and any closed
    // level above it as needed. -1 with `result` set when a folder on the
    // way is gone, is a link now, or is another folder than before.
    int GetFd(int level, FileOpResult &result);
    int GetLastFd(FileOpResult &result) { return GetFd(GetDepth() - 1, result); }
    // Whether the descriptor of `level` is open right now.
    bool IsOpen(int level) const { return m_levels[std::size_t(level)].fd >= 0; }
    int GetOpenCount() const { return m_nOpen; }
    // Closes what the chain can spare (all but every stride-th level and
    // the last few), for a caller whose own openat ran out of descriptors.
    void MakeRoom();

    // How many descriptors the chain may hold before it closes some (at
    // least 4; the default is DefaultOpenLimit() when the chain is made).
    void SetOpenLimit(int limit) { m_nOpenLimit = limit < 4 ? 4 : limit; }
    // A share of what the process may open (a quarter, from 4 to 64), so
    // that a low limit slows a deep walk or action (folders opened again on
    // the way back up) rather than leaving nothing for anything else.
    static int DefaultOpenLimit();

private:
    struct Level
    {
        QByteArray name;
        int fd = -1;
        dev_t device = 0;
        ino_t inode = 0;
        bool known = false; // device and inode recorded at the first opening
    };

    bool OpenLevel(int level, FileOpResult &result);
    // Closes levels outside keepFrom..keepTo until fewer than `target` are open.
    void Thin(int keepFrom, int keepTo, int target);
    void CloseLevel(Level &level);
    // Levels just above the one being opened that stay open.
    int KeptTail() const;

    std::vector<Level> m_levels;
    int m_nOpen = 0;
    int m_nOpenLimit = DefaultOpenLimit();
};
