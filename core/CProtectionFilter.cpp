#include "core/CProtectionFilter.h"

#include "core/CProtection.h"

CProtectionFilter::CProtectionFilter(CProtection *pProtection, CMatchSink &next, bool bListLocked)
    : m_pProtection(pProtection), m_next(next), m_bListLocked(bListLocked)
{
}

void CProtectionFilter::AddMatch(const ScanMatch &match)
{
    const ProtectionReason reason = m_pProtection ? m_pProtection->Check(match.record) : ProtectionReason::None;
    if (reason == ProtectionReason::None && match.protection == ProtectionReason::None) {
        m_next.AddMatch(match);
        return;
    }
    if (!m_bListLocked)
        return;
    ScanMatch locked = match;
    if (locked.protection == ProtectionReason::None)
        locked.protection = reason;
    m_next.AddMatch(locked);
}

void CProtectionFilter::RefreshWhileBusy(bool bShowRows)
{
    m_next.RefreshWhileBusy(bShowRows);
}
