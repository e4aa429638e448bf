#include "core/CResultStore.h"

#include "core/MatchReason.h"

#include <algorithm>
#include <sys/stat.h>

int CResultStore::AddResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen)
{
    const int index = AddResult(record, bHeldOpen);
    SetReason(index, why);
    return index;
}

int CResultStore::AddUncheckedResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen)
{
    const int index = Append(record, kListed, bHeldOpen);
    SetReason(index, why);
    return index;
}

void CResultStore::SetReason(int index, const MatchReason &why)
{
    CountByReason(index, -1);
    At(index).reason = m_reasons.Intern(why);
    CountByReason(index, +1);
    NoteRuleFolder(m_arrPaths.GetFolderIndex(index), why.folderLevel);
}

int CResultStore::AddResult(const WalkRecord &record, bool bHeldOpen)
{
    const int index = Append(record, kChecked | kListed, bHeldOpen);
    m_nSelectedBytes += record.size;
    ++m_nSelectedCount;
    return index;
}

int CResultStore::AddLockedResult(const WalkRecord &record, ProtectionReason reason, bool bHeldOpen)
{
    // Unchecked and locked; it never enters the totals. Its reason is its
    // protection.
    const int index = Append(record, kListed | kLocked, bHeldOpen || reason == ProtectionReason::InUse);
    CountByReason(index, -1);
    Entry &e = m_entries.back();
    e.kind = std::uint8_t((e.kind & 0x0F) | (std::uint8_t(reason) << kLockShift));
    e.reason = m_reasons.Intern(LockedReasonText(reason));
    CountByReason(index, +1);
    return index;
}

void CResultStore::NoteRuleFolder(int folder, int depth)
{
    if (std::size_t(folder) >= m_folderRuleDepth.size())
        m_folderRuleDepth.resize(std::size_t(folder) + 1, -1);
    // Of two rules, the deeper folder removes fewer folders.
    std::int32_t &kept = m_folderRuleDepth[std::size_t(folder)];
    kept = std::max(kept, std::int32_t(depth));
}

int CResultStore::GetRuleFolderDepth(int folder) const
{
    return std::size_t(folder) < m_folderRuleDepth.size() ? m_folderRuleDepth[std::size_t(folder)] : -1;
}

namespace {

constexpr std::int64_t kNsPerSecond = 1000000000;

// Seconds of a nanosecond count, rounded down as statx splits its times.
std::int64_t FloorSeconds(std::int64_t ns)
{
    const std::int64_t seconds = ns / kNsPerSecond;
    return seconds * kNsPerSecond > ns ? seconds - 1 : seconds;
}

// Nanoseconds of whole seconds, when they fit (years 1678 to 2262).
bool SecondsToNs(std::int64_t seconds, std::int64_t &ns)
{
    return !__builtin_mul_overflow(seconds, kNsPerSecond, &ns);
}

} // namespace

int CResultStore::DeviceIndex(dev_t device)
{
    // A scan meets one device, or a few (subvolumes): the last one found
    // is nearly always the one asked for.
    for (std::size_t i = m_devices.size(); i-- > 0;) {
        if (m_devices[i] == device)
            return int(i);
    }
    if (m_devices.size() >= kMaxDevices)
        return -1;
    m_devices.push_back(device);
    return int(m_devices.size()) - 1;
}

void CResultStore::SetIdentity(int index, const FileIdentity &identity, std::int64_t created, std::int64_t modified,
                               std::int64_t accessed)
{
    Entry &e = At(index);
    const int device = DeviceIndex(identity.device);
    std::int64_t createdNs = identity.birthNs;
    std::int64_t accessedNs = 0;
    const bool derived = device >= 0 && identity.size == e.size && (identity.type & ~std::uint32_t(S_IFMT)) == 0
        && FloorSeconds(identity.modifiedNs) == modified
        && (identity.hasBirth ? FloorSeconds(identity.birthNs) == created
                              : identity.birthNs == 0 && SecondsToNs(created, createdNs))
        && SecondsToNs(accessed, accessedNs);
    e.flags = std::uint8_t(e.flags & ~(kHasBirth | kAside));
    if (derived) {
        m_aside.erase(index);
        e.device = std::uint16_t(device);
        e.inode = identity.inode;
        e.modifiedNs = identity.modifiedNs;
        e.createdNs = createdNs;
        e.accessedNs = accessedNs;
        e.kind = std::uint8_t((e.kind & 0xF0) | (identity.type >> 12));
        if (identity.hasBirth)
            e.flags |= kHasBirth;
        return;
    }
    e.flags |= kAside;
    m_aside[index] = Aside{identity, created, modified, accessed};
}

