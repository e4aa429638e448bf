#include "core/CFreeForecast.h"

#include <algorithm>

int CFreeForecast::AddFile(dev_t device, ino_t inode, std::int64_t allocatedBytes, std::uint32_t linkCount,
                           bool bHeldOpen, bool bChecked, const std::vector<SharedExtent> *shared)
{
    const int index = GetCount();
    std::int64_t bytes = std::max<std::int64_t>(allocatedBytes, 0);
    // A file held open frees nothing, shared or not. The rest is judged
    // apart from what the file holds alone.
    if (shared && !shared->empty() && !bHeldOpen)
        bytes = std::max<std::int64_t>(bytes - m_shared.AddFile(index, *shared, linkCount <= 1), 0);
    const std::uint32_t flags = bHeldOpen ? std::uint32_t(kHeldOpen) : 0;
    if (linkCount <= 1) {
        m_files.push_back(flags | OwnWord(index, bytes));
    } else {
        const auto [it, inserted] = m_groupOf.try_emplace(InodeKey{device, inode}, std::int32_t(m_groups.size()));
        if (inserted)
            m_groups.push_back(LinkGroup{bytes, linkCount, 0, 0, false});
        LinkGroup &group = m_groups[std::size_t(it->second)];
        const std::int64_t before = GroupFrees(group, group.checked);
        // Every link names the same blocks; a file that changed while the
        // walk went from one link to the next is judged by what it said
        // last, and by the most links it was seen with.
        group.bytes = bytes;
        group.links = std::max(group.links, linkCount);
        group.heldOpen = group.heldOpen || bHeldOpen;
        ++group.listed;
        m_nForecast += GroupFrees(group, group.checked) - before;
        m_files.push_back(flags | kGrouped | (std::uint32_t(it->second) << kValueShift));
    }
    SetChecked(index, bChecked);
    return index;
}

void CFreeForecast::SetChecked(int index, bool bChecked)
{
    if (!IsValidIndex(index) || IsChecked(index) == bChecked || (bChecked && IsRemoved(index)))
        return;
    std::uint32_t &file = m_files[std::size_t(index)];
    file = bChecked ? file | kChecked : file & ~std::uint32_t(kChecked);
    m_shared.SetChecked(index, bChecked);
    const std::int32_t groupIndex = GroupOf(index);
    if (groupIndex < 0) {
        if (!(file & kHeldOpen))
            m_nForecast += bChecked ? OwnBytes(index) : -OwnBytes(index);
        return;
    }
    LinkGroup &group = m_groups[std::size_t(groupIndex)];
    const std::int64_t before = GroupFrees(group, group.checked);
    group.checked = bChecked ? group.checked + 1 : group.checked - 1;
    m_nForecast += GroupFrees(group, group.checked) - before;
}

void CFreeForecast::RemoveLink(int index)
{
    if (!IsValidIndex(index) || IsRemoved(index))
        return;
    SetChecked(index, false);
    m_files[std::size_t(index)] |= kRemoved;
    m_shared.Remove(index);
    const std::int32_t groupIndex = GroupOf(index);
    if (groupIndex < 0)
        return;
    LinkGroup &group = m_groups[std::size_t(groupIndex)];
    const std::int64_t before = GroupFrees(group, group.checked);
    // Never below one: a file whose every listed link went is not freed
    // again by nothing being checked.
    group.links = group.links > 1 ? group.links - 1 : 1;
    --group.listed;
    m_nForecast += GroupFrees(group, group.checked) - before;
}

void CFreeForecast::Restore(int index)
{
    if (!IsValidIndex(index) || !IsRemoved(index))
        return;
    // Removed links are unchecked and their group has already let go of
    // them, so the forecast is unchanged until the file is checked again.
    const std::int64_t bytes = GetAllocatedBytes(index);
    m_shared.Forget(index);
    m_files[std::size_t(index)] = OwnWord(index, bytes);
}

void CFreeForecast::Clear()
{
    m_files.clear();
    std::unordered_map<int, std::int64_t>().swap(m_ownBytesAside);
    std::vector<LinkGroup>().swap(m_groups);
    std::unordered_map<InodeKey, std::int32_t, InodeHash>().swap(m_groupOf);
    m_shared.Clear();
    m_nForecast = 0;
}

std::uint32_t CFreeForecast::OwnWord(int index, std::int64_t bytes)
{
    if (bytes % kBlock == 0 && bytes / kBlock < kBytesAside) {
        m_ownBytesAside.erase(index);
        return std::uint32_t(bytes / kBlock) << kValueShift;
    }
    m_ownBytesAside[index] = bytes;
    return kBytesAside << kValueShift;
}

std::int64_t CFreeForecast::GetAllocatedBytes(int index) const
{
    const std::int32_t groupIndex = GroupOf(index);
    return (groupIndex < 0 ? OwnBytes(index) : m_groups[std::size_t(groupIndex)].bytes) + m_shared.GetBytes(index);
}

std::size_t CFreeForecast::GetMemoryBytes() const
{
    return m_files.GetMemoryBytes() + m_groups.capacity() * sizeof(LinkGroup) + m_groupOf.size() * 48
        + m_ownBytesAside.size() * 32 + m_shared.GetMemoryBytes();
}

std::uint32_t CFreeForecast::GetListedLinks(int index) const
{
    const std::int32_t groupIndex = GroupOf(index);
    return groupIndex < 0 ? 1 : m_groups[std::size_t(groupIndex)].listed;
}

std::int64_t CFreeForecast::FreedBy(const std::vector<int> &indices, std::int64_t *upTo) const
{
    std::vector<int> files;
    files.reserve(indices.size());
    for (const int index : indices) {
        if (IsValidIndex(index) && !IsRemoved(index))
            files.push_back(index);
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());

    std::int64_t total = 0;
    std::unordered_map<std::int32_t, std::uint32_t> chosenLinks;
    for (const int index : files) {
        const std::int32_t groupIndex = GroupOf(index);
        if (groupIndex >= 0)
            ++chosenLinks[groupIndex];
        else if (!IsHeldOpen(index))
            total += OwnBytes(index);
    }
    for (const auto &[groupIndex, chosen] : chosenLinks)
        total += GroupFrees(m_groups[std::size_t(groupIndex)], chosen);
    std::int64_t sharedSure = 0;
    std::int64_t sharedUpTo = 0;
    m_shared.FreedBy(files, sharedSure, sharedUpTo);
    if (upTo)
        *upTo = total + sharedUpTo;
    return total + sharedSure;
}
