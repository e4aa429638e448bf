#pragma once

#include "platform/FileIdentity.h"

#include <QByteArray>

// What stands at a path, looked at without following a final symbolic link.
struct PathInfo
{
    enum Kind { Missing, Folder, File, Link, Other };
    Kind kind = Missing;
    int error = 0;          // errno when the look failed (ENOENT for Missing)
    FileIdentity identity;  // valid unless Missing
};

// Path-level helpers for a program run from a shell: where a folder really
// is, what stands at a path, and whole small files read and replaced in one
// piece. Paths are raw bytes throughout.
class CPathInfo
{
public:
    static PathInfo LookUp(const QByteArray &path);
    // The absolute path with every link, "." and ".." resolved; empty when
    // the path does not exist or cannot be resolved (`error` says why).
    static QByteArray Canonical(const QByteArray &path, int &error);
    static QByteArray Canonical(const QByteArray &path)
    {
        int error = 0;
        return Canonical(path, error);
    }
    // The absolute form of `path` relative to the current folder, without
    // resolving anything; empty when the current folder is unknown.
    static QByteArray Absolute(const QByteArray &path);

    static bool IsTerminal(int fd);

    // Reads a whole file of at most `limit` bytes.
    static bool ReadFile(const QByteArray &path, qint64 limit, QByteArray &data, int &error);
    // Writes `data` to a new file beside `path`, flushes it and only then
    // renames it over `path`: a reader sees the old file or the whole new
    // one, never a part.
    static bool ReplaceFile(const QByteArray &path, const QByteArray &data, int &error);
};
