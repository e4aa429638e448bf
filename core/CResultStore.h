#pragma once

#include "core/CChunkedArray.h"
#include "core/CFreeForecast.h"
#include "core/CPathArray.h"
#include "core/CReasonTable.h"
#include "core/CTrashItems.h"
#include "core/ProtectionReason.h"
#include "platform/WalkRecord.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

// What the results page keeps about each found file, one compact record under
// one index i: the index a file got when it was added never changes, whatever
// the list does with its rows. The check state belongs to the file, so it
// follows the file through sorting, and the selected totals are kept here in
// step with every change of a check.
class CResultStore
{
public:
    // Adds a found file, checked and listed, with why it was found; returns
    // its index. `bHeldOpen`: a running process holds it, so removing it
    // frees nothing for now.
    int AddResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen = false);
    int AddResult(const WalkRecord &record, bool bHeldOpen = false);
    // Adds a found file listed but unchecked (live work): out of the totals
    // until the user checks it.
    int AddUncheckedResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen = false);
    // Adds a found file that must never be acted on: listed, unchecked, and
    // it can never become checked. Its reason is its protection; a file
    // locked as in use is held open.
    int AddLockedResult(const WalkRecord &record, ProtectionReason reason, bool bHeldOpen = false);
    // Forgets every file and gives the memory back.
    void Clear();

    int GetCount() const { return int(m_entries.size()); }
    bool IsValidIndex(int index) const { return index >= 0 && index < GetCount(); }

    const CPathArray &GetPaths() const { return m_arrPaths; }
    QByteArray GetPath(int index) const { return m_arrPaths.GetPath(index); }
    std::int64_t GetSize(int index) const { return At(index).size; }
    // Shown times, in seconds since 1970.
    std::int64_t GetCreationTime(int index) const { return ShownTime(index, &Entry::createdNs, &Aside::created); }
    std::int64_t GetModifiedTime(int index) const { return ShownTime(index, &Entry::modifiedNs, &Aside::modified); }
    std::int64_t GetAccessedTime(int index) const { return ShownTime(index, &Entry::accessedNs, &Aside::accessed); }
    // The identity the walk saw, to make sure an action still meets the same file.
    dev_t GetDevice(int index) const { return GetIdentity(index).device; }
    ino_t GetInode(int index) const { return GetIdentity(index).inode; }
    FileIdentity GetIdentity(int index) const;
    // Blocks on disk in bytes (what removing the file frees) and hard links.
    std::int64_t GetAllocatedBytes(int index) const { return m_forecast.GetAllocatedBytes(index); }
    std::uint32_t GetLinkCount(int index) const;
    bool IsHeldOpen(int index) const { return m_forecast.IsHeldOpen(index); }

    // The depth, in GetPaths()'s folder tree, of the folder whose rule listed
    // the files of the tree's folder `folder` (-1: no folder rule did). An
    // action may remove the folders it empties below that one.
    int GetRuleFolderDepth(int folder) const;

    // Trash entries listed as one row each, by the index of that row.
    const CTrashItems &GetTrash() const { return m_trash; }
    CTrashItems &GetTrash() { return m_trash; }

    // Why the file is listed: a number into the table of distinct texts.
    CReasonTable::Id GetReasonId(int index) const { return At(index).reason; }
    const QString &GetReasonText(int index) const { return m_reasons.GetText(GetReasonId(index)); }
    const CReasonTable &GetReasons() const { return m_reasons; }

    bool IsChecked(int index) const { return (At(index).flags & kChecked) != 0; }
    bool IsListed(int index) const { return (At(index).flags & kListed) != 0; }
    // false for an unknown index.
    bool IsLocked(int index) const { return IsValidIndex(index) && (At(index).flags & kLocked) != 0; }
    ProtectionReason GetLockReason(int index) const
    {
        return IsLocked(index) ? ProtectionReason(At(index).kind >> kLockShift) : ProtectionReason::None;
    }
    // Checks or unchecks a listed file and adjusts the totals; returns whether
    // the state changed (an unknown or unlisted index changes nothing).
    bool SetChecked(int index, bool checked);
    // The file's row left the list: a checked file leaves the totals too. Its
    // entries stay, so the indices of the other files keep their meaning.
    void Unlist(int index);
    // The file left the drive (deleted, or moved to another file system):
    // it is unlisted, and the forecast learns that its other links, if it
    // had several, are now fewer.
    void RemoveLink(int index);
    // A file whose row left the list is back where it was listed (a Move
    // undone): listed and checked again, known from now on by `identity`,
    // which is what the file now is there. False for an unknown index or a
    // file still listed.
    bool Relist(int index, const FileIdentity &identity);

    // How many listed files with reason `reason` are checked, and how many
    // could be (unchecked and not locked): kept in step with every change.
    int GetCheckedCount(CReasonTable::Id reason) const { return CountOf(reason).checked; }
    int GetCheckableCount(CReasonTable::Id reason) const { return CountOf(reason).checkable; }

    std::int64_t GetSelectedBytes() const { return m_nSelectedBytes; }
    int GetSelectedCount() const { return m_nSelectedCount; }
    // What deleting the checked files would really free (see CFreeForecast),
    // kept in step with every check like the totals above.
    std::int64_t GetForecastBytes() const { return m_forecast.GetForecast(); }
    // At most, with data other files or snapshots may share.
    std::int64_t GetUpToBytes() const { return m_forecast.GetUpTo(); }
    const CFreeForecast &GetForecast() const { return m_forecast; }

    // Bytes the store holds for its files (paths and forecast included).
    std::size_t GetMemoryBytes() const;

