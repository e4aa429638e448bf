#include "core/CProtectionFilter.h"

#include "core/CLiveWorkItems.h"
#include "core/CProtection.h"

CProtectionFilter::CProtectionFilter(CProtection *pProtection, CMatchSink &next, bool bListLocked,
                                     CLiveWorkItems *pLiveWork)
    : m_pProtection(pProtection), m_next(next), m_bListLocked(bListLocked), m_pLiveWork(pLiveWork)
{
}

void CProtectionFilter::AddMatch(const ScanMatch &match)
{
    // Decided while the walk's chain is there: the rules read its folders.
    const ProtectionReason reason = m_pProtection ? m_pProtection->Check(match.record) : ProtectionReason::None;
    // A protected file's times count for its item as well: left out or not,
    // it was changed.
    const bool inItem = m_pLiveWork && m_pLiveWork->Enter(match.record);
    ScanMatch decided = match;
    if (decided.protection == ProtectionReason::None)
        decided.protection = reason;
    if (decided.protection != ProtectionReason::None && !m_bListLocked)
        return;
    if (inItem)
        m_pLiveWork->Hold(decided);
    else
        m_next.AddMatch(decided);
}

void CProtectionFilter::RefreshWhileBusy(bool bShowRows)
{
    m_next.RefreshWhileBusy(bShowRows);
}

void CProtectionFilter::Finish()
{
    if (m_pLiveWork)
        m_pLiveWork->Finish();
}
