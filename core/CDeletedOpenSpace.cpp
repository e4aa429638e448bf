#include "core/CDeletedOpenSpace.h"

#include "core/SizeText.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QStringList>
#include <algorithm>
#include <set>
#include <tuple>
#include <utility>

void CDeletedOpenSpace::Collect(const std::vector<DeletedOpenFile> &files, dev_t device, std::uint64_t mountId)
{
    m_nBytes = 0;
    m_holders.clear();
    // A process may hold one file through several descriptors, and several
    // processes one file: each file counts once in the total and once for
    // each of its holders.
    std::set<std::pair<dev_t, ino_t>> counted;
    std::set<std::tuple<pid_t, dev_t, ino_t>> countedPerHolder;
    for (const DeletedOpenFile &file : files) {
        const bool onDrive = file.device == device || (mountId != 0 && file.mountId == mountId);
        if (!onDrive || file.allocatedBytes <= 0)
            continue;
        if (counted.insert({file.device, file.inode}).second)
            m_nBytes += file.allocatedBytes;
        if (!countedPerHolder.insert({file.pid, file.device, file.inode}).second)
            continue;
        auto holder = std::find_if(m_holders.begin(), m_holders.end(),
                                   [&file](const Holder &known) { return known.pid == file.pid; });
        if (holder == m_holders.end())
            holder = m_holders.insert(m_holders.end(), Holder{file.program, file.pid, 0});
        holder->bytes += file.allocatedBytes;
    }
    std::sort(m_holders.begin(), m_holders.end(), [](const Holder &a, const Holder &b) {
        return std::tie(b.bytes, a.program, a.pid) < std::tie(a.bytes, b.program, b.pid);
    });
}

QString CDeletedOpenSpace::SummaryText(int maxHolders) const
{
    if (m_nBytes <= 0)
        return QString();
    QStringList names;
    for (const Holder &holder : m_holders) {
        if (names.size() == maxHolders) {
            names.append(QStringLiteral("..."));
            break;
        }
        names.append(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(holder.program)).arg(holder.pid));
    }
    return FormatString(IDS_HELD_BY_DELETED, {FormatSize(m_nBytes), names.join(QStringLiteral(", "))});
}