private:
    void NoteRuleFolder(int folder, int depth);
    void SetReason(int index, const MatchReason &why);
    // Everything about one file but its path and its forecast, each fact
    // once: the shown times are the identity's nanoseconds in seconds, the
    // shown size is the identity's size, the device is a number into a
    // table of the few devices a scan meets. A record whose shown values
    // and identity do not derive from each other (made by hand, or a file
    // that came back changed) keeps the identity and the shown times aside,
    // whole, so nothing the identity check compares is ever lost.
    struct Entry
    {
        std::int64_t size;
        std::int64_t modifiedNs;
        std::int64_t createdNs; // the birth time when kHasBirth, else the older of modify and change time
        std::int64_t accessedNs;
        std::uint64_t inode;
        std::uint16_t device;   // into m_devices
        CReasonTable::Id reason;
        std::uint16_t links;    // kManyLinks: the count is in m_manyLinks
        std::uint8_t flags;
        std::uint8_t kind;      // file type (S_IFMT >> 12) below, lock reason above kLockShift
    };
    struct Aside
    {
        FileIdentity identity;
        std::int64_t created;
        std::int64_t modified;
        std::int64_t accessed;
    };

    int Append(const WalkRecord &record, std::uint8_t flags, bool bHeldOpen);
    const Entry &At(int index) const { return m_entries[std::size_t(index)]; }
    Entry &At(int index) { return m_entries[std::size_t(index)]; }
    const Aside &AsideOf(int index) const;
    std::int64_t ShownTime(int index, std::int64_t Entry::*ns, std::int64_t Aside::*seconds) const
    {
        const Entry &e = At(index);
        if (e.flags & kAside)
            return AsideOf(index).*seconds;
        // Rounded down, as statx splits a time into seconds and nanoseconds.
        const std::int64_t value = e.*ns;
        const std::int64_t whole = value / 1000000000;
        return whole * 1000000000 > value ? whole - 1 : whole;
    }
    // Stores `identity` into the entry when the shown values derive from
    // it, else aside with the shown times.
    void SetIdentity(int index, const FileIdentity &identity, std::int64_t created, std::int64_t modified,
                     std::int64_t accessed);
    int DeviceIndex(dev_t device);

    struct ReasonCount
    {
        int checked = 0;
        int checkable = 0;
    };
    ReasonCount CountOf(CReasonTable::Id reason) const
    {
        return reason < m_reasonCounts.size() ? m_reasonCounts[reason] : ReasonCount();
    }
    // Takes the file out of its reason's counts (-1) or puts it back (+1),
    // around every change of its reason, check, lock or listing.
    void CountByReason(int index, int delta);

    enum Flag : std::uint8_t { kChecked = 1, kListed = 2, kHasBirth = 4, kLocked = 8, kAside = 16 };
    static constexpr int kLockShift = 4; // the lock's reason lives in the high bits of `kind`
    static constexpr std::uint16_t kManyLinks = 0xFFFF;
    static constexpr std::size_t kMaxDevices = 0xFFFF;

    CPathArray m_arrPaths;
    CChunkedArray<Entry> m_entries;
    std::vector<dev_t> m_devices;
    std::unordered_map<int, Aside> m_aside;
    std::unordered_map<int, std::uint32_t> m_manyLinks;
    std::vector<std::int32_t> m_folderRuleDepth; // by folder of m_arrPaths
    CTrashItems m_trash;
    CReasonTable m_reasons;
    std::vector<ReasonCount> m_reasonCounts; // by reason id
    // Holds each file's allocated bytes too.
    CFreeForecast m_forecast;
    std::int64_t m_nSelectedBytes = 0;
    int m_nSelectedCount = 0;
};
