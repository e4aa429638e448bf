#pragma once

#include "core/CMatchSink.h"
#include "core/MatchReason.h"
#include "platform/WalkRecord.h"

#include <cstddef>
#include <functional>
#include <vector>

// Matches a scan keeps while its protection is still being read, so that
// the walk goes on meanwhile instead of waiting at the first match: each
// with a copy of its record and of the walk's chain as it was (one copy for
// the files of a folder), handed on later in the order they came, as if
// the walk met them then.
class CDeferredMatches
{
public:
    void Add(const ScanMatch &match);
    std::size_t GetCount() const { return m_kept.size(); }
    // Hands every kept match to `handle` in the order they came, then
    // forgets them all.
    void Replay(const std::function<void(const ScanMatch &match)> &handle);

private:
    struct Kept
    {
        WalkRecord record; // its chain points nowhere until it is handed on
        MatchReason why;
        ProtectionReason protection;
        bool heldOpen;
        bool unchecked;
        std::size_t chain; // into m_chains
    };

    std::vector<Kept> m_kept;
    std::vector<std::vector<WalkFolder>> m_chains;
};
