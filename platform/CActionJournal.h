#pragma once

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <mutex>
#include <set>

struct JournalRecord;

// What a killed action would otherwise leave behind, written down before the
// step that could leave it and cleared once the step is through.
//
// An action puts a file out of sight for a moment (renamed aside in its own
// folder for the last check), and a move to another file system or a new
// archive writes a file that is not complete yet. A process killed in such a
// moment leaves a hidden file or a partial one that nothing would ever find.
// So each such moment is first noted in the process's journal, a small file
// in the user's state folder ($XDG_STATE_HOME/brimvale, else
// ~/.local/state/brimvale); the next start of the program (Recover) reads the
// journals of processes that are gone and puts every file back under its
// name, finishes a move whose copy was already in place, and removes what
// was only partly written (CJournalRecovery).
//
// Folders are noted by their path and identity; a folder found under the
// path with another identity is not touched. A journal is locked by its
// process (flock) for as long as that process lives, so that one program
// never recovers for another that is still running.
//
// Notes go to the file with one write each and no flush: a killed process
// loses nothing written. Only the notes before a copy is linked into place
// are flushed to the disk (the copy's own flush costs far more).
class CActionJournal
{
public:
    // The process's journal, made in the state folder at the first note.
    static CActionJournal &Get();

    // The folder the journals live in: $XDG_STATE_HOME/brimvale when that is
    // an absolute path, else $HOME/.local/state/brimvale.
    static QByteArray StateFolder();

    // Each Note returns a ticket for Clear, or 0 with errno set when the note
    // could not be written: the caller must then not take the step.

    // `name` in `folderFd` is about to be renamed to `asideName`; `file` is
    // the file that is there.
    int NoteAside(int folderFd, const QByteArray &name, const QByteArray &asideName, const FileIdentity &file);
    // A temporary file `name` is about to be made in `folderFd`.
    int NoteTemporary(int folderFd, const QByteArray &name);
    // The complete copy `copy` of the file of `asideTicket` is about to be
    // linked in as `name` in `folderFd`: from then on the move is finished
    // rather than undone.
    int NoteArrival(int asideTicket, int folderFd, const QByteArray &name, const FileIdentity &copy);
    // An archive `name` in `folderPath` is about to be started under a
    // temporary name ".NAME.<12 hex digits>.part" beside it.
    int NoteArchive(const QByteArray &folderPath, const QByteArray &name);
    void Clear(int ticket);

    CActionJournal(const CActionJournal &) = delete;
    CActionJournal &operator=(const CActionJournal &) = delete;

private:
    CActionJournal() = default;
    ~CActionJournal();

    int Write(const QByteArray &line, bool flush);
    // Gives `record` the next ticket, writes it and keeps it open; 0 when it
    // could not be written. Called with the lock held.
    int WriteOpenNote(JournalRecord &record, bool flush);
    bool Open();

    std::mutex m_mutex;
    int m_fd = -1;
    QByteArray m_path;
    int m_nNextTicket = 1;
    std::set<int> m_open;
    static constexpr qint64 kEmptyAtBytes = 64 * 1024;
    qint64 m_nWritten = 0; // since the journal was last emptied
    bool m_bLeaveOnExit = false; // a note could not be cleared: the next start needs it
};
