#include "results/CResultsPage.h"

#include "wizard/CWizard.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFlatPushButton.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CSortArrowHeader.h"
#include "core/CFileScan.h"
#include "res/DialogUnits.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/CActionProgressDlg.h"
#include "results/CCompressAction.h"
#include "core/CDeleteStep.h"
#include "core/CEliminateStep.h"
#include "core/CMoveRecord.h"
#include "core/CUndoMoveStep.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CMessageBoxDlg.h"
#include "controls/CRestartProgressDlg.h"
#include "core/CResultsModel.h"
#include "core/CProcOpenFileSource.h"
#include "core/CProtectionFilter.h"
#include "core/CTrashGrouper.h"
#include "core/SizeText.h"
#include "core/CEventPump.h"
#include "platform/CDiskSpace.h"
#include "platform/WalkRecord.h"
#include "scan/CScanDlg.h"
#include "results/CMoveAction.h"
#include "results/CReasonsDlg.h"
#include "results/CSaveListAction.h"
#include "shell/CFileIconProvider.h"

#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTimerEvent>

namespace {

// Initial column widths in pixels for the classic dialog font, whose
// average character is 6 pixels wide; they are scaled by the dialog font as
// the page templates are. The model sorts on its own keys.
constexpr int kColumnWidths[kColumnCount] = {100, 120, 80, 60, 60, 60, 160};
constexpr double kClassicCharWidth = 6.0;

// Fills the first %s and the first %d of a string-table format.
QString FillFormat(QString format, const QString &text, qint64 number = 0)
{
    const qsizetype s = format.indexOf(QLatin1String("%s"));
    if (s >= 0)
        format.replace(s, 2, text);
    const qsizetype d = format.indexOf(QLatin1String("%d"));
    if (d >= 0)
        format.replace(d, 2, QString::number(number));
    return format;
}

} // namespace

CResultsPage::CResultsPage(QWidget *parent)
    : CWizardPage(IDD_RESULTS_PAGE, parent)
    , m_pModel(new CResultsModel(this))
    , m_protectionFactory(&CProtection::ForDrive)
    , m_openFileSourceFactory([] { return std::make_unique<CProcOpenFileSource>(); })
{
    connect(m_pModel, &CResultsModel::checksChanged, this, &CResultsPage::OnChecksChanged);
}

CResultsPage::~CResultsPage()
{
    // The list and the model are children of the page and outlive this body,
    // the icon cache does not: nothing may ask for an icon from now on.
    m_pModel->SetDecorationProvider({});
    if (m_listResults)
        m_listResults->setModel(nullptr);
}

QWidget *CResultsPage::CreateControl(const DialogControlTemplate &control)
{
    if (control.id == IDC_RESULTS_LIST)
        return new CCheckBoxListCtrl(this);
    return CWizardPage::CreateControl(control);
}

int CResultsPage::GetAnchor(const DialogControlTemplate &control) const
{
    switch (control.id) {
    case IDC_RESULTS_LIST:
        return GrowX | GrowY;
    case IDC_RESULTS_TITLE:
    case IDC_RESULTS_DESCRIPTION:
        return GrowX;
    case IDC_PROTECTED_TEXT:
    case IDC_SKIPPED_FOLDERS_TEXT:
        // Lines that run wider than the page show more of themselves.
        return MoveY | GrowX;
    case IDC_SELECTION_TEXT:
    case IDC_FREES_TEXT:
    case IDC_ELIMINATE:
        return MoveY;
    case IDC_FREE_SPACE_TEXT:
    case IDC_COMPRESS:
    case IDC_MOVE:
    case IDC_DELETE:
        return MoveX | MoveY;
    default:
        return CWizardPage::GetAnchor(control);
    }
}

void CResultsPage::resizeEvent(QResizeEvent *event)
{
    CWizardPage::resizeEvent(event);
    FitColumnsToList();
    // The anchors put the totals line back where the template has it.
    LayoutTotalsLine();
}

