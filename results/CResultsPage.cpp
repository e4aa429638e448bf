#include "results/CResultsPage.h"

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFlatPushButton.h"
#include "controls/CMessageBoxDlg.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CRestartProgressDlg.h"
#include "controls/CSortArrowHeader.h"
#include "core/CActionStep.h"
#include "core/CDeleteStep.h"
#include "core/CEliminateStep.h"
#include "core/CFileScan.h"
#include "core/CMoveRecord.h"
#include "core/CResultsModel.h"
#include "core/CTrashGrouper.h"
#include "core/SizeText.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CActionRun.h"
#include "results/CCompressAction.h"
#include "results/CMoveAction.h"
#include "results/CResultsMenu.h"
#include "scan/CScanDlg.h"
#include "shell/CFileIconProvider.h"
#include "wizard/CWizard.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTimerEvent>

CResultsPage::CResultsPage(QWidget *parent)
    : CWizardPage(IDD_RESULTS_PAGE, parent)
    , m_pModel(new CResultsModel(this))
    , m_undoMove(*this)
    , m_protectionFactory(CScanSession::MachineProtection())
    , m_openFileSourceFactory(CScanSession::MachineOpenFiles())
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
    case IDC_SPACE_NOTES_TEXT:
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
    m_columns.Fit();
    // The anchors put the totals line back where the template has it.
    m_totals.Layout();
    m_totals.FitNotes();
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
        if (m_headerResults)
            m_headerResults->SetSortColumn(-1, true);
        m_columns.Attach(m_listResults, m_headerResults, font());
        connect(m_listResults, &CCheckBoxListCtrl::checkChanged, this, &CResultsPage::OnChecksChanged);
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

    m_totals.Attach(this, Static(IDC_SELECTION_TEXT), Static(IDC_FREES_TEXT), Static(IDC_FREE_SPACE_TEXT),
                    Static(IDC_PROTECTED_TEXT), Static(IDC_SKIPPED_FOLDERS_TEXT), Static(IDC_SPACE_NOTES_TEXT));
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
    m_undoMove.Forget();
    if (m_headerResults)
        m_headerResults->SetSortColumn(-1, true);
    m_pModel->Clear();
    SyncTotals();
    SetActionButtons(false);
    UpdateSelectionText();
    UpdateFreeSpaceText();
    m_totals.ShowProtected({}, false, 0);
    m_totals.ShowSpaceNotes({});
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
    CScanDlg dlg;
    m_bScanning = 1;
    EnableSheet(false);
    dlg.Create(window(), m_strScannedDrive);
    ScanOutcome outcome;
    if (m_pScan) {
        CScanSession session(*m_pScan, m_strScannedDrive);
        session.SetProtectionFactory(m_protectionFactory);
        session.SetOpenFileSourceFactory(m_openFileSourceFactory);
        if (m_nNow)
            session.SetNow(*m_nNow);
        // A trash entry (its file or folder and its information) is one row.
        CTrashGrouper trash(*this, m_pModel->GetStore(), m_pModel->GetTrash(), m_strScannedDrive,
                            CTrashGrouper::HomeTrash());
        outcome = session.Run(trash, dlg);
        trash.Flush();
    }
    m_totals.ShowProtected(outcome.protectedCounts, outcome.protectedLocked, outcome.unreadableProcesses);
    m_totals.ShowSpaceNotes(outcome.GetSpaceNotes());
    m_pModel->FlushPendingRows();
    if (!dlg.IsCancelled())
        dlg.FinishProgress();

    SyncTotals();
    UpdateSelectionText();
    UpdateFreeSpaceText();
    UpdateSkippedFoldersText(outcome.skippedFolders);
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
    GetBusyWindow()->activateWindow();
    m_listResults->setFocus(Qt::OtherFocusReason);
}

