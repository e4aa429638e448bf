#pragma once

#include "platform/FileIdentity.h"
#include "platform/FileOpResult.h"

#include <QByteArray>
#include <sys/types.h>

// One folder entry, reached from the drive root without following any symbolic
// link, and checked to be the very file the walk listed (its whole identity:
// device, inode, type, size and times). Destructive operations act on
// folderFd() and name() through CSetAsideEntry, never on a path, so a folder
// swapped for a link cannot redirect them.
class CVerifiedEntry
{
public:
    // `path` is the full path of the file as the walk recorded it; it must lie
    // below `driveRoot`. The check runs here; result() tells how it went.
    CVerifiedEntry(const QByteArray &driveRoot, const QByteArray &path, const FileIdentity &expected);
    ~CVerifiedEntry();

    CVerifiedEntry(const CVerifiedEntry &) = delete;
    CVerifiedEntry &operator=(const CVerifiedEntry &) = delete;

    FileOpResult result() const { return m_result; }
    bool isValid() const { return m_result.ok(); }
    // Descriptor (O_PATH) of the folder holding the entry, -1 if it could not
    // be opened.
    int folderFd() const { return m_folderFd; }
    const QByteArray &name() const { return m_name; }

    // Looks again, just before the entry is changed, so that the window in
    // which the file can be swapped stays as short as possible.
    FileOpResult Recheck() const;

    // Opens `relativeFolder` (components below `driveRoot`, separated by '/';
    // empty means the root itself) one component at a time, refusing links,
    // "." and "..". Returns an O_PATH descriptor or -1 with `result` set.
    static int OpenFolder(const QByteArray &driveRoot, const QByteArray &relativeFolder, FileOpResult &result);

    // Splits `path` into the part below `driveRoot` (folder) and the last
    // component (name). False when `path` does not lie below the root.
    static bool SplitBelowRoot(const QByteArray &driveRoot, const QByteArray &path,
                               QByteArray &relativeFolder, QByteArray &name);

private:
    FileIdentity m_expected;
    int m_folderFd = -1;
    QByteArray m_name;
    FileOpResult m_result;
};
