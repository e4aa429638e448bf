#pragma once

#include "core/ProtectionReason.h"

struct MatchReason;
struct WalkRecord;

// One file that met the criteria, as a scan hands it on (valid only during
// the call that receives it).
struct ScanMatch
{
    const WalkRecord &record;
    const MatchReason &why;
    // Not None: the file must never be acted on; a list that shows it
    // shows it locked.
    ProtectionReason protection = ProtectionReason::None;
    // A running process held the file when the scan began: removing it
    // takes its name away but frees none of its blocks.
    bool heldOpen = false;
    // Listed but not checked: live work the user may still check by hand.
    // `why` then says why it was left unchecked.
    bool unchecked = false;
};

// Where a scan hands the files that matched. The scan knows nothing of who
// lists them: the results page is one sink, a benchmark or the command line
// another.
class CMatchSink
{
public:
    virtual ~CMatchSink() = default;

    // A file that met the criteria, in walk order.
    virtual void AddMatch(const ScanMatch &match) = 0;
    // Called when the scan's rhythm says the screen may change: the moment
    // to show the totals gathered since the last call and, when `bShowRows`,
    // the new rows too.
    virtual void RefreshWhileBusy(bool bShowRows) { (void)bShowRows; }
};
