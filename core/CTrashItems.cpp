#include "core/CTrashItems.h"

void CTrashItems::Add(int index, CTrashItem item)
{
    m_byIndex.insert(index, int(m_items.size()));
    m_items.push_back(std::move(item));
}

const CTrashItem *CTrashItems::Find(int index) const
{
    if (m_byIndex.isEmpty())
        return nullptr;
    const auto it = m_byIndex.constFind(index);
    return it == m_byIndex.constEnd() ? nullptr : &m_items[std::size_t(*it)];
}

void CTrashItems::Clear()
{
    std::vector<CTrashItem>().swap(m_items);
    m_byIndex = {};
}
