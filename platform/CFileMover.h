#pragma once

#include "platform/FileIdentity.h"
#include "platform/FileOpResult.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

// Moves one listed file into another folder, never replacing anything there.
//
// What can be known first is checked before the source is touched (the
// listed identity, a name taken at the destination, folders that cannot be
// written), so a refused move leaves the source's folder as it was. Then the
// file is set aside in its own folder (CSetAsideEntry) for the last check,
// so the file moved is the one listed. Within one file system it is renamed
// into place. Across file systems it is first copied, from the file under
// its own name, into a temporary file in the destination folder (unnamed
// where the file system allows it, else under a name noted in the journal),
// with its data (holes stay holes), permission bits, owner where allowed,
// times to the nanosecond and extended attributes where they can be set;
// the copy is flushed, and only then is the source set aside, checked once
// more, the copy linked in under its name, the folder flushed and the source
// unlinked. A symbolic link is moved as a link with the same target.
// Whatever fails, the source stays as it was and nothing is left at the
// destination; a process killed at any moment leaves the journal what the
// next start needs to make it so (CActionJournal).
class CFileMover
{
public:
    // Moves `name` in `fromFd` to `toName` in `toFd`. Both descriptors may be
    // O_PATH folders reached without following links. On success `arrived`,
    // when given, receives the identity of the file as it now stands at the
    // destination (a copy is another inode with another birth time), so that
    // whoever moves it back can tell it from anything put there later.
    FileOpResult Move(int fromFd, const QByteArray &name, const FileIdentity &expected,
                      int toFd, const QByteArray &toName, FileIdentity *arrived = nullptr);

    // Told the bytes copied so far of the file's whole between two blocks of
    // a copy across file systems; answering false stops the copy there: the
    // source stays as it was, nothing is left at the destination, and Move
    // fails with ECANCELED.
    using CopyProgress = std::function<bool(std::int64_t done, std::int64_t total)>;
    void SetCopyProgress(CopyProgress progress) { m_copyProgress = std::move(progress); }

    // Only for tests: pretend every move crosses file systems.
    void SetAlwaysCopy(bool always) { m_bAlwaysCopy = always; }
    // Only for tests: copy through a named temporary file, as on a file
    // system that cannot make unnamed ones.
    void SetNamedTemporary(bool named) { m_bNamedTemporary = named; }

private:
    CopyProgress m_copyProgress;
    bool m_bAlwaysCopy = false;
    bool m_bNamedTemporary = false;
};
