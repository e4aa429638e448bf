#pragma once

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QHash>
#include <utility>
#include <vector>

// A freedesktop trash entry listed as one row: `files/NAME` (a file, or a
// folder with everything below it) and `info/NAME.trashinfo`. The row's own
// result entry is `files/NAME`; this says what else belongs to it.
struct CTrashItem
{
    struct Member
    {
        QByteArray relativePath; // below files/NAME, '/'-separated
        FileIdentity identity;
    };

    QByteArray trashFolder;  // the trash itself (holds files/ and info/)
    QByteArray name;         // the entry's name in files/
    QByteArray originalName; // the name it had before it was trashed; empty if unknown
    QByteArray originalPath; // where it was before it was trashed; empty if unknown
    bool isFolder = false;
    std::vector<Member> members; // a folder's files as the walk listed them
    bool hasInfo = false;
    FileIdentity infoIdentity;

    QByteArray FilesFolder() const { return trashFolder + "/files"; }
    QByteArray InfoFolder() const { return trashFolder + "/info"; }
    QByteArray InfoName() const { return name + ".trashinfo"; }
};

// The trash entries of a results list, by the result index of their row.
class CTrashItems
{
public:
    void Add(int index, CTrashItem item);
    // The entry listed at `index`, or null for an ordinary file.
    const CTrashItem *Find(int index) const;
    // The same, to be brought up to date (an entry moved back into its trash).
    CTrashItem *Find(int index) { return const_cast<CTrashItem *>(std::as_const(*this).Find(index)); }
    void Clear();
    bool IsEmpty() const { return m_items.empty(); }

private:
    std::vector<CTrashItem> m_items;
    QHash<int, int> m_byIndex;
};
