#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <functional>

// Reads the package manager's own record of what it installed: one list of
// paths per package (info/*.list, one path from the system's "/" per line)
// and the diversions (three lines each: the path a package's file was meant
// for, the path it was put at instead, the package that diverted it).
// Nothing is written and nothing is cached: the caller keeps what it needs.
class CDpkgReader
{
public:
    using PathHandler = std::function<void(const char *path, std::size_t length)>;
    using DiversionHandler = std::function<void(const QByteArray &from, const QByteArray &to)>;

    // `databaseFolder`: the folder holding info/ and diversions.
    explicit CDpkgReader(QByteArray databaseFolder);

    // Whether the folder holds a package database (its info folder opens).
    bool Exists() const;
    // Hands every path of every list to `handler`; returns the number of
    // lists read, -1 when there is no info folder.
    int ReadFileLists(const PathHandler &handler);
    // Hands every diversion to `handler`; returns how many there were.
    int ReadDiversions(const DiversionHandler &handler);

    int GetUnreadableLists() const { return m_nUnreadableLists; }
    std::int64_t GetBytesRead() const { return m_nBytesRead; }

private:
    bool ReadWhole(int dirFd, const char *name, QByteArray &content);

    QByteArray m_strFolder;
    int m_nUnreadableLists = 0;
    std::int64_t m_nBytesRead = 0;
};