void CResultsPage::AddMatch(const ScanMatch &match)
{
    if (match.protection != ProtectionReason::None) {
        m_pModel->AddLockedResult(match.record, match.protection, match.heldOpen);
        return;
    }
    if (match.unchecked) {
        m_pModel->AddUncheckedResult(match.record, match.why, match.heldOpen);
        return;
    }
    m_pModel->AddResult(match.record, match.why, match.heldOpen);
    SyncTotals();
    m_bSelectionTextStale = true;
}

void CResultsPage::RefreshWhileBusy(bool bShowRows)
{
    if (bShowRows)
        m_pModel->FlushPendingRows();
    if (m_bSelectionTextStale)
        UpdateSelectionText();
}

void CResultsPage::OnChecksChanged()
{
    // While the scan fills the list it keeps the totals itself.
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
    return CResultsMenu::Create(this, *m_pModel, m_undoMove, row, m_bScanning != 0);
}

void CResultsPage::SyncTotals()
{
    const int before = m_nSelectedCount;
    m_nSelectedCount = m_pModel->GetStore().GetSelectedCount();
    if (before == 0 && m_nSelectedCount > 0)
        SetActionButtons(true);
    else if (before > 0 && m_nSelectedCount == 0)
        SetActionButtons(false);
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
    const CResultStore &store = m_pModel->GetStore();
    m_totals.ShowSelection(store.GetSelectedBytes(), m_nSelectedCount, store.GetForecastBytes(), store.GetUpToBytes());
}

void CResultsPage::UpdateFreeSpaceText()
{
    m_totals.ShowFreeSpace(m_pScan ? GetFreeSpaceText(QFile::encodeName(m_pScan->m_strDrive)) : QString());
}

void CResultsPage::OnRowsChanged()
{
    SyncTotals();
    UpdateSelectionText();
}

void CResultsPage::OnActionStarting()
{
    // Whatever this action does, the last Move can no longer be undone.
    m_undoMove.Forget();
}

void CResultsPage::OnActionEnded(const CActionStep &step, const ActionOutcome &outcome)
{
    EndAction();
    FocusList();
    // The scan's note on skipped folders gives way to what the action tidied.
    if (step.GetRemovedFolders() > 0)
        m_totals.ShowFoldersRemoved(step.GetRemovedFolders());
    if (!step.ChangesDisk())
        return;
    m_nActionForecastBytes = outcome.forecastFreedBytes;
    m_bMeasuredFreed = outcome.measured;
    m_nMeasuredFreedBytes = outcome.measuredFreedBytes;
    UpdateFreeSpaceText();
}

void CResultsPage::SetLastMove(std::unique_ptr<CMoveRecord> record)
{
    m_undoMove.Keep(std::move(record));
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
    CActionRun(*this).Run(step);
}

void CResultsPage::OnDelete()
{
    if (CMessageBoxDlg::Show(this, CMessageBoxDlg::StyleYesNo, LoadString(IDS_CONFIRM_DELETE)) != IDOK)
        return;
    CDeleteStep step(m_pModel->GetStore(), m_strScannedDrive);
    CActionRun(*this).Run(step);
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
    m_undoMove.Forget();
    CRestartProgressDlg dlg;
    EnableSheet(false);
    if (m_listResults)
        m_listResults->scrollToTop();
    dlg.Create(window());
    // One reset empties the list however long it is; the arrays go with it.
    m_pModel->Clear();
    SyncTotals();
    m_totals.ShowProtected({}, false, 0);
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

std::int64_t CResultsPage::GetSelectedBytes() const
{
    return m_pModel->GetStore().GetSelectedBytes();
}

std::int64_t CResultsPage::GetForecastBytes() const
{
    return m_pModel->GetStore().GetForecastBytes();
}

QWidget *CResultsPage::GetBusyWindow()
{
    if (m_pSheet)
        return m_pSheet;
    return this;
}

void CResultsPage::EnableSheet(bool bEnable)
{
    GetBusyWindow()->setEnabled(bEnable);
}