void CResultsPage::FitColumnsToList()
{
    if (!m_listResults || !m_headerResults)
        return;
    const int width = m_listResults->width();
    const int gained = m_nListWidth > 0 ? width - m_nListWidth : 0;
    m_nListWidth = width;
    if (gained == 0)
        return;
    const int location = m_headerResults->sectionSize(kColumnLocation);
    int change = 0;
    if (gained > 0) {
        // Width gained first brings the columns hidden past the right edge
        // into view; Location takes what is left over.
        const int viewportBefore = m_listResults->viewport()->width() - gained;
        const int hidden = qMax(0, m_headerResults->length() - viewportBefore);
        change = gained - qMin(gained, hidden);
    } else {
        // Width lost comes back out of what Location was given, so growing
        // and shrinking again leaves every column as it was.
        change = -qMin(-gained, m_nLocationGrown);
    }
    if (change == 0)
        return;
    const int newLocation = qMax(m_headerResults->MinimumColumnWidth(), location + change);
    m_nLocationGrown = qMax(0, m_nLocationGrown + newLocation - location);
    m_headerResults->resizeSection(kColumnLocation, newLocation);
}

QLabel *CResultsPage::Static(int id) const
{
    return GetDlgItemAs<QLabel>(id);
}

void CResultsPage::OnInitDialog()
{
    CWizardPage::OnInitDialog();

    m_btnMove = GetDlgItemAs<CFlatPushButton>(IDC_MOVE);
    m_btnEliminate = GetDlgItemAs<CFlatPushButton>(IDC_ELIMINATE);
    m_btnDelete = GetDlgItemAs<CFlatPushButton>(IDC_DELETE);
    m_btnCompress = GetDlgItemAs<CFlatPushButton>(IDC_COMPRESS);
    m_listResults = GetDlgItemAs<CCheckBoxListCtrl>(IDC_RESULTS_LIST);

    m_pIcons = std::make_unique<CFileIconProvider>();
    CFileIconProvider *icons = m_pIcons.get();
    m_pModel->SetDecorationProvider([icons](int column, const CResultsModel &model, int item) -> QVariant {
        if (column == kColumnLocation)
            return icons->FolderIcon();
        return icons->IconForFileName(model.GetStore().GetPaths().GetNameView(item));
    });

    if (m_listResults) {
        m_listResults->setModel(m_pModel);
        m_headerResults = m_listResults->SortHeader();
        if (m_headerResults) {
            m_headerResults->SetSortColumn(-1, true);
            m_headerResults->setStretchLastSection(false);
            const double scale = CDialogUnits(font()).baseUnits().width() / kClassicCharWidth;
            for (int column = 0; column < kColumnCount; ++column)
                m_headerResults->resizeSection(column, qRound(kColumnWidths[column] * scale));
            m_nListWidth = m_listResults->width();
        }
        connect(m_listResults, &CCheckBoxListCtrl::checkChanged, this, &CResultsPage::OnCheckChanged);
        m_listResults->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_listResults, &QWidget::customContextMenuRequested, this, &CResultsPage::OnListContextMenu);
    }

    SetBoldFont(GetDlgItem(IDC_RESULTS_TITLE));
    setWindowTitle(LoadString(IDS_PRODUCT_NAME));
    SetDlgItemText(IDC_RESULTS_TITLE, IDS_RESULTS_TITLE);
    SetDlgItemText(IDC_RESULTS_DESCRIPTION, IDS_RESULTS_DESCRIPTION);
    SetDlgItemText(IDC_COMPRESS, IDS_COMPRESS);
    SetDlgItemText(IDC_MOVE, IDS_MOVE);
    SetDlgItemText(IDC_DELETE, IDS_DELETE);

    const auto wire = [this](CFlatPushButton *button, void (CResultsPage::*handler)()) {
        if (button)
            connect(button, &QAbstractButton::clicked, this, handler);
    };
    wire(m_btnEliminate, &CResultsPage::OnEliminate);
    wire(m_btnDelete, &CResultsPage::OnDelete);
    wire(m_btnMove, &CResultsPage::OnMove);
    wire(m_btnCompress, &CResultsPage::OnCompress);

    // The totals line is laid out by the widths of its texts, each on one
    // line: a label allowed to wrap would show only its first line there.
    for (int id : {IDC_SELECTION_TEXT, IDC_FREES_TEXT, IDC_FREE_SPACE_TEXT}) {
        if (QLabel *label = Static(id))
            label->setWordWrap(false);
    }
    if (QLabel *space = Static(IDC_FREE_SPACE_TEXT))
        m_nFreeSpaceWidth = space->width();
    UpdateFreeSpaceText();
    m_nNextPage = 0;
}

