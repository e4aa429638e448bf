#pragma once

#include "core/ProtectionReason.h"

struct MatchReason;

struct WalkRecord;

// Where a scan hands the files that matched. The scan knows nothing of who
// lists them: the results page is one sink, a benchmark or the command line
// another.
class CMatchSink
{
public:
    virtual ~CMatchSink() = default;

    // A file that met the criteria, in walk order, with why it did (valid
    // only during the call).
    virtual void AddResult(const WalkRecord &record, const MatchReason &why) = 0;
    // A file that met the criteria but must never be acted on; a sink that
    // shows such files lists them locked, the others ignore them.
    virtual void AddProtectedResult(const WalkRecord &record, ProtectionReason reason)
    {
        (void)record;
        (void)reason;
    }
    // Called when the scan's rhythm says the screen may change: the moment
    // to show the totals gathered since the last call and, when `bShowRows`,
    // the new rows too.
    virtual void RefreshWhileBusy(bool bShowRows) { (void)bShowRows; }
};
