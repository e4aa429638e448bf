#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <cstdint>
#include <ctime>

// A temporary folder that tests treat as a drive: files are made with exact
// sizes (sparse, so a 5 GB file costs no disk) and exact times.
class TempDrive
{
public:
    TempDrive();

    bool isValid() const { return m_dir.isValid(); }
    // Root path without a trailing slash, as raw bytes.
    QByteArray root() const;

    // Creates every missing folder of `relative` (a path below the root).
    bool makeFolder(const QByteArray &relative);
    // Creates (or truncates) a file of `size` bytes, making its folders first.
    bool makeFile(const QByteArray &relative, std::int64_t size = 0);
    // The same, with `bytes` for its content.
    bool writeFile(const QByteArray &relative, const QByteArray &bytes);
    // Whether anything (a dangling link too) stands at `relative`.
    bool exists(const QByteArray &relative) const;
    // Sets modify and access times of an existing path (not following links).
    bool setTimes(const QByteArray &relative, std::time_t modified, std::time_t accessed);
    bool makeSymlink(const QByteArray &relative, const QByteArray &target);

    QByteArray path(const QByteArray &relative) const;

private:
    QTemporaryDir m_dir;
};