int CResultsPage::GetNextTextId() const
{
    return IDS_RESTART;
}

bool CResultsPage::OnSetActive()
{
    const bool result = CWizardPage::OnSetActive();
    m_pLastMove.reset();
    if (m_headerResults)
        m_headerResults->SetSortColumn(-1, true);
    m_pModel->Clear();
    SyncTotals();
    SetActionButtons(false);
    UpdateSelectionText();
    UpdateFreeSpaceText();
    m_protectedCounts.fill(0);
    m_nUnreadableProcesses = 0;
    UpdateProtectedText();
    if (m_nTimerId)
        killTimer(m_nTimerId);
    m_nTimerId = startTimer(10);
    // The scan enables the sheet again when it ends.
    EnableSheet(false);
    return result;
}

void CResultsPage::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_nTimerId) {
        CWizardPage::timerEvent(event);
        return;
    }
    killTimer(m_nTimerId);
    m_nTimerId = 0;
    StartScan();
}

void CResultsPage::StartScan()
{
    if (m_bScanning)
        return;
    m_strScannedDrive = m_pScan ? QFile::encodeName(m_pScan->m_strDrive) : QByteArray();

    // Protected files never reach the list unlocked: Express leaves them
    // out, Custom lists them locked.
    std::unique_ptr<CProtection> protection =
        m_protectionFactory ? m_protectionFactory(m_strScannedDrive) : nullptr;
    m_bProtectedLocked = m_pScan && !m_pScan->m_bExpress;
    // A trash entry (its file or folder and its information) is one row.
    CTrashGrouper trash(*this, m_pModel->GetStore(), m_pModel->GetTrash(), m_strScannedDrive,
                        CTrashGrouper::HomeTrash());
    CProtectionFilter filter(protection.get(), trash, m_bProtectedLocked);

    CScanDlg dlg(m_pScan, &filter);
    m_bScanning = 1;
    EnableSheet(false);
    dlg.Create(window(), m_strScannedDrive);
    // The lists are read while the walk begins; a file that must wait for
    // them keeps the window alive meanwhile.
    if (protection)
        protection->StartLoad([] { QCoreApplication::processEvents(); });
    // What a file held open frees is nothing, so the forecast needs the open
    // files even where protection does not look for them.
    m_pScanProtection = protection.get();
    m_heldOpen = CHeldOpenFiles();
    if (!(protection && protection->KnowsOpenFiles()) && m_openFileSourceFactory) {
        if (const std::unique_ptr<COpenFileSource> source = m_openFileSourceFactory())
            m_heldOpen.Load(*source);
    }
    dlg.ScanFolder(m_strScannedDrive);
    trash.Flush();
    m_pScanProtection = nullptr;
    m_heldOpen = CHeldOpenFiles();
    if (protection) {
        m_protectedCounts = protection->GetCounts();
        m_nUnreadableProcesses = protection->GetUnreadableProcesses();
    }
    UpdateProtectedText();
    m_pModel->FlushPendingRows();
    if (!dlg.IsCancelled())
        dlg.FinishProgress();

    SyncTotals();
    UpdateSelectionText();
    UpdateFreeSpaceText();
    UpdateSkippedFoldersText(dlg.GetSkippedFolders());
    m_bScanning = 0;
    EnableSheet(true);
    if (m_listResults && m_pModel->rowCount() > 0)
        m_listResults->setCurrentIndex(m_pModel->index(0, 0));
    dlg.hide();
    FocusList();
}

