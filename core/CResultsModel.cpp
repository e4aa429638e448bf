#include "core/CResultsModel.h"

#include "core/CBackgroundSort.h"
#include "core/CResultsSorter.h"
#include "core/ItemRoles.h"
#include "core/NameText.h"
#include "core/SizeText.h"
#include "platform/LargeBlocks.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <unordered_map>

namespace {

// Removing more separate runs than this one by one would cost more than
// telling the views to start over.
constexpr std::size_t kMaxSeparateRuns = 16;

} // namespace

CResultsModel::CResultsModel(QObject *parent) : QAbstractTableModel(parent)
{
    for (int id : {IDS_COLUMN_FILE, IDS_COLUMN_LOCATION, IDS_COLUMN_SIZE, IDS_COLUMN_CREATED, IDS_COLUMN_MODIFIED,
                   IDS_COLUMN_ACCESSED, IDS_COLUMN_REASON})
        m_columnTitles.append(LoadString(id));
}

CResultsModel::~CResultsModel()
{
    m_pSortJob.reset();
}

int CResultsModel::AddResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen)
{
    StopBackgroundSort();
    return m_store.AddResult(record, why, bHeldOpen);
}

int CResultsModel::AddResult(const WalkRecord &record, bool bHeldOpen)
{
    StopBackgroundSort();
    return m_store.AddResult(record, bHeldOpen);
}

int CResultsModel::AddUncheckedResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen)
{
    StopBackgroundSort();
    return m_store.AddUncheckedResult(record, why, bHeldOpen);
}

int CResultsModel::AddLockedResult(const WalkRecord &record, ProtectionReason reason, bool bHeldOpen)
{
    StopBackgroundSort();
    return m_store.AddLockedResult(record, reason, bHeldOpen);
}

void CResultsModel::FlushPendingRows()
{
    const int pending = GetPendingCount();
    if (pending <= 0)
        return;
    ++m_nLayoutGeneration;
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + pending - 1);
    for (int item = m_nAnnouncedItems; item < m_store.GetCount(); ++item)
        m_rows.push_back(item);
    m_nAnnouncedItems = m_store.GetCount();
    endInsertRows();
    if (m_bSortWaits) {
        m_bSortWaits = false;
        StartBackgroundSort();
    }
}

void CResultsModel::RemoveLinks(const std::vector<int> &items)
{
    for (const int item : items)
        m_store.RemoveLink(item);
}

void CResultsModel::Clear()
{
    m_pSortJob.reset();
    m_bSortWaits = false;
    beginResetModel();
    ++m_nLayoutGeneration;
    m_nSortColumn = -1;
    std::vector<int>().swap(m_rows);
    m_store.Clear();
    m_nAnnouncedItems = 0;
    m_dateTexts.clear();
    endResetModel();
    // The folder tree and the names are many small blocks: freed, they
    // stayed resident (47.7 MB held after clearing a million rows, 26.1 MB
    // with them given back).
    ReturnFreePages();
}

int CResultsModel::GetItem(int row) const
{
    if (row < 0 || std::size_t(row) >= m_rows.size())
        return -1;
    return m_rows[std::size_t(row)];
}

bool CResultsModel::GetCheck(int row) const
{
    const int item = GetItem(row);
    return item >= 0 && m_store.IsChecked(item);
}

bool CResultsModel::IsLockedRow(int row) const
{
    return m_store.IsLocked(GetItem(row));
}

bool CResultsModel::SetCheck(int row, bool checked)
{
    const int item = GetItem(row);
    if (item < 0 || !m_store.SetChecked(item, checked))
        return false;
    const QModelIndex cell = index(row, kColumnFile);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    emit checkChanged(row, checked);
    return true;
}

std::vector<int> CResultsModel::GetCheckedRows() const
{
    std::vector<int> rows;
    rows.reserve(std::size_t(m_store.GetSelectedCount()));
    ForEachCheckedRow([&rows](int row, int) { rows.push_back(row); });
    return rows;
}

std::vector<char> CResultsModel::GetActedFiles() const
{
    // The check states are read in the order the files were stored, where
    // their records lie one after the other; in row order after a sort nearly
    // every read would be a wait on memory. A byte per file is then looked
    // up in row order, and a million of them stay in the cache.
    std::vector<char> acted(std::size_t(m_store.GetCount()), 0);
    for (int item = 0; item < m_store.GetCount(); ++item)
        acted[std::size_t(item)] = m_store.IsChecked(item) && !m_store.IsLocked(item);
    return acted;
}

int CResultsModel::SetCheckByReason(int reason, bool checked)
{
    return SetCheckByReasons({reason}, checked);
}

