#include "core/CLiveWorkItems.h"

#include "core/CFileMatcher.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Past a large item, the room its files took is given back.
constexpr std::size_t kKeptHeldRoom = 4096;

QByteArray WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

} // namespace

CLiveWorkItems::CLiveWorkItems(const QByteArray &driveRoot, std::int64_t now, Forward forward)
    : m_strRoot(WithoutTrailingSlashes(driveRoot))
    , m_nNow(now)
    , m_forward(std::move(forward))
    , m_tempFolders(CFileMatcher::ExpressTempFolders())
{
}

MatchReason CLiveWorkItems::LiveReason(std::int64_t seconds)
{
    const std::int64_t hours = seconds > 0 ? seconds / 3600 : 0;
    QString text;
    if (hours == 0)
        text = LoadString(IDS_WHY_LIVE_RECENT);
    else if (hours == 1)
        text = LoadString(IDS_WHY_LIVE_ONE_HOUR);
    else
        text = LoadString(IDS_WHY_LIVE_HOURS).replace(QLatin1String("%d"), QString::number(hours));
    return MatchReason{text, text};
}

qsizetype CLiveWorkItems::ItemEnd(const QByteArray &folder)
{
    if (m_memoFolder.size() == std::size_t(folder.size())
        && std::memcmp(m_memoFolder.data(), folder.constData(), m_memoFolder.size()) == 0)
        return m_nMemoEnd;
    m_memoFolder.assign(folder.constData(), std::size_t(folder.size()));
    m_nMemoEnd = -1;
    // Only the folders below the drive's root count: a drive that itself
    // lies in /tmp is not all temporary work.
    const qsizetype r = m_strRoot.size();
    qsizetype pos = 0;
    if (m_strRoot == "/")
        pos = 0;
    else if (folder.startsWith(m_strRoot) && (folder.size() == r || folder[r] == '/'))
        pos = r;
    else
        return m_nMemoEnd;
    // The outermost temporary folder decides: a tmp folder inside a tree
    // being built in /tmp is part of that tree's item.
    while (pos < folder.size()) {
        const qsizetype start = pos + 1;
        qsizetype end = folder.indexOf('/', start);
        if (end < 0)
            end = folder.size();
        if (end > start) {
            CPatternList::FoldBytes(folder.constData() + start, end - start, m_scratch);
            if (m_tempFolders.Match(m_scratch)) {
                if (end == folder.size()) {
                    m_nMemoEnd = 0;
                } else {
                    const qsizetype itemEnd = folder.indexOf('/', end + 1);
                    m_nMemoEnd = itemEnd < 0 ? folder.size() : itemEnd;
                }
                return m_nMemoEnd;
            }
        }
        pos = end;
    }
    return m_nMemoEnd;
}

void CLiveWorkItems::Note(std::int64_t modified, std::int64_t changed)
{
    m_nLatest = std::max({m_nLatest, modified, changed});
}

bool CLiveWorkItems::Enter(const WalkRecord &record)
{
    const qsizetype end = ItemEnd(record.folder);
    if (end < 0) {
        Decide();
        return false;
    }
    const bool sameItem = m_bInItem && end > 0 && !m_bItemIsFile && m_itemPath.size() == end
                          && std::memcmp(m_itemPath.constData(), record.folder.constData(), std::size_t(end)) == 0;
    if (!sameItem) {
        Decide();
        m_bInItem = true;
        m_bItemIsFile = end == 0;
        m_itemPath = m_bItemIsFile ? record.folder + '/' + record.name : record.folder.left(end);
        m_nLatest = std::numeric_limits<std::int64_t>::min();
        m_nLastFolderSerial = 0;
    }
    Note(record.modifiedTime, record.changeTime);
    // The item's folders count too (a file removed from one changes it):
    // those on this file's way, from its own folder up to the item's, once
    // for each folder the walk enters.
    if (!m_bItemIsFile && record.chain && record.chainLength > 0) {
        const WalkFolder &deepest = record.chain[record.chainLength - 1];
        if (deepest.serial != m_nLastFolderSerial) {
            m_nLastFolderSerial = deepest.serial;
            for (int level = record.chainLength - 1; level >= 0; --level) {
                const WalkFolder &step = record.chain[level];
                if (step.nameBegin + step.nameLength < end)
                    break;
                Note(step.modifiedTime, step.changeTime);
            }
        }
    }
    return true;
}

void CLiveWorkItems::Hold(const ScanMatch &match)
{
    Held held{match.record, match.why, match.protection, match.heldOpen};
    held.record.chain = nullptr; // the walk's chain is gone by the time it is handed on
    held.record.chainLength = 0;
    m_held.push_back(std::move(held));
}

void CLiveWorkItems::Finish()
{
    Decide();
}

void CLiveWorkItems::Decide()
{
    if (!m_bInItem)
        return;
    m_bInItem = false;
    // A time in the future (a clock set wrong, a tree from another
    // machine) is as recent as it gets.
    const std::int64_t age = m_nLatest > m_nNow ? 0 : m_nNow - m_nLatest;
    const bool live = age < std::int64_t(kLiveWorkHours) * 3600;
    MatchReason liveReason;
    if (live)
        liveReason = LiveReason(age);
    for (const Held &held : m_held) {
        const bool unchecked = live && held.protection == ProtectionReason::None;
        // The rule's folder stays what it was: a file checked by hand and
        // removed takes the folders it empties with it, as any other.
        if (unchecked)
            liveReason.folderLevel = held.why.folderLevel;
        ScanMatch match{held.record, unchecked ? liveReason : held.why, held.protection, held.heldOpen};
        match.unchecked = unchecked;
        m_nLeftUnchecked += unchecked ? 1 : 0;
        m_forward(match);
    }
    m_held.clear();
    if (m_held.capacity() > kKeptHeldRoom)
        std::vector<Held>().swap(m_held);
}
