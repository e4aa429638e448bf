#include "core/CFreeForecast.h"

#include <algorithm>

int CFreeForecast::AddFile(dev_t device, ino_t inode, std::int64_t allocatedBytes, std::uint32_t linkCount,
                           bool bHeldOpen, bool bChecked)
{
    const int index = GetCount();
    const std::int64_t bytes = std::max<std::int64_t>(allocatedBytes, 0);
    m_arrBytes.push_back(bytes);
    m_arrFlags.push_back(std::uint8_t((bHeldOpen ? kHeldOpen : 0)));
    if (linkCount <= 1) {
        m_arrGroup.push_back(-1);
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
        m_arrGroup.push_back(it->second);
    }
    SetChecked(index, bChecked);
    return index;
}

void CFreeForecast::SetChecked(int index, bool bChecked)
{
    if (!IsValidIndex(index) || IsChecked(index) == bChecked || (bChecked && IsRemoved(index)))
        return;
    std::uint8_t &flags = m_arrFlags[std::size_t(index)];
    flags = std::uint8_t(bChecked ? flags | kChecked : flags & ~kChecked);
    const std::int32_t groupIndex = m_arrGroup[std::size_t(index)];
    if (groupIndex < 0) {
        if (!(flags & kHeldOpen))
            m_nForecast += bChecked ? m_arrBytes[std::size_t(index)] : -m_arrBytes[std::size_t(index)];
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
    m_arrFlags[std::size_t(index)] |= kRemoved;
    const std::int32_t groupIndex = m_arrGroup[std::size_t(index)];
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
    m_arrFlags[std::size_t(index)] = 0;
    m_arrGroup[std::size_t(index)] = -1;
}

void CFreeForecast::Clear()
{
    std::vector<std::int64_t>().swap(m_arrBytes);
    std::vector<std::int32_t>().swap(m_arrGroup);
    std::vector<std::uint8_t>().swap(m_arrFlags);
    std::vector<LinkGroup>().swap(m_groups);
    std::unordered_map<InodeKey, std::int32_t, InodeHash>().swap(m_groupOf);
    m_nForecast = 0;
}

std::uint32_t CFreeForecast::GetListedLinks(int index) const
{
    const std::int32_t groupIndex = m_arrGroup[std::size_t(index)];
    return groupIndex < 0 ? 1 : m_groups[std::size_t(groupIndex)].listed;
}

std::int64_t CFreeForecast::FreedBy(const std::vector<int> &indices) const
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
        const std::int32_t groupIndex = m_arrGroup[std::size_t(index)];
        if (groupIndex >= 0)
            ++chosenLinks[groupIndex];
        else if (!IsHeldOpen(index))
            total += m_arrBytes[std::size_t(index)];
    }
    for (const auto &[groupIndex, chosen] : chosenLinks)
        total += GroupFrees(m_groups[std::size_t(groupIndex)], chosen);
    return total;
}