int CResultsModel::SetCheckByReasons(const std::vector<int> &reasons, bool checked)
{
    FlushPendingRows();
    // Only the reasons with a file whose check would change, as told by the
    // store's counts: often none, and then the files are not visited at all.
    std::vector<char> wanted(std::size_t(m_store.GetReasons().GetCount()), 0);
    bool any = false;
    for (int reason : reasons) {
        if (reason < 0 || std::size_t(reason) >= wanted.size())
            continue;
        const auto id = CReasonTable::Id(reason);
        wanted[std::size_t(reason)] = (checked ? m_store.GetCheckableCount(id) : m_store.GetCheckedCount(id)) > 0;
        any = any || wanted[std::size_t(reason)];
    }
    if (!any)
        return 0;
    // In the order the files were stored, where their records lie one after
    // the other (in row order after a sort nearly every read would wait on
    // memory). Every listed file has a row; the store refuses the others.
    int changed = 0;
    for (int item = 0; item < m_store.GetCount(); ++item) {
        if (wanted[std::size_t(m_store.GetReasonId(item))] && m_store.SetChecked(item, checked))
            ++changed;
    }
    AnnounceChecks(changed);
    return changed;
}

int CResultsModel::SetCheckItems(std::vector<int> items, bool checked)
{
    FlushPendingRows();
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    // The store refuses locked files, files already so and files without a row.
    int changed = 0;
    for (int item : items) {
        if (m_store.IsValidIndex(item) && m_store.SetChecked(item, checked))
            ++changed;
    }
    AnnounceChecks(changed);
    return changed;
}

void CResultsModel::AnnounceChecks(int changed)
{
    if (changed == 0)
        return;
    emit dataChanged(index(0, kColumnFile), index(rowCount() - 1, kColumnFile), {Qt::CheckStateRole});
    emit checksChanged();
}

void CResultsModel::RemoveRowList(std::vector<int> rows)
{
    // An action hands its rows over from the last to the first: reversing
    // them is linear where sorting a million would hold the window.
    if (!std::is_sorted(rows.begin(), rows.end())) {
        std::reverse(rows.begin(), rows.end());
        if (!std::is_sorted(rows.begin(), rows.end()))
            std::sort(rows.begin(), rows.end());
    }
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [this](int row) { return row < 0 || std::size_t(row) >= m_rows.size(); }),
               rows.end());
    if (rows.empty())
        return;
    ++m_nLayoutGeneration;
    if (rows.size() < std::size_t(m_store.GetCount()) / 64) {
        for (int row : rows)
            m_store.Unlist(m_rows[std::size_t(row)]);
    } else {
        // Many files: in the order they were stored, where their records lie
        // one after the other (in row order after a sort nearly every one
        // would be a wait on memory).
        std::vector<char> leaving(std::size_t(m_store.GetCount()), 0);
        for (int row : rows)
            leaving[std::size_t(m_rows[std::size_t(row)])] = 1;
        for (std::size_t item = 0; item < leaving.size(); ++item) {
            if (leaving[item])
                m_store.Unlist(int(item));
        }
    }

    // Few runs of adjacent rows: one removal each, from the bottom up, so the
    // positions of the runs still to go stay valid.
    std::size_t runs = 0;
    for (std::size_t i = 0; i < rows.size() && runs <= kMaxSeparateRuns; ++i)
        runs += i == 0 || rows[i] != rows[i - 1] + 1;
    if (runs <= kMaxSeparateRuns) {
        for (std::size_t end = rows.size(); end > 0;) {
            std::size_t first = end - 1;
            while (first > 0 && rows[first - 1] + 1 == rows[first])
                --first;
            beginRemoveRows(QModelIndex(), rows[first], rows[end - 1]);
            m_rows.erase(m_rows.begin() + rows[first], m_rows.begin() + rows[end - 1] + 1);
            endRemoveRows();
            end = first;
        }
        return;
    }
    beginResetModel();
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (next < rows.size() && std::size_t(rows[next]) == row) {
            ++next;
            continue;
        }
        m_rows[kept++] = m_rows[row];
    }
    m_rows.resize(kept);
    endResetModel();
}

