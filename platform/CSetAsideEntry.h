#pragma once

#include "platform/FileIdentity.h"
#include "platform/FileOpResult.h"

#include <QByteArray>

// Holds one listed file out of reach of other processes while an action
// works on it.
//
// Checking an entry and then unlinking (or moving, or reading) it by name is
// a race: between the two, a second process can put something else under the
// name (a file from outside the drive, a symbolic link, an unlisted neighbour,
// swapped in atomically with renameat2's RENAME_EXCHANGE). So the entry is
// first renamed, inside its own folder and without replacing anything, to a
// fresh random name, and checked again under that name. Only a file that
// passes this second check is handed to the caller; nobody else knows the
// new name, so what the caller then unlinks or moves is the checked file.
// Whatever fails the second check is renamed back and reported.
//
// Typical use by an action step:
//
//     CSetAsideEntry entry(folderFd, name, identityFromTheWalk);
//     if (!entry.IsHeld())
//         return entry.GetResult();      // not the listed file: left as found
//     return entry.Unlink();             // or RenameTo(...), or OpenForReading()
//
// While held, the file is in its own folder under GetAsideName(). An entry
// that is still held when the object goes away (the caller neither unlinked
// nor moved it, or the action failed) is renamed back under its own name;
// call Restore() first to learn whether that worked.
//
// Each rename aside is noted in the process's journal first and the note is
// cleared when the file is unlinked, moved or back under its name, so a
// process killed in between leaves the next start what it needs to put the
// file back (CActionJournal). A note that cannot be written refuses the file.
//
// The folder descriptor may be O_PATH; it is not closed here and must stay
// open for the object's lifetime. Nothing here follows a symbolic link.
class CSetAsideEntry
{
public:
    // Checks `name` in `folderFd` against `expected`, sets it aside and checks
    // it again. GetResult() tells how it went: Ok when the file is held;
    // Gone, Replaced (another file or a link stands there), Changed (same
    // inode number but other size or times), Permission or Failed otherwise,
    // and LeftAside when a file that failed the second check could not be
    // put back under its name.
    CSetAsideEntry(int folderFd, const QByteArray &name, const FileIdentity &expected);
    ~CSetAsideEntry();

    CSetAsideEntry(const CSetAsideEntry &) = delete;
    CSetAsideEntry &operator=(const CSetAsideEntry &) = delete;

    bool IsHeld() const { return m_bHeld; }
    FileOpResult GetResult() const { return m_result; }
    int GetFolderFd() const { return m_folderFd; }
    const QByteArray &GetName() const { return m_name; }
    // The name the file has while held; empty when nothing was set aside.
    const QByteArray &GetAsideName() const { return m_asideName; }
    // The journal note of the file set aside (0 when none is open).
    int GetJournalTicket() const { return m_nTicket; }

    // Removes the held file for good. On failure it is put back under its
    // own name (the result then says why the unlink failed, or LeftAside),
    // unless `restoreOnFailure` is false: it then stays held.
    FileOpResult Unlink(bool restoreOnFailure = true);
    // Moves the held file to `toName` in `toFolderFd` without replacing
    // anything there (EEXIST is reported as Failed with that errno). EXDEV
    // means another file system: the file stays held, so the caller can copy
    // it (OpenForReading) and then Unlink it, or Restore it.
    FileOpResult RenameTo(int toFolderFd, const QByteArray &toName);
    // Opens the held file for reading without following links and checks
    // the open file's identity once more. Returns the descriptor (the
    // caller closes it) or -1 with `result` set. A link cannot be opened.
    int OpenForReading(FileOpResult &result) const;
    // Renames the held file back under its own name. LeftAside when the name
    // has been taken meanwhile: the file then stays under GetAsideName().
    FileOpResult Restore();

    // How `name` in `folderFd` compares with `expected`: Ok, Gone, Replaced
    // (another inode or another type) or Changed (same inode, other size,
    // modification or birth time).
    static FileOpResult Check(int folderFd, const QByteArray &name, const FileIdentity &expected);
    // The same comparison for an identity already read.
    static FileOpResult Compare(const FileIdentity &expected, const FileIdentity &now);

private:
    bool RenameNoReplace(const QByteArray &from, const QByteArray &to, int &error) const;
    // Clears the journal note once the file is no longer aside.
    void Release();

    int m_folderFd;
    QByteArray m_name;
    QByteArray m_asideName;
    FileIdentity m_expected;
    FileOpResult m_result;
    bool m_bHeld = false;
    int m_nTicket = 0;
};
