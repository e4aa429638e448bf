#pragma once

#include "core/CMatchSink.h"

class CProtection;

// Stands between a scan and the sink that lists its matches: a protected
// file is either left out (Express) or handed on locked (Custom); the rest
// pass unchanged. With no protection every match passes.
class CProtectionFilter : public CMatchSink
{
public:
    CProtectionFilter(CProtection *pProtection, CMatchSink &next, bool bListLocked);

    void AddMatch(const ScanMatch &match) override;
    void RefreshWhileBusy(bool bShowRows) override;

private:
    CProtection *m_pProtection;
    CMatchSink &m_next;
    bool m_bListLocked;
};
