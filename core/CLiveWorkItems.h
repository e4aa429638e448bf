#pragma once

#include "core/CMatchSink.h"
#include "core/CPatternList.h"
#include "core/MatchReason.h"
#include "platform/WalkRecord.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Live work in temporary folders: a checkout being built in /tmp, a tree
// unpacked a minute ago. In a folder Express matches as temporary (its temp
// and tmp rules; a cache is rebuilt by its owner and changes all the time),
// each entry directly inside is one item; an item with anything in it (a
// file or a folder) modified or changed within kLiveWorkHours is listed
// unchecked, every file of it, with the age of its latest change as the
// reason. The user may still check them by hand.
//
// The walk hands over an item's files one after another, so each item is
// decided as the walk leaves it: its offered files are held until then and
// handed on together, in walk order, never by a second look at the disk.
class CLiveWorkItems
{
public:
    // Anything changed this recently makes an item live work.
    static constexpr int kLiveWorkHours = 24;

    // Where decided files go, in walk order: the offered files of a live
    // item go unchecked with the live reason; the rest as they came.
    using Forward = std::function<void(const ScanMatch &match)>;

    // `driveRoot` as the walk names it; `now` in seconds since 1970.
    CLiveWorkItems(const QByteArray &driveRoot, std::int64_t now, Forward forward);

    // Every matched file, offered or not, in walk order. Finishes the item
    // held so far when the file lies outside it; returns whether the file
    // lies in a temporary item (its times then count for that item).
    bool Enter(const WalkRecord &record);
    // A listed file of the item Enter just placed it in: held until the
    // item is decided (a locked one stays locked).
    void Hold(const ScanMatch &match);
    // The walk is over (or cancelled): the item held so far is decided.
    void Finish();

    std::int64_t GetLeftUnchecked() const { return m_nLeftUnchecked; }
    std::int64_t GetNow() const { return m_nNow; }

    // The reason a live file is listed with, `seconds` after its item's
    // latest change.
    static MatchReason LiveReason(std::int64_t seconds);

private:
    // Where the item of a file in `folder` ends in the folder's path: the
    // length of the item's folder path, 0 when the folder is the temporary
    // folder itself (each file its own item), -1 when not in one.
    qsizetype ItemEnd(const QByteArray &folder);
    void Note(std::int64_t modified, std::int64_t changed);
    void Decide();

    struct Held
    {
        WalkRecord record;
        MatchReason why;
        ProtectionReason protection;
        bool heldOpen;
    };

    QByteArray m_strRoot;
    std::int64_t m_nNow;
    Forward m_forward;
    CPatternList m_tempFolders;

    bool m_bInItem = false;
    QByteArray m_itemPath;         // the item's folder, or the file that is an item
    bool m_bItemIsFile = false;
    std::int64_t m_nLatest = 0;    // the item's latest modification or change
    std::uint64_t m_nLastFolderSerial = 0; // the deepest folder whose times were noted
    std::vector<Held> m_held;
    std::int64_t m_nLeftUnchecked = 0;

    std::string m_memoFolder = std::string(1, '\0'); // no folder is named so
    qsizetype m_nMemoEnd = -1;
    std::u32string m_scratch;
};
