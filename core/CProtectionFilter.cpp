#include "core/CProtectionFilter.h"

#include "core/CProtection.h"

CProtectionFilter::CProtectionFilter(CProtection *pProtection, CMatchSink &next, bool bListLocked)
    : m_pProtection(pProtection), m_next(next), m_bListLocked(bListLocked)
{
}

void CProtectionFilter::AddResult(const WalkRecord &record, const MatchReason &why)
{
    const ProtectionReason reason = m_pProtection ? m_pProtection->Check(record) : ProtectionReason::None;
    if (reason == ProtectionReason::None)
        m_next.AddResult(record, why);
    else
        AddProtectedResult(record, reason);
}

void CProtectionFilter::AddProtectedResult(const WalkRecord &record, ProtectionReason reason)
{
    if (m_bListLocked)
        m_next.AddProtectedResult(record, reason);
}

void CProtectionFilter::RefreshWhileBusy(bool bShowRows)
{
    m_next.RefreshWhileBusy(bShowRows);
}