void CResultsPage::FocusList()
{
    // After a scan or an action the keys belong to the list again, so that
    // Space checks at once; the progress window had the focus until now.
    if (!m_listResults)
        return;
    SheetWindow()->activateWindow();
    m_listResults->setFocus(Qt::OtherFocusReason);
}

void CResultsPage::AddResult(const WalkRecord &record, const MatchReason &why)
{
    m_pModel->AddResult(record, why, IsHeldOpen(record));
    SyncTotals();
    m_bSelectionTextStale = true;
}

void CResultsPage::AddProtectedResult(const WalkRecord &record, ProtectionReason reason)
{
    m_pModel->AddLockedResult(record, reason, IsHeldOpen(record));
}

bool CResultsPage::IsHeldOpen(const WalkRecord &record) const
{
    if (m_pScanProtection && m_pScanProtection->KnowsOpenFiles())
        return m_pScanProtection->IsHeldOpen(record);
    return m_heldOpen.Contains(record.device, record.inode);
}

void CResultsPage::UpdateProtectedText()
{
    if (QLabel *label = Static(IDC_PROTECTED_TEXT)) {
        const QString text = CProtection::SummaryText(m_protectedCounts, m_bProtectedLocked, m_nUnreadableProcesses);
        // One line: what does not fit is cut at the edge, never wrapped
        // under the totals, and the whole text is in the tooltip (a wider
        // sheet shows it all).
        label->setWordWrap(false);
        label->setText(text);
        label->setToolTip(text);
    }
}

void CResultsPage::RefreshWhileBusy(bool bShowRows)
{
    if (bShowRows)
        m_pModel->FlushPendingRows();
    if (m_bSelectionTextStale)
        UpdateSelectionText();
}

void CResultsPage::OnCheckChanged(int, int)
{
    // While the scan fills the list it keeps the totals itself.
    if (m_bScanning)
        return;
    SyncTotals();
    UpdateSelectionText();
}

void CResultsPage::OnChecksChanged()
{
    if (m_bScanning)
        return;
    SyncTotals();
    UpdateSelectionText();
}

void CResultsPage::OnListContextMenu(const QPoint &pos)
{
    if (!m_listResults)
        return;
    const QModelIndex index = m_listResults->indexAt(pos);
    std::unique_ptr<QMenu> menu(CreateListMenu(index.isValid() ? index.row() : -1));
    menu->exec(m_listResults->viewport()->mapToGlobal(pos));
}

QMenu *CResultsPage::CreateListMenu(int row)
{
    auto *menu = new QMenu(this);
    const int item = m_pModel->GetItem(row);
    bool canCheck = false;
    bool canUncheck = false;
    if (item >= 0) {
        const CResultStore &store = m_pModel->GetStore();
        const CReasonTable::Id reason = store.GetReasonId(item);
        for (int other : m_pModel->GetItemsWithReason(reason)) {
            const bool checked = store.IsChecked(other);
            canUncheck = canUncheck || checked;
            canCheck = canCheck || (!checked && !store.IsLocked(other));
            if (canCheck && canUncheck)
                break;
        }
    }
    const bool busy = m_bScanning != 0;
    QAction *check = menu->addAction(LoadString(IDS_MENU_CHECK_REASON), this, [this, row] { OnCheckReason(row, true); });
    check->setEnabled(canCheck && !busy);
    QAction *uncheck =
        menu->addAction(LoadString(IDS_MENU_UNCHECK_REASON), this, [this, row] { OnCheckReason(row, false); });
    uncheck->setEnabled(canUncheck && !busy);
    menu->addSeparator();
    const bool any = m_pModel->rowCount() > 0 && !busy;
    menu->addAction(LoadString(IDS_MENU_REASONS), this, &CResultsPage::OnReasons)->setEnabled(any);
    menu->addAction(LoadString(IDS_MENU_SAVE_LIST), this, &CResultsPage::OnSaveList)->setEnabled(any);
    menu->addSeparator();
    AddUndoMoveItem(menu);
    return menu;
}

