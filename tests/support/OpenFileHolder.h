#pragma once

#include <QByteArray>
#include <sys/types.h>

// A child process that holds one file open until the holder goes: what a
// running program keeping a log open looks like to the scan. With `bLock`
// it also holds an exclusive lock on it (`flock`), as a tool that locks a
// folder to keep cleaners off it does; `path` may then be a folder.
class OpenFileHolder
{
public:
    explicit OpenFileHolder(const QByteArray &path, bool bLock = false);
    ~OpenFileHolder();
    OpenFileHolder(const OpenFileHolder &) = delete;
    OpenFileHolder &operator=(const OpenFileHolder &) = delete;

    // Whether the child has the file open now.
    bool isHolding() const { return m_bHolding; }
    // Ends the child; later calls do nothing.
    void stop();

private:
    pid_t m_child = -1;
    bool m_bHolding = false;
};
