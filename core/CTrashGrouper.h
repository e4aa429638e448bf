#pragma once

#include "core/CMatchSink.h"
#include "core/CTrashItems.h"
#include "core/MatchReason.h"
#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QHash>
#include <functional>
#include <vector>

class CResultStore;

// Stands before the sink that lists a scan's matches and makes each
// freedesktop trash entry one row: the files of `files/NAME` (a trashed
// folder brings all of its files) and `info/NAME.trashinfo` are held while
// the walk is in the trash, then handed on as one result whose reason names
// where the entry came from and when it was trashed, and whose trash item
// (CTrashItems in the store) says what else belongs to it. A .trashinfo
// without its entry is listed on its own; the trash's "directorysizes"
// cache is never listed. Trash folders are the home trash and, at the top
// of the drive, .Trash-UID and .Trash/UID (any user's, and any
// .local/share/Trash below the drive).
class CTrashGrouper : public CMatchSink
{
public:
    // Reads a .trashinfo file by its path; empty when it cannot.
    using InfoReader = std::function<QByteArray(const QByteArray &path)>;

    // `store` is the store `next` adds to, `trash` its trash items.
    // `homeTrash`: the user's own trash folder (see HomeTrash()). Without a
    // reader the files themselves are read (CTrashFiles).
    CTrashGrouper(CMatchSink &next, const CResultStore &store, CTrashItems &trash, const QByteArray &driveRoot,
                  const QByteArray &homeTrash, InfoReader readInfo = {});

    void AddMatch(const ScanMatch &match) override;
    void RefreshWhileBusy(bool bShowRows) override;
    // Hands on what is held of the last trash; the scan calls it when it ends.
    void Flush();

    // Where the trash folder's path ends in `folder` when `folder` is a
    // trash folder or lies in one; -1 otherwise.
    qsizetype TrashFolderLength(const QByteArray &folder) const;
    // $XDG_DATA_HOME/Trash, or ~/.local/share/Trash.
    static QByteArray HomeTrash();

private:
    struct Entry
    {
        std::vector<WalkRecord> files; // the entry itself, or a folder's files
        bool isFolder = false;
        bool heldOpen = false; // a running process holds one of its files
        MatchReason why;
    };

    void Hold(const ScanMatch &match, qsizetype trashLength);
    void HandOn(const WalkRecord &row, const MatchReason &why, bool heldOpen, CTrashItem *item);

    CMatchSink &m_next;
    const CResultStore &m_store;
    CTrashItems &m_items;
    QByteArray m_strDriveRoot;
    QByteArray m_strHomeTrash;
    InfoReader m_readInfo;

    QByteArray m_trash; // the trash whose entries are held; empty when none
    std::vector<QByteArray> m_order;
    QHash<QByteArray, Entry> m_entries;
    QHash<QByteArray, WalkRecord> m_infos; // by entry name
    std::vector<QByteArray> m_infoOrder;
};
