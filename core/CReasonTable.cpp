#include "core/CReasonTable.h"

#include "core/MatchReason.h"

CReasonTable::CReasonTable()
{
    Clear();
}

void CReasonTable::Clear()
{
    std::vector<QString>().swap(m_texts);
    m_ids.clear();
    m_texts.emplace_back();
    m_ids.insert(QString(), kNone);
    m_last = kNone;
}

CReasonTable::Id CReasonTable::Find(const QString &text, int limit)
{
    if (text == m_texts[m_last])
        return m_last;
    const auto found = m_ids.constFind(text);
    if (found != m_ids.constEnd())
        return m_last = found.value();
    if (int(m_texts.size()) >= limit)
        return Id(kCapacity - 1); // never a valid answer below `limit`: callers check
    const Id id = Id(m_texts.size());
    m_texts.push_back(text);
    m_ids.insert(text, id);
    return m_last = id;
}

CReasonTable::Id CReasonTable::Intern(const MatchReason &reason)
{
    const Id id = Find(reason.text, kCapacity - kGroupReserve);
    if (id != Id(kCapacity - 1))
        return id;
    return Intern(reason.group.isEmpty() ? reason.text : reason.group);
}

CReasonTable::Id CReasonTable::Intern(const QString &text)
{
    const Id id = Find(text, kCapacity - 1);
    if (id != Id(kCapacity - 1))
        return id;
    // Full to the last place: every other text shares it.
    if (int(m_texts.size()) < kCapacity) {
        m_texts.push_back(text);
        m_ids.insert(text, id);
    }
    return m_last = id;
}

const QString &CReasonTable::GetText(Id id) const
{
    static const QString empty;
    return id < m_texts.size() ? m_texts[id] : empty;
}
