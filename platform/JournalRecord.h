#pragma once

#include <QByteArray>
#include <cstdint>

// One line of an action journal (CActionJournal writes them, CJournalRecovery
// reads them). Every field is a word: numbers in decimal, names in hex so
// that any byte of a name fits, "-" for an empty one.
struct JournalRecord
{
    enum Kind : char {
        Aside = 'A',     // `name` is renamed to `other` in `folder`; file = the file
        Temporary = 'T', // a temporary file `name` is made in `folder`
        Arrival = 'L',   // the copy `file` of the Aside note `ticketRef` is linked in as `name`
        Archive = 'Z',   // an archive `name` is started beside itself in `folder`
        Cleared = 'X',   // the note `ticketRef` is done with
    };

    int ticket = 0;
    char kind = Cleared;
    QByteArray folder;           // path of the folder, as it was when noted
    std::uint64_t folderDevice = 0;
    std::uint64_t folderInode = 0;
    QByteArray name;
    QByteArray other;
    std::uint64_t fileDevice = 0;
    std::uint64_t fileInode = 0;
    int ticketRef = 0;

    // The line, with its newline.
    QByteArray Encode() const;
    // False for a line that is not a whole record (a journal cut short).
    static bool Decode(const QByteArray &line, JournalRecord &record);
};