int CResultStore::Append(const WalkRecord &record, std::uint8_t flags, bool bHeldOpen)
{
    const int index = m_arrPaths.Append(record);
    Entry &e = m_entries.push_back(Entry{});
    e.size = record.size;
    e.links = record.linkCount < kManyLinks ? std::uint16_t(record.linkCount) : kManyLinks;
    if (e.links == kManyLinks)
        m_manyLinks[index] = record.linkCount;
    e.flags = flags;
    e.reason = CReasonTable::kNone;
    // A record without a whole identity keeps what it has: an action then
    // finds the file changed and leaves it alone.
    FileIdentity identity = record.identity;
    if (identity.inode == 0 && record.inode != 0) {
        identity.device = record.device;
        identity.inode = record.inode;
    }
    SetIdentity(index, identity, record.creationTime, record.modifiedTime, record.accessedTime);
    // Links are told apart by the inode the walk saw, whatever the identity
    // holds; a symbolic link is a file of its own, whatever it points to.
    m_forecast.AddFile(record.device, record.inode, record.allocatedBytes, record.linkCount, bHeldOpen,
                       (flags & kChecked) != 0, &record.sharedExtents);
    CountByReason(index, +1);
    return index;
}

void CResultStore::CountByReason(int index, int delta)
{
    const Entry &e = At(index);
    if (!(e.flags & kListed))
        return;
    if (e.reason >= m_reasonCounts.size())
        m_reasonCounts.resize(std::size_t(e.reason) + 1);
    ReasonCount &count = m_reasonCounts[e.reason];
    if (e.flags & kChecked)
        count.checked += delta;
    else if (!(e.flags & kLocked))
        count.checkable += delta;
}

void CResultStore::Clear()
{
    m_arrPaths.Clear();
    m_entries.clear();
    std::vector<dev_t>().swap(m_devices);
    std::unordered_map<int, Aside>().swap(m_aside);
    std::unordered_map<int, std::uint32_t>().swap(m_manyLinks);
    std::vector<std::int32_t>().swap(m_folderRuleDepth);
    m_trash.Clear();
    m_reasons.Clear();
    std::vector<ReasonCount>().swap(m_reasonCounts);
    m_forecast.Clear();
    m_nSelectedBytes = 0;
    m_nSelectedCount = 0;
}

std::size_t CResultStore::GetMemoryBytes() const
{
    return m_arrPaths.GetMemoryBytes() + m_entries.GetMemoryBytes() + m_forecast.GetMemoryBytes()
        + m_folderRuleDepth.capacity() * sizeof(std::int32_t)
        + m_aside.size() * (sizeof(Aside) + 32) + m_manyLinks.size() * 32;
}

const CResultStore::Aside &CResultStore::AsideOf(int index) const
{
    return m_aside.find(index)->second;
}

std::uint32_t CResultStore::GetLinkCount(int index) const
{
    const Entry &e = At(index);
    return e.links == kManyLinks ? m_manyLinks.find(index)->second : e.links;
}

bool CResultStore::SetChecked(int index, bool checked)
{
    if (!IsValidIndex(index) || !IsListed(index) || IsChecked(index) == checked)
        return false;
    if (checked && IsLocked(index))
        return false; // a protected file is never selected, whoever asks
    CountByReason(index, -1);
    std::uint8_t &flags = At(index).flags;
    if (checked) {
        flags |= kChecked;
        m_nSelectedBytes += GetSize(index);
        ++m_nSelectedCount;
    } else {
        flags &= std::uint8_t(~kChecked);
        m_nSelectedBytes -= GetSize(index);
        --m_nSelectedCount;
    }
    m_forecast.SetChecked(index, checked);
    CountByReason(index, +1);
    return true;
}

void CResultStore::Unlist(int index)
{
    if (!IsValidIndex(index) || !IsListed(index))
        return;
    SetChecked(index, false);
    CountByReason(index, -1);
    At(index).flags &= std::uint8_t(~kListed);
}

void CResultStore::RemoveLink(int index)
{
    if (!IsValidIndex(index))
        return;
    Unlist(index);
    m_forecast.RemoveLink(index);
}

bool CResultStore::Relist(int index, const FileIdentity &identity)
{
    if (!IsValidIndex(index) || IsListed(index))
        return false;
    // The shown values stay what the scan saw; the identity is the file's now.
    SetIdentity(index, identity, GetCreationTime(index), GetModifiedTime(index), GetAccessedTime(index));
    Entry &e = At(index);
    e.flags = std::uint8_t((e.flags & ~kChecked) | kListed);
    CountByReason(index, +1);
    m_forecast.Restore(index);
    SetChecked(index, true);
    return true;
}

FileIdentity CResultStore::GetIdentity(int index) const
{
    const Entry &e = At(index);
    if (e.flags & kAside)
        return AsideOf(index).identity;
    FileIdentity id;
    id.device = m_devices[e.device];
    id.inode = ino_t(e.inode);
    id.type = std::uint32_t(e.kind & 0x0F) << 12;
    id.size = e.size;
    id.modifiedNs = e.modifiedNs;
    id.hasBirth = (e.flags & kHasBirth) != 0;
    id.birthNs = id.hasBirth ? e.createdNs : 0;
    return id;
}
