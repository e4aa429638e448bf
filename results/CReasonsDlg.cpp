#include "results/CReasonsDlg.h"

#include "controls/AccessibleFactory.h"
#include "controls/TextFit.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFlatPushButton.h"
#include "controls/CSortArrowHeader.h"
#include "core/CResultsModel.h"
#include "core/ItemRoles.h"
#include "core/SizeText.h"
#include "res/DialogTemplate.h"
#include "res/DialogUnits.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <algorithm>

namespace {

enum Column { kReason, kFiles, kSize, kFrees, kShared, kColumns };

// Widths for the classic dialog font (6 pixels a character), scaled by the
// dialog font as the results list's columns are.
constexpr int kWidths[kColumns] = {170, 55, 75, 70, 70};
constexpr double kClassicCharWidth = 6.0;

struct Summary
{
    std::vector<int> items;     // listed files, row order
    std::vector<int> checkable; // those that are not locked
    std::int64_t bytes = 0;
    int checked = 0;
};

QStandardItem *Cell(const QString &text, const QVariant &key, bool right = false)
{
    auto *item = new QStandardItem(text);
    item->setData(key, CReasonsDlg::kSortKeyRole);
    item->setEditable(false);
    if (right)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

CReasonsDlg::CReasonsDlg(CResultsModel &model, QWidget *parent)
    : QDialog(parent)
    , m_model(model)
    , m_frees([&model](const std::vector<int> &indices) { return model.GetStore().GetForecast().FreedBy(indices); })
    , m_listReasons(new CCheckBoxListCtrl(this))
    , m_modelReasons(new QStandardItemModel(0, kColumns, this))
    , m_btnCheck(new CFlatPushButton(this))
    , m_btnUncheck(new CFlatPushButton(this))
    , m_btnClose(new CFlatPushButton(this))
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFont(DialogFont());
    // A window of its own beside the wizard, named for what it shows.
    setWindowTitle(LoadString(IDS_REASONS_TITLE));
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_REASONS)) {
        setFixedSize(DialogPixelSize(*dialogTemplate));
        PlaceControl(m_listReasons, *dialogTemplate, IDC_REASONS_LIST);
        PlaceControl(m_btnCheck, *dialogTemplate, IDC_REASONS_CHECK);
        PlaceControl(m_btnUncheck, *dialogTemplate, IDC_REASONS_UNCHECK);
        PlaceControl(m_btnClose, *dialogTemplate, IDOK);
    }
    m_btnCheck->setText(LoadString(IDS_REASONS_CHECK));
    m_btnUncheck->setText(LoadString(IDS_REASONS_UNCHECK));
    m_btnClose->setText(LoadString(IDS_CLOSE));
    m_btnClose->setDefault(true);
    m_btnCheck->setAutoDefault(false);
    m_btnUncheck->setAutoDefault(false);

    m_modelReasons->setHorizontalHeaderLabels({LoadString(IDS_COLUMN_REASON), LoadString(IDS_REASONS_FILES),
                                               LoadString(IDS_COLUMN_SIZE), LoadString(IDS_REASONS_FREES),
                                               LoadString(IDS_REASONS_SHARED)});
    // Sorted on real keys: numbers as numbers, not as their texts.
    m_modelReasons->setSortRole(kSortKeyRole);
    m_listReasons->setModel(m_modelReasons);
    m_listReasons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listReasons->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listReasons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A folder reason ends in the folder's path: a reason too long for its
    // column keeps its start and that end, the whole text in the tooltip.
    m_listReasons->setTextElideMode(Qt::ElideMiddle);
    NameControlsByLabels(this);
    FitTextsInside(this);
    m_headerReasons = m_listReasons->SortHeader();
    if (m_headerReasons) {
        m_headerReasons->SetSortColumn(-1, true);
        m_headerReasons->setStretchLastSection(false);
        const double scale = CDialogUnits(font()).baseUnits().width() / kClassicCharWidth;
        for (int column = 0; column < kColumns; ++column)
            m_headerReasons->resizeSection(column, qRound(kWidths[column] * scale));
    }

    connect(m_listReasons, &CCheckBoxListCtrl::checkChanged, this, &CReasonsDlg::OnListCheckChanged);
    connect(m_btnCheck, &QPushButton::clicked, this, &CReasonsDlg::OnCheck);
    connect(m_btnUncheck, &QPushButton::clicked, this, &CReasonsDlg::OnUncheck);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::accept);
    Refresh();
}

