#pragma once

#include "platform/CFolderMaker.h"
#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QHash>
#include <utility>
#include <vector>

// What one Move did, kept in memory (never on disk) so that it can be
// undone: for each file that went, what it was when it arrived and the row
// it had in the list; and the folders the Move made for the files at the
// destination. Where a file went follows from its listed path, the chosen
// folder and Preserve Path, so a million moved files cost a few dozen MB.
class CMoveRecord
{
public:
    struct Entry
    {
        int item = -1;         // the file's index in the results store
        int row = -1;          // its row before the Move, -1 when not known
        FileIdentity arrived;  // the file as it arrived
        QByteArray arrivedName; // the name it arrived under, when not its own
    };

    // What a trash entry's Move took along beyond the row's own file: the
    // files of a trashed folder as they arrived (in the order of the
    // entry's members), and the text of its .trashinfo, which the Move
    // removed and an Undo writes again.
    struct TrashEntry
    {
        std::vector<FileIdentity> members;
        QByteArray info;
        bool hadInfo = false;
    };

    CMoveRecord(const QByteArray &driveRoot, const QByteArray &destination, bool preservePath);

    const QByteArray &GetDriveRoot() const { return m_strDriveRoot; }
    const QByteArray &GetDestination() const { return m_strDestination; }
    bool GetPreservePath() const { return m_bPreservePath; }

    void AddMoved(const Entry &entry);
    void AddTrash(int item, TrashEntry trash);
    // What the trash entry of store index `item` took along, or null.
    const TrashEntry *FindTrash(int item) const;
    void AddMadeFolders(const std::vector<CFolderMaker::MadeFolder> &made);
    bool IsEmpty() const { return m_entries.empty(); }
    const std::vector<Entry> &GetEntries() const { return m_entries; }
    // The entry of store index `item`, or null.
    const Entry *Find(int item) const;
    // The folders the Move made, in the order it made them.
    const std::vector<CFolderMaker::MadeFolder> &GetMadeFolders() const { return m_madeFolders; }

    // Takes each file's row from the list as it stood before the Move
    // (`rowItems`: the store index of every row, in row order).
    void TakeRows(const std::vector<int> &rowItems);
    // The list right after the Move: its layout generation and row count.
    void SetListAfter(int generation, int rowCount);
    // Whether the list is still as the Move left it, so the kept rows hold.
    bool ListUnchanged(int generation, int rowCount) const
    {
        return generation == m_nGenerationAfter && rowCount == m_nRowsAfter;
    }
    // Where the rows of the files in `returned` go back, as (row, item) in
    // the list as it will be: each its old row, less the rows of the moved
    // files that stay away. Empty when the old rows are not known.
    std::vector<std::pair<int, int>> ReturnPositions(const std::vector<int> &returned) const;

private:
    QByteArray m_strDriveRoot;
    QByteArray m_strDestination;
    bool m_bPreservePath;
    std::vector<Entry> m_entries;
    std::vector<int> m_entryOfItem; // by store index, -1 for a file not moved
    std::vector<CFolderMaker::MadeFolder> m_madeFolders;
    QHash<int, TrashEntry> m_trash; // few: kept apart from the per-file entries
    int m_nGenerationAfter = -1;
    int m_nRowsAfter = -1;
};