void CResultsPage::OnCheckReason(int row, bool bCheck)
{
    const int item = m_pModel->GetItem(row);
    if (item < 0)
        return;
    m_pModel->SetCheckByReason(m_pModel->GetStore().GetReasonId(item), bCheck);
}

void CResultsPage::OnReasons()
{
    CReasonsDlg dlg(*m_pModel, this);
    dlg.exec();
}

void CResultsPage::OnSaveList()
{
    CSaveListAction::Run(*this);
}

void CResultsPage::SyncTotals()
{
    const int before = m_nSelectedCount;
    m_nSelectedBytes = m_pModel->GetStore().GetSelectedBytes();
    m_nSelectedCount = m_pModel->GetStore().GetSelectedCount();
    m_nForecastBytes = m_pModel->GetStore().GetForecastBytes();
    if (before == 0 && m_nSelectedCount > 0)
        SetActionButtons(true);
    else if (before > 0 && m_nSelectedCount == 0)
        SetActionButtons(false);
}

QString CResultsPage::GetFreeSpaceText() const
{
    if (!m_pScan)
        return QString();
    return ::GetFreeSpaceText(QFile::encodeName(m_pScan->m_strDrive));
}

void CResultsPage::SetActionButtons(bool bEnable)
{
    for (CFlatPushButton *button : {m_btnEliminate, m_btnCompress, m_btnMove, m_btnDelete}) {
        if (button)
            button->setEnabled(bEnable);
    }
}

void CResultsPage::UpdateSelectionText()
{
    m_bSelectionTextStale = false;
    if (QLabel *label = Static(IDC_SELECTION_TEXT))
        label->setText(FillFormat(LoadString(IDS_SELECTION_FORMAT), FormatSize(m_nSelectedBytes), m_nSelectedCount));
    if (QLabel *label = Static(IDC_FREES_TEXT))
        label->setText(FillFormat(LoadString(IDS_FREES_ABOUT), FormatSize(m_nForecastBytes)));
    LayoutTotalsLine();
}

void CResultsPage::LayoutTotalsLine()
{
    QLabel *selection = Static(IDC_SELECTION_TEXT);
    QLabel *frees = Static(IDC_FREES_TEXT);
    if (!selection || !frees)
        return;
    // Each text gets exactly its own width, so neither is ever cut while
    // the line has room for all three. The free-space text, aligned right,
    // keeps its place and width unless the forecast reaches into it; then
    // it starts where the forecast ends.
    const int gap = CDialogUnits(font()).toPixelsX(6);
    const QRect line = selection->geometry();
    selection->setGeometry(line.x(), line.y(), selection->sizeHint().width(), line.height());
    frees->setGeometry(selection->geometry().right() + 1 + gap, line.y(), frees->sizeHint().width(), line.height());
    if (QLabel *space = Static(IDC_FREE_SPACE_TEXT)) {
        if (m_nFreeSpaceWidth == 0)
            m_nFreeSpaceWidth = space->width(); // the template's, before any change
        const int right = space->geometry().right();
        const int wanted = qMax(m_nFreeSpaceWidth, space->sizeHint().width());
        const int left = qMax(right + 1 - wanted, frees->geometry().right() + 1 + gap);
        space->setGeometry(left, space->y(), qMax(0, right - left + 1), space->height());
    }
}

void CResultsPage::UpdateFreeSpaceText()
{
    if (QLabel *label = Static(IDC_FREE_SPACE_TEXT))
        label->setText(FillFormat(LoadString(IDS_FREE_SPACE_FORMAT), GetFreeSpaceText()));
    LayoutTotalsLine();
}

