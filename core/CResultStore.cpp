#include "core/CResultStore.h"

#include "core/MatchReason.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <algorithm>

int CResultStore::AddResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen)
{
    const int index = AddResult(record, bHeldOpen);
    m_arrReasons.back() = m_reasons.Intern(why);
    NoteRuleFolder(m_arrPaths.GetFolderIndex(index), why.folderLevel);
    return index;
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
    const int index = Append(record, std::uint8_t(kListed | kLocked | (std::uint8_t(reason) << kReasonShift)),
                             bHeldOpen || reason == ProtectionReason::InUse);
    m_arrReasons.back() = m_reasons.Intern(
        LoadString(IDS_WHY_PROTECTED).replace(QLatin1String("%s"), LoadString(ProtectionReasonTextId(reason))));
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

int CResultStore::Append(const WalkRecord &record, std::uint8_t flags, bool bHeldOpen)
{
    const int index = m_arrPaths.Append(record);
    m_arrSizes.push_back(record.size);
    m_arrCreated.push_back(record.creationTime);
    m_arrModified.push_back(record.modifiedTime);
    m_arrAccessed.push_back(record.accessedTime);
    // A record without a whole identity keeps what it has: an action then
    // finds the file changed and leaves it alone.
    const FileIdentity &id = record.identity;
    const bool whole = id.inode != 0 || record.inode == 0;
    m_arrDevices.push_back(whole ? id.device : record.device);
    m_arrInodes.push_back(whole ? id.inode : record.inode);
    m_arrIdentitySizes.push_back(id.size);
    m_arrModifiedNs.push_back(id.modifiedNs);
    m_arrBirthNs.push_back(id.birthNs);
    m_arrTypes.push_back(std::uint16_t(id.type));
    m_arrLinks.push_back(record.linkCount);
    m_arrFlags.push_back(std::uint8_t(flags | (id.hasBirth ? kHasBirth : 0)));
    m_arrReasons.push_back(CReasonTable::kNone);
    // Links are told apart by the inode the walk saw, whatever the identity
    // holds; a symbolic link is a file of its own, whatever it points to.
    m_forecast.AddFile(record.device, record.inode, record.allocatedBytes, record.linkCount, bHeldOpen,
                       (flags & kChecked) != 0);
    return index;
}

void CResultStore::Clear()
{
    m_arrPaths.Clear();
    std::vector<std::int64_t>().swap(m_arrSizes);
    std::vector<std::int64_t>().swap(m_arrCreated);
    std::vector<std::int64_t>().swap(m_arrModified);
    std::vector<std::int64_t>().swap(m_arrAccessed);
    std::vector<dev_t>().swap(m_arrDevices);
    std::vector<ino_t>().swap(m_arrInodes);
    std::vector<std::int64_t>().swap(m_arrIdentitySizes);
    std::vector<std::int64_t>().swap(m_arrModifiedNs);
    std::vector<std::int64_t>().swap(m_arrBirthNs);
    std::vector<std::uint16_t>().swap(m_arrTypes);
    std::vector<std::uint32_t>().swap(m_arrLinks);
    std::vector<std::uint8_t>().swap(m_arrFlags);
    std::vector<CReasonTable::Id>().swap(m_arrReasons);
    std::vector<std::int32_t>().swap(m_folderRuleDepth);
    m_trash.Clear();
    m_reasons.Clear();
    m_forecast.Clear();
    m_nSelectedBytes = 0;
    m_nSelectedCount = 0;
}

bool CResultStore::SetChecked(int index, bool checked)
{
    if (!IsValidIndex(index) || !IsListed(index) || IsChecked(index) == checked)
        return false;
    if (checked && IsLocked(index))
        return false; // a protected file is never selected, whoever asks
    std::uint8_t &flags = m_arrFlags[std::size_t(index)];
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
    return true;
}

void CResultStore::Unlist(int index)
{
    if (!IsValidIndex(index) || !IsListed(index))
        return;
    SetChecked(index, false);
    m_arrFlags[std::size_t(index)] &= std::uint8_t(~kListed);
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
    const std::size_t i = std::size_t(index);
    m_arrDevices[i] = identity.device;
    m_arrInodes[i] = identity.inode;
    m_arrTypes[i] = std::uint16_t(identity.type);
    m_arrIdentitySizes[i] = identity.size;
    m_arrModifiedNs[i] = identity.modifiedNs;
    m_arrBirthNs[i] = identity.birthNs;
    std::uint8_t &flags = m_arrFlags[i];
    flags = std::uint8_t((flags & ~(kHasBirth | kChecked)) | kListed | (identity.hasBirth ? kHasBirth : 0));
    m_forecast.Restore(index);
    SetChecked(index, true);
    return true;
}

FileIdentity CResultStore::GetIdentity(int index) const
{
    const std::size_t i = std::size_t(index);
    FileIdentity id;
    id.device = m_arrDevices[i];
    id.inode = m_arrInodes[i];
    id.type = m_arrTypes[i];
    id.size = m_arrIdentitySizes[i];
    id.modifiedNs = m_arrModifiedNs[i];
    id.birthNs = m_arrBirthNs[i];
    id.hasBirth = (m_arrFlags[i] & kHasBirth) != 0;
    return id;
}