void CReasonsDlg::SetFreesProvider(FreesProvider provider)
{
    m_frees = std::move(provider);
    Refresh();
}

int CReasonsDlg::GetReasonAt(int row) const
{
    const QStandardItem *item = m_modelReasons->item(row, kReason);
    return item ? item->data(kReasonIdRole).toInt() : -1;
}

void CReasonsDlg::Refresh()
{
    const CResultStore &store = m_model.GetStore();
    std::vector<Summary> summaries(std::size_t(store.GetReasons().GetCount()));
    for (int row = 0; row < m_model.rowCount(); ++row) {
        const int item = m_model.GetItem(row);
        Summary &summary = summaries[store.GetReasonId(item)];
        summary.items.push_back(item);
        summary.bytes += store.GetSize(item);
        if (!store.IsLocked(item))
            summary.checkable.push_back(item);
        if (store.IsChecked(item))
            ++summary.checked;
    }

    // Rows keep their place and selection when only the figures change.
    m_bFilling = true;
    const bool rebuild = [&] {
        int reasons = 0;
        for (const Summary &summary : summaries)
            reasons += summary.items.empty() ? 0 : 1;
        return reasons != m_modelReasons->rowCount();
    }();
    if (rebuild)
        m_modelReasons->setRowCount(0);
    std::vector<int> rowOfReason(summaries.size(), -1);
    for (int row = 0; row < m_modelReasons->rowCount(); ++row) {
        const int id = GetReasonAt(row);
        if (id >= 0 && std::size_t(id) < summaries.size())
            rowOfReason[std::size_t(id)] = row;
    }
    for (std::size_t id = 0; id < summaries.size(); ++id) {
        const Summary &summary = summaries[id];
        if (summary.items.empty())
            continue;
        const QString &text = store.GetReasons().GetText(CReasonTable::Id(id));
        const std::int64_t frees = m_frees ? m_frees(summary.items) : 0;
        // Data these files share with files or snapshots outside them:
        // removing them gives it back only if its other owners go too.
        std::int64_t upTo = 0;
        const std::int64_t sure = store.GetForecast().FreedBy(summary.items, &upTo);
        const std::int64_t shared = upTo - sure;
        QList<QStandardItem *> cells = {
            Cell(text, text.toCaseFolded()),
            Cell(QString::number(summary.items.size()), qint64(summary.items.size()), true),
            Cell(FormatSize(summary.bytes), qint64(summary.bytes), true),
            Cell(FormatSize(frees), qint64(frees), true),
            Cell(FormatSize(shared), qint64(shared), true),
        };
        QStandardItem *first = cells.front();
        first->setData(int(id), kReasonIdRole);
        const bool allChecked = !summary.checkable.empty() && summary.checked == int(summary.checkable.size());
        first->setData(int(allChecked ? Qt::Checked : Qt::Unchecked), Qt::CheckStateRole);
        first->setData(summary.checkable.empty(), kCheckLockedRole);
        first->setToolTip(text);
        const int row = rowOfReason[id];
        if (row < 0) {
            m_modelReasons->appendRow(cells);
            continue;
        }
        for (int column = 0; column < kColumns; ++column)
            m_modelReasons->setItem(row, column, cells[column]);
    }
    m_bFilling = false;
    if (rebuild && m_headerReasons && m_headerReasons->GetSortColumn() >= 0)
        m_modelReasons->sort(m_headerReasons->GetSortColumn(),
                             m_headerReasons->IsAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CReasonsDlg::CheckRows(const std::vector<int> &rows, bool bCheck)
{
    // Every file of every reason concerned in one change, so the results
    // list repaints once and the totals move once.
    std::vector<int> reasons;
    for (int row : rows)
        reasons.push_back(GetReasonAt(row));
    m_model.SetCheckByReasons(reasons, bCheck);
    Refresh();
}

void CReasonsDlg::OnListCheckChanged(int nNewState, int nRow)
{
    if (m_bFilling)
        return;
    CheckRows({nRow}, nNewState != 0);
}

std::vector<int> CReasonsDlg::SelectedRows() const
{
    std::vector<int> rows;
    for (int row : m_listReasons->GetSelectedRows())
        rows.push_back(row);
    return rows;
}

void CReasonsDlg::OnCheck()
{
    CheckRows(SelectedRows(), true);
}

void CReasonsDlg::OnUncheck()
{
    CheckRows(SelectedRows(), false);
}
