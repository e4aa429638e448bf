#pragma once

#include <QByteArray>
#include <sys/types.h>

// A child process that holds one file open until the holder goes: what a
// running program keeping a log open looks like to the scan. With `bLock`
// it also holds an exclusive lock on it (`flock`), as a tool that locks a
// folder to keep cleaners off it does; `path` may then be a folder. With
// `bUnlink` it removes the file's name once it has it open: a deleted file
// still taking its space, as a program's log removed under it.
class OpenFileHolder
{
public:
    explicit OpenFileHolder(const QByteArray &path, bool bLock = false, bool bUnlink = false);
    ~OpenFileHolder();
    OpenFileHolder(const OpenFileHolder &) = delete;
    OpenFileHolder &operator=(const OpenFileHolder &) = delete;

    // Whether the child has the file open now.
    bool isHolding() const { return m_bHolding; }
    pid_t pid() const { return m_child; }
    // Ends the child; later calls do nothing.
    void stop();

private:
    pid_t m_child = -1;
    bool m_bHolding = false;
};
