#include "core/CDeferredMatches.h"

#include <utility>

namespace {

// Whether `record` lies in the folder the chain copy ends at: serials are
// never given to two folders.
bool EndsAtSameFolder(const std::vector<WalkFolder> &chain, const WalkRecord &record)
{
    if (chain.size() != std::size_t(record.chainLength))
        return false;
    return chain.empty() || chain.back().serial == record.chain[record.chainLength - 1].serial;
}

} // namespace

void CDeferredMatches::Add(const ScanMatch &match)
{
    const WalkRecord &record = match.record;
    const int length = record.chain ? record.chainLength : 0;
    if (m_chains.empty() || !EndsAtSameFolder(m_chains.back(), record))
        m_chains.emplace_back(record.chain, record.chain + length);
    Kept kept{record, match.why, match.protection, match.heldOpen, match.unchecked, m_chains.size() - 1};
    kept.record.chain = nullptr;
    kept.record.chainLength = 0;
    m_kept.push_back(std::move(kept));
}

void CDeferredMatches::Replay(const std::function<void(const ScanMatch &match)> &handle)
{
    std::vector<Kept> kept;
    kept.swap(m_kept);
    std::vector<std::vector<WalkFolder>> chains;
    chains.swap(m_chains);
    for (Kept &each : kept) {
        const std::vector<WalkFolder> &chain = chains[each.chain];
        each.record.chain = chain.empty() ? nullptr : chain.data();
        each.record.chainLength = int(chain.size());
        ScanMatch match{each.record, each.why, each.protection, each.heldOpen};
        match.unchecked = each.unchecked;
        handle(match);
    }
}
