#include "core/CSharedExtentGroups.h"

#include <algorithm>

template <typename Change>
void CSharedExtentGroups::Update(std::int32_t groupIndex, Change change)
{
    Group &group = m_groups[std::size_t(groupIndex)];
    m_nSure -= Sure(group, group.checked);
    m_nUpTo -= UpTo(group, group.checked);
    change(group);
    m_nSure += Sure(group, group.checked);
    m_nUpTo += UpTo(group, group.checked);
}

std::int64_t CSharedExtentGroups::AddFile(int index, const std::vector<SharedExtent> &shared, bool bMatchable)
{
    FilePart part;
    for (const SharedExtent &extent : shared) {
        const std::int64_t length = std::int64_t(extent.length);
        part.bytes += length;
        if (extent.physical == 0) {
            part.unmatched += length;
            continue;
        }
        const auto [it, inserted] =
            m_groupOf.try_emplace(Key{extent.physical, extent.length}, std::int32_t(m_groups.size()));
        if (inserted)
            m_groups.push_back(Group{length, 0, 0, 0, false});
        // A file that uses one run twice is still one owner of it.
        if (std::find(part.groups.begin(), part.groups.end(), it->second) != part.groups.end())
            continue;
        part.groups.push_back(it->second);
        const bool kept = extent.kept || !bMatchable;
        Update(it->second, [kept, &extent](Group &group) {
            ++group.listed;
            group.kept = group.kept || kept;
            group.owners = std::max(group.owners, extent.owners);
        });
    }
    if (part.bytes == 0)
        return 0;
    const std::int64_t bytes = part.bytes;
    m_files[index] = std::move(part);
    return bytes;
}

std::int64_t CSharedExtentGroups::GetBytes(int index) const
{
    if (m_files.empty())
        return 0;
    const auto it = m_files.find(index);
    return it == m_files.end() ? 0 : it->second.bytes;
}

void CSharedExtentGroups::SetChecked(int index, bool bChecked)
{
    const auto it = m_files.find(index);
    if (it == m_files.end() || it->second.checked == bChecked)
        return;
    FilePart &part = it->second;
    part.checked = bChecked;
    m_nUpTo += bChecked ? part.unmatched : -part.unmatched;
    for (const std::int32_t group : part.groups)
        Update(group, [bChecked](Group &g) { g.checked = bChecked ? g.checked + 1 : g.checked - 1; });
}

void CSharedExtentGroups::Remove(int index)
{
    SetChecked(index, false);
    const auto it = m_files.find(index);
    if (it == m_files.end())
        return;
    for (const std::int32_t group : it->second.groups) {
        Update(group, [](Group &g) {
            --g.listed;
            ++g.gone;
        });
    }
    it->second.groups.clear();
}

void CSharedExtentGroups::Forget(int index)
{
    Remove(index);
    m_files.erase(index);
}

void CSharedExtentGroups::Clear()
{
    std::unordered_map<int, FilePart>().swap(m_files);
    std::vector<Group>().swap(m_groups);
    std::unordered_map<Key, std::int32_t, KeyHash>().swap(m_groupOf);
    m_nSure = 0;
    m_nUpTo = 0;
}

void CSharedExtentGroups::FreedBy(const std::vector<int> &indices, std::int64_t &sure, std::int64_t &upTo) const
{
    sure = 0;
    upTo = 0;
    if (m_files.empty())
        return;
    std::unordered_map<std::int32_t, std::uint32_t> chosen;
    for (const int index : indices) {
        const auto it = m_files.find(index);
        if (it == m_files.end())
            continue;
        upTo += it->second.unmatched;
        for (const std::int32_t group : it->second.groups)
            ++chosen[group];
    }
    for (const auto &[group, owners] : chosen) {
        sure += Sure(m_groups[std::size_t(group)], owners);
        upTo += UpTo(m_groups[std::size_t(group)], owners);
    }
}

std::size_t CSharedExtentGroups::GetMemoryBytes() const
{
    std::size_t bytes = m_groups.capacity() * sizeof(Group) + m_groupOf.size() * 48;
    for (const auto &[index, part] : m_files)
        bytes += 64 + part.groups.capacity() * sizeof(std::int32_t);
    return bytes;
}
