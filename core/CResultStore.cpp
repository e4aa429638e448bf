#include "core/CResultStore.h"

int CResultStore::AddResult(const WalkRecord &record)
{
    const int index = m_arrPaths.Append(record.folder, record.name);
    m_arrSizes.push_back(record.size);
    m_arrCreated.push_back(record.creationTime);
    m_arrModified.push_back(record.modifiedTime);
    m_arrAccessed.push_back(record.accessedTime);
    m_arrDevices.push_back(record.device);
    m_arrInodes.push_back(record.inode);
    m_arrFlags.push_back(kChecked | kListed);
    m_nSelectedBytes += record.size;
    ++m_nSelectedCount;
    return index;
}

int CResultStore::AddLockedResult(const WalkRecord &record, ProtectionReason reason)
{
    const int index = AddResult(record);
    m_nSelectedBytes -= record.size;
    --m_nSelectedCount;
    m_arrFlags[std::size_t(index)] = std::uint8_t(kListed | kLocked | (std::uint8_t(reason) << kReasonShift));
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
    std::vector<std::uint8_t>().swap(m_arrFlags);
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
    return true;
}

void CResultStore::Unlist(int index)
{
    if (!IsValidIndex(index) || !IsListed(index))
        return;
    SetChecked(index, false);
    m_arrFlags[std::size_t(index)] &= std::uint8_t(~kListed);
}
