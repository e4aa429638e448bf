#pragma once

#include "platform/SharedExtent.h"

#include <QByteArray>
#include <cstdint>
#include <sys/types.h>
#include <vector>

struct WalkRecord;

// Reads the extent maps of files a scan listed, on a drive whose file
// system can share data between files. A file is opened read-only below
// the drive's root, never through a symbolic link or into another mount,
// without touching its access time, and only read while it is still the
// file the walk met.
class CFileExtents
{
public:
    enum class Result { Read, Changed, Unavailable };

    // `driveRoot` as the walk names it.
    explicit CFileExtents(const QByteArray &driveRoot);
    ~CFileExtents();
    CFileExtents(const CFileExtents &) = delete;
    CFileExtents &operator=(const CFileExtents &) = delete;

    bool IsOpen() const { return m_rootFd >= 0; }

    // The shared parts of the file `record` names, in file order, into
    // `shared` (emptied first). Changed: something else stands at its path
    // now; Unavailable: it could not be opened or its map read.
    Result ReadShared(const WalkRecord &record, std::vector<SharedExtent> &shared);

    // The same for a file already open for reading.
    static bool ReadSharedOpen(int fd, std::vector<SharedExtent> &shared);

private:
    int OpenBelowRoot(const QByteArray &relative);

    QByteArray m_strRoot; // no trailing slash except "/"
    int m_rootFd = -1;
    std::uint64_t m_rootMountId = 0;
    bool m_bHaveOpenat2 = true;
    bool m_bNoAtime = true; // dropped at the first file we may not open so
    QByteArray m_relative;  // scratch
};