void CResultsPage::UpdateSkippedFoldersText(std::int64_t nSkippedFolders)
{
    QLabel *label = Static(IDC_SKIPPED_FOLDERS_TEXT);
    if (!label)
        return;
    if (nSkippedFolders <= 0)
        label->clear();
    else if (nSkippedFolders == 1)
        label->setText(LoadString(IDS_SKIPPED_ONE_FOLDER));
    else
        label->setText(FillFormat(LoadString(IDS_SKIPPED_FOLDERS), QString(), nSkippedFolders));
}

QList<FailedFile> CResultsPage::RunAction(CActionStep &step)
{
    // Whatever this action does, the last Move can no longer be undone.
    m_pLastMove.reset();
    QList<FailedFile> failed;
    CActionProgressDlg dlg;
    dlg.Create(window(), LoadString(step.GetStatusTextId()));
    EnableSheet(false);
    if (m_listResults)
        m_listResults->scrollToTop();

    // Files of the step's own (not rows of the list), or the checked rows.
    const std::vector<int> own = step.GetOwnItems();
    const bool bOwnItems = !own.empty();
    const int total = bOwnItems ? int(own.size()) : m_nSelectedCount;
    int k = 0;
    m_arrFreedItems.clear();
    // Rows below the one being visited: removing them leaves the positions
    // of the rows still to visit as they are.
    std::vector<int> handled;
    const auto removeHandled = [this, &handled] {
        if (handled.empty())
            return;
        m_pModel->RemoveRowList(std::move(handled));
        handled.clear();
        SyncTotals();
        UpdateSelectionText();
    };

    CEventPump pump;
    const int count = bOwnItems ? int(own.size()) : m_pModel->rowCount();
    for (int row = count - 1; row >= 0 && !dlg.IsCancelled(); --row) {
        int item = -1;
        if (bOwnItems)
            item = own[std::size_t(row)];
        else if (m_pModel->GetCheck(row) && !m_pModel->IsLockedRow(row)) // a locked row is never acted on
            item = m_pModel->GetItem(row);
        if (item >= 0) {
            const FileOpResult result = step.Run(item);
            if (result.ok()) {
                if (!bOwnItems)
                    handled.push_back(row);
                if (step.FreesSpace(item))
                    m_arrFreedItems.push_back(item);
            } else {
                const QByteArray where = step.GetFailedPath(item);
                failed.append({where.isEmpty() ? m_pModel->GetStore().GetPath(item) : where, result});
            }
            ++k;
            if (total > 0)
                dlg.GetProgress()->SetPos(int(std::int64_t(100) * k / total));
        }
        if (pump.Due()) {
            if (pump.ListDue())
                removeHandled();
            pump.Pump();
        }
    }
    removeHandled();
    step.Finish();
    SyncTotals();
    UpdateSelectionText();
    EndAction();
    dlg.hide();
    FocusList();
    return failed;
}

QList<FailedFile> CResultsPage::RunStep(CActionStep &step)
{
    // The drive is asked before and after, so that what the action really
    // freed can be set against what the files were expected to free. Free
    // blocks are counted whoever may use them: near a full disk the blocks
    // kept for root fill first, and the user's share would understate it.
    const DiskSpace before = step.ChangesDisk() ? CDiskSpace::Query(m_strScannedDrive) : DiskSpace();
    const QList<FailedFile> failed = RunAction(step);
    if (step.ChangesDisk()) {
        const DiskSpace after = CDiskSpace::Query(m_strScannedDrive);
        m_nActionForecastBytes = m_pModel->GetStore().GetForecast().FreedBy(m_arrFreedItems);
        // A file with several links that lost some of them now needs fewer
        // checked to be freed.
        m_pModel->RemoveLinks(m_arrFreedItems);
        SyncTotals();
        UpdateSelectionText();
        m_bMeasuredFreed = before.ok && after.ok;
        m_nMeasuredFreedBytes = m_bMeasuredFreed ? after.unusedBytes - before.unusedBytes : 0;
        UpdateFreeSpaceText();
    }
    m_arrFreedItems.clear();
    // The scan's note on skipped folders gives way to what the action tidied.
    if (QLabel *label = step.GetRemovedFolders() > 0 ? Static(IDC_SKIPPED_FOLDERS_TEXT) : nullptr)
        label->setText(FormatString(IDS_FOLDERS_REMOVED, {QString::number(step.GetRemovedFolders())}));
    if (!failed.isEmpty() && step.GetFailedMessageId() != 0) {
        CFailedFilesDlg failedDlg(this);
        failedDlg.SetMessage(LoadString(step.GetFailedMessageId()));
        failedDlg.SetFailedFiles(failed);
        failedDlg.exec();
    }
    return failed;
}

