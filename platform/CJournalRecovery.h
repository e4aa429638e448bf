#pragma once

#include <QByteArray>
#include <QList>

// Puts right what a killed action left, from the journals (CActionJournal)
// of processes that are gone: a file set aside goes back under its own name
// (or, when its copy already stands complete at the destination of a move,
// the move is finished), a temporary file of a copy and a partial archive
// are removed. Run at every start, before anything else is done; a journal
// still locked by its running process is left alone.
class CJournalRecovery
{
public:
    struct Report
    {
        int restored = 0;           // files put back under their own name
        int finished = 0;           // moves completed (the copy was in place)
        int removed = 0;            // partial files removed
        QList<QByteArray> renamed;  // put back under a new name, theirs being taken (new paths)
        QList<QByteArray> left;     // set aside and not found again (their last known paths)
        bool Any() const { return restored + finished + removed > 0 || !renamed.isEmpty() || !left.isEmpty(); }
    };

    // Every journal of the state folder whose process is gone; each is
    // removed once nothing it names is left to put right.
    static Report Recover();
    // One journal's text.
    static Report RecoverText(const QByteArray &text);

    // The name a file is put back under when its own has been taken since:
    // "name (recovered)", then "name (recovered 2)", ...
    static QByteArray RecoveredName(const QByteArray &name, int attempt);
};
