#pragma once

#include "core/CMatchSink.h"

class CLiveWorkItems;
class CProtection;

// Stands between a scan and the sink that lists its matches: a protected
// file is either left out (Express) or handed on locked (Custom); the rest
// pass unchanged. With no protection every match passes. With live work to
// look for, a file of a temporary item is held until the walk leaves the
// item, then handed on unchecked when the item is live work.
class CProtectionFilter : public CMatchSink
{
public:
    CProtectionFilter(CProtection *pProtection, CMatchSink &next, bool bListLocked,
                      CLiveWorkItems *pLiveWork = nullptr);

    void AddMatch(const ScanMatch &match) override;
    void RefreshWhileBusy(bool bShowRows) override;
    // The walk is over (or was stopped): the item held so far is handed on.
    void Finish();

private:
    CProtection *m_pProtection;
    CMatchSink &m_next;
    bool m_bListLocked;
    CLiveWorkItems *m_pLiveWork;
};
