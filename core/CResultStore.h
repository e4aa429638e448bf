#pragma once

#include "core/CFreeForecast.h"
#include "core/CPathArray.h"
#include "core/CReasonTable.h"
#include "core/CTrashItems.h"
#include "core/ProtectionReason.h"
#include "platform/WalkRecord.h"

#include <cstdint>
#include <vector>

// What the results page keeps about each found file, in parallel arrays under
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
    // Adds a found file that must never be acted on: listed, unchecked, and
    // it can never become checked. Its reason is its protection; a file
    // locked as in use is held open.
    int AddLockedResult(const WalkRecord &record, ProtectionReason reason, bool bHeldOpen = false);
    // Forgets every file and gives the memory back.
    void Clear();

    int GetCount() const { return m_arrPaths.GetCount(); }
    bool IsValidIndex(int index) const { return index >= 0 && index < GetCount(); }

    const CPathArray &GetPaths() const { return m_arrPaths; }
    QByteArray GetPath(int index) const { return m_arrPaths.GetPath(index); }
    std::int64_t GetSize(int index) const { return m_arrSizes[std::size_t(index)]; }
    std::int64_t GetCreationTime(int index) const { return m_arrCreated[std::size_t(index)]; }
    std::int64_t GetModifiedTime(int index) const { return m_arrModified[std::size_t(index)]; }
    std::int64_t GetAccessedTime(int index) const { return m_arrAccessed[std::size_t(index)]; }
    // The identity the walk saw, to make sure an action still meets the same file.
    dev_t GetDevice(int index) const { return m_arrDevices[std::size_t(index)]; }
    ino_t GetInode(int index) const { return m_arrInodes[std::size_t(index)]; }
    FileIdentity GetIdentity(int index) const;
    // Blocks on disk in bytes (what removing the file frees) and hard links.
    std::int64_t GetAllocatedBytes(int index) const { return m_forecast.GetAllocatedBytes(index); }
    std::uint32_t GetLinkCount(int index) const { return m_arrLinks[std::size_t(index)]; }
    bool IsHeldOpen(int index) const { return m_forecast.IsHeldOpen(index); }

    // The depth, in GetPaths()'s folder tree, of the folder whose rule listed
    // the files of the tree's folder `folder` (-1: no folder rule did). An
    // action may remove the folders it empties below that one.
    int GetRuleFolderDepth(int folder) const;

    // Trash entries listed as one row each, by the index of that row.
    const CTrashItems &GetTrash() const { return m_trash; }
    CTrashItems &GetTrash() { return m_trash; }

    // Why the file is listed: a number into the table of distinct texts.
    CReasonTable::Id GetReasonId(int index) const { return m_arrReasons[std::size_t(index)]; }
    const QString &GetReasonText(int index) const { return m_reasons.GetText(GetReasonId(index)); }
    const CReasonTable &GetReasons() const { return m_reasons; }

    bool IsChecked(int index) const { return (m_arrFlags[std::size_t(index)] & kChecked) != 0; }
    bool IsListed(int index) const { return (m_arrFlags[std::size_t(index)] & kListed) != 0; }
    // false for an unknown index.
    bool IsLocked(int index) const { return IsValidIndex(index) && (m_arrFlags[std::size_t(index)] & kLocked) != 0; }
    ProtectionReason GetLockReason(int index) const
    {
        return IsLocked(index) ? ProtectionReason(m_arrFlags[std::size_t(index)] >> kReasonShift) : ProtectionReason::None;
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

    std::int64_t GetSelectedBytes() const { return m_nSelectedBytes; }
    int GetSelectedCount() const { return m_nSelectedCount; }
    // What deleting the checked files would really free (see CFreeForecast),
    // kept in step with every check like the totals above.
    std::int64_t GetForecastBytes() const { return m_forecast.GetForecast(); }
    const CFreeForecast &GetForecast() const { return m_forecast; }

private:
    int Append(const WalkRecord &record, std::uint8_t flags, bool bHeldOpen);
    void NoteRuleFolder(int folder, int depth);

    enum Flag : std::uint8_t { kChecked = 1, kListed = 2, kHasBirth = 4, kLocked = 8 };
    static constexpr int kReasonShift = 4; // the lock's reason lives in the high bits

    CPathArray m_arrPaths;
    std::vector<std::int64_t> m_arrSizes;
    std::vector<std::int64_t> m_arrCreated;
    std::vector<std::int64_t> m_arrModified;
    std::vector<std::int64_t> m_arrAccessed;
    std::vector<dev_t> m_arrDevices;
    std::vector<ino_t> m_arrInodes;
    // The rest of each identity; size and times in nanoseconds are kept
    // apart from the shown values, which a caller may have rounded.
    std::vector<std::int64_t> m_arrIdentitySizes;
    std::vector<std::int64_t> m_arrModifiedNs;
    std::vector<std::int64_t> m_arrBirthNs;
    std::vector<std::uint16_t> m_arrTypes;
    std::vector<std::uint32_t> m_arrLinks;
    std::vector<std::uint8_t> m_arrFlags;
    std::vector<CReasonTable::Id> m_arrReasons;
    std::vector<std::int32_t> m_folderRuleDepth; // by folder of m_arrPaths
    CTrashItems m_trash;
    CReasonTable m_reasons;
    // Holds each file's allocated bytes too.
    CFreeForecast m_forecast;
    std::int64_t m_nSelectedBytes = 0;
    int m_nSelectedCount = 0;
};