void CResultsPage::EndAction()
{
    if (m_nSelectedCount == 0) {
        SetActionButtons(false);
    } else if (m_listResults) {
        const QModelIndexList selected =
            m_listResults->selectionModel() ? m_listResults->selectionModel()->selectedRows() : QModelIndexList();
        QModelIndex first;
        for (const QModelIndex &index : selected) {
            if (!first.isValid() || index.row() < first.row())
                first = index;
        }
        m_listResults->scrollTo(first.isValid() ? first : m_pModel->index(0, 0));
    }
    EnableSheet(true);
}

void CResultsPage::OnEliminate()
{
    CEliminateStep step;
    RunStep(step);
}

void CResultsPage::OnDelete()
{
    if (CMessageBoxDlg::Show(this, CMessageBoxDlg::StyleYesNo, LoadString(IDS_CONFIRM_DELETE)) != IDOK)
        return;
    CDeleteStep step(m_pModel->GetStore(), m_strScannedDrive);
    RunStep(step);
}

void CResultsPage::OnMove()
{
    CMoveAction::Run(*this);
}

void CResultsPage::OnCompress()
{
    CCompressAction::Run(*this);
}

void CResultsPage::OnNextButton()
{
    OnRestart();
}

void CResultsPage::OnRestart()
{
    m_pLastMove.reset();
    CRestartProgressDlg dlg;
    EnableSheet(false);
    if (m_listResults)
        m_listResults->scrollToTop();
    dlg.Create(window());
    // One reset empties the list however long it is; the arrays go with it.
    m_pModel->Clear();
    SyncTotals();
    m_protectedCounts.fill(0);
    m_nUnreadableProcesses = 0;
    UpdateProtectedText();
    dlg.GetProgress()->SetPos(100);
    // Let the window repaint, but act on no key or click meant for a list
    // that is already gone.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    if (m_pScan)
        m_pScan->Reset();
    EnableSheet(true);
    GoToPage(m_nNextPage);
    dlg.hide();
}

void CResultsPage::AddUndoMoveItem(QMenu *menu)
{
    QAction *undo = menu->addAction(LoadString(IDS_UNDO_MOVE), this, &CResultsPage::OnUndoMove);
    undo->setEnabled(CanUndoMove());
}

void CResultsPage::SetLastMove(std::unique_ptr<CMoveRecord> record)
{
    m_pLastMove = record && !record->IsEmpty() ? std::move(record) : nullptr;
}

bool CResultsPage::CanUndoMove() const
{
    return m_pLastMove != nullptr && !m_bScanning;
}

void CResultsPage::OnUndoMove()
{
    if (!CanUndoMove())
        return;
    CUndoMoveStep step(*m_pModel, std::move(m_pLastMove));
    RunStep(step);
}

QWidget *CResultsPage::SheetWindow()
{
    if (m_pSheet)
        return m_pSheet;
    return this;
}

void CResultsPage::EnableSheet(bool bEnable)
{
    SheetWindow()->setEnabled(bEnable);
}