void CResultsModel::ReturnRows(std::vector<ReturningRow> rows)
{
    // Only files that really left the list come back, each once.
    std::vector<ReturningRow> placed, sorted;
    for (const ReturningRow &row : rows) {
        if (!m_store.Relist(row.item, row.identity))
            continue;
        (row.row >= 0 ? placed : sorted).push_back(row);
    }
    if (placed.empty() && sorted.empty())
        return;
    ++m_nLayoutGeneration;
    std::sort(placed.begin(), placed.end(), [](const ReturningRow &a, const ReturningRow &b) { return a.row < b.row; });
    struct Run
    {
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Run> runs;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (!runs.empty() && placed[i].row == placed[i - 1].row + 1)
            runs.back().end = i + 1;
        else
            runs.push_back(Run{i, i + 1});
    }
    if (runs.size() <= kMaxSeparateRuns) {
        // From the top down: each insertion moves only rows below it, whose
        // positions are already those of the list as it will be.
        for (const Run &run : runs) {
            const int first = std::min(placed[run.begin].row, int(m_rows.size()));
            beginInsertRows(QModelIndex(), first, first + int(run.end - run.begin) - 1);
            std::vector<int> items;
            for (std::size_t k = run.begin; k < run.end; ++k)
                items.push_back(placed[k].item);
            m_rows.insert(m_rows.begin() + first, items.begin(), items.end());
            endInsertRows();
        }
    } else {
        beginResetModel();
        std::vector<int> merged;
        merged.reserve(m_rows.size() + placed.size());
        std::size_t next = 0, old = 0;
        while (old < m_rows.size() || next < placed.size()) {
            if (next < placed.size() && (std::size_t(placed[next].row) <= merged.size() || old == m_rows.size()))
                merged.push_back(placed[next++].item);
            else
                merged.push_back(m_rows[old++]);
        }
        m_rows.swap(merged);
        endResetModel();
    }
    if (!sorted.empty()) {
        const int first = int(m_rows.size());
        beginInsertRows(QModelIndex(), first, first + int(sorted.size()) - 1);
        for (const ReturningRow &row : sorted)
            m_rows.push_back(row.item);
        endInsertRows();
        if (m_nSortColumn >= 0)
            sort(m_nSortColumn, m_sortOrder);
    }
}

bool CResultsModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || std::size_t(row) + std::size_t(count) > m_rows.size())
        return false;
    ++m_nLayoutGeneration;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    for (int r = row; r < row + count; ++r)
        m_store.Unlist(m_rows[std::size_t(r)]);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
    endRemoveRows();
    return true;
}

void CResultsModel::sort(int column, Qt::SortOrder order)
{
    FlushPendingRows();
    if (column < 0 || column >= kColumnCount)
        return;
    m_nSortColumn = column;
    m_sortOrder = order;
    m_pSortJob.reset();
    m_bSortWaits = false;
    if (m_rows.size() >= std::size_t(std::max(m_nBackgroundSortRows, 1))) {
        StartBackgroundSort();
        return;
    }
    ApplyOrder(CResultsSorter(m_store, column).Sort(m_rows, order == Qt::AscendingOrder));
    emit sortFinished();
}

void CResultsModel::StartBackgroundSort()
{
    m_pSortJob.reset();
    const int job = ++m_nSortJob;
    m_nSortJobGeneration = m_nLayoutGeneration;
    m_pSortJob = std::make_unique<CBackgroundSort>(m_store, m_nSortColumn, m_rows, m_sortOrder == Qt::AscendingOrder,
                                                   [this, job] {
                                                       QMetaObject::invokeMethod(
                                                           this, [this, job] { OnBackgroundSortDone(job); },
                                                           Qt::QueuedConnection);
                                                   });
}

void CResultsModel::OnBackgroundSortDone(int job)
{
    if (job != m_nSortJob || !m_pSortJob)
        return; // a sort cancelled after it had finished
    if (m_nLayoutGeneration != m_nSortJobGeneration) {
        StartBackgroundSort(); // rows came or went meanwhile: sort the list as it is now
        return;
    }
    std::vector<int> sorted = m_pSortJob->TakeOrder();
    m_pSortJob.reset();
    ApplyOrder(std::move(sorted));
    emit sortFinished();
}

void CResultsModel::StopBackgroundSort()
{
    if (!m_pSortJob)
        return;
    m_pSortJob.reset();
    m_bSortWaits = true;
}

void CResultsModel::ApplyOrder(std::vector<int> sorted)
{
    ++m_nLayoutGeneration;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Keep the views' current row and selection on the same files.
    const QModelIndexList persistent = persistentIndexList();
    if (!persistent.isEmpty())
        changePersistentIndexList(persistent, FollowFiles(persistent, sorted));
    m_rows.swap(sorted);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndexList CResultsModel::FollowFiles(const QModelIndexList &persistent, const std::vector<int> &sorted) const
{
    const auto itemAt = [this](const QModelIndex &old) { return m_rows[std::size_t(old.row())]; };
    // The views usually hold a few rows (the current one, the ends of a
    // selection): their files' new rows are found in one pass over the
    // order, with a bit per file, instead of a map of every file's row,
    // whose fresh memory alone costs a thousand page faults at a million
    // files. Where they hold many rows, the map is the cheaper way.
    std::vector<int> rowOfItem;
    std::unordered_map<int, int> rowOfHeld;
    if (std::size_t(persistent.size()) > sorted.size() / 64) {
        rowOfItem.assign(std::size_t(m_store.GetCount()), -1);
        for (std::size_t row = 0; row < sorted.size(); ++row)
            rowOfItem[std::size_t(sorted[row])] = int(row);
    } else {
        std::vector<bool> held(std::size_t(m_store.GetCount()), false);
        for (const QModelIndex &old : persistent)
            held[std::size_t(itemAt(old))] = true;
        for (std::size_t row = 0; row < sorted.size(); ++row) {
            if (held[std::size_t(sorted[row])])
                rowOfHeld[sorted[row]] = int(row);
        }
    }
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const QModelIndex &old : persistent) {
        const int item = itemAt(old);
        const int row = rowOfItem.empty() ? rowOfHeld.at(item) : rowOfItem[std::size_t(item)];
        moved.append(index(row, old.column()));
    }
    return moved;
}

int CResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

Qt::ItemFlags CResultsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == kColumnFile && !IsLockedRow(index.row()))
        result |= Qt::ItemIsUserCheckable;
    return result;
}

QString CResultsModel::DateText(std::int64_t seconds) const
{
    const QDateTime time = QDateTime::fromSecsSinceEpoch(seconds);
    if (!time.isValid())
        return QString();
    const QDate day = time.date();
    auto cached = m_dateTexts.constFind(day.toJulianDay());
    if (cached == m_dateTexts.constEnd())
        cached = m_dateTexts.insert(day.toJulianDay(), QLocale().toString(day, QLocale::ShortFormat));
    return cached.value();
}

QString CResultsModel::DisplayText(int item, int column) const
{
    switch (column) {
    // A line break or another control character in a name would cut the
    // row's text or pass for something else: shown as an escape, the name
    // itself in the tooltip.
    case kColumnFile:
        return VisibleName(m_store.GetPaths().GetName(item));
    case kColumnLocation:
        return VisibleName(m_store.GetPaths().GetFolder(item));
    case kColumnSize:
        return FormatSize(m_store.GetSize(item));
    case kColumnCreated:
        return DateText(m_store.GetCreationTime(item));
    case kColumnModified:
        return DateText(m_store.GetModifiedTime(item));
    case kColumnAccessed:
        return DateText(m_store.GetAccessedTime(item));
    case kColumnReason:
        return m_store.GetReasonText(item);
    default:
        return QString();
    }
}

QVariant CResultsModel::ToolTipText(int item, int column) const
{
    QStringList lines;
    if (column == kColumnFile || column == kColumnLocation) {
        const QByteArray raw =
            column == kColumnFile ? m_store.GetPaths().GetName(item) : m_store.GetPaths().GetFolder(item);
        const QString shown = DisplayName(raw);
        if (shown != VisibleName(raw))
            lines << shown;
    }
    if (m_store.IsLocked(item))
        lines << LoadString(IDS_PROTECTED_TOOLTIP)
                     .replace(QLatin1String("%s"), LoadString(ProtectionReasonTextId(m_store.GetLockReason(item))));
    else if (const std::int64_t shared = m_store.GetForecast().GetSharedBytes(item); shared > 0)
        lines << FormatString(IDS_WHY_SHARED, {FormatSize(shared)});
    return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
}

QVariant CResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() < 0 || index.column() >= kColumnCount)
        return QVariant();
    const int item = GetItem(index.row());
    if (item < 0)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return DisplayText(item, index.column());
    case Qt::CheckStateRole:
        if (index.column() != kColumnFile)
            return QVariant();
        return m_store.IsChecked(item) ? Qt::Checked : Qt::Unchecked;
    case Qt::UserRole:
        return item;
    case Qt::ToolTipRole:
        return ToolTipText(item, index.column());
    case kCheckLockedRole:
        return index.column() == kColumnFile && m_store.IsLocked(item);
    case Qt::TextAlignmentRole:
        if (index.column() == kColumnSize)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::DecorationRole:
        if (m_decoration && (index.column() == kColumnFile || index.column() == kColumnLocation))
            return m_decoration(index.column(), *this, item);
        return QVariant();
    default:
        return QVariant();
    }
}

bool CResultsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != kColumnFile)
        return false;
    if (IsLockedRow(index.row()))
        return false;
    SetCheck(index.row(), value.toInt() == Qt::Checked);
    return GetItem(index.row()) >= 0;
}

QVariant CResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_columnTitles.value(section);
    if (role == Qt::TextAlignmentRole)
        return int((section == kColumnSize ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return QVariant();
}
