#include "results/CResultsPage.h"

#include "wizard/CWizard.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFlatPushButton.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CSortArrowHeader.h"
#include "core/CFileScan.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/CActionProgressDlg.h"
#include "core/CDeleteStep.h"
#include "core/CEliminateStep.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CMessageBoxDlg.h"
#include "controls/CRestartProgressDlg.h"
#include "core/CResultsModel.h"
#include "core/SizeText.h"
#include "core/CEventPump.h"
#include "scan/CScanDlg.h"
#include "results/CMoveAction.h"
#include "shell/CFileIconProvider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTimerEvent>

namespace {

// Telling the list about new or removed rows makes it lay out every row
// again, so during long loops that happens a few times a second at most;
// the user still sees the list change while the loop runs.
constexpr qint64 kListRefreshMs = 250;

struct ColumnSpec
{
    int titleId;
    int width; // pixels
    int type;  // comparison code of the sorting header
};

constexpr ColumnSpec kColumns[kColumnCount] = {
    {IDS_COLUMN_FILE, 100, 2},    {IDS_COLUMN_LOCATION, 120, 2}, {IDS_COLUMN_SIZE, 80, 1},
    {IDS_COLUMN_CREATED, 60, 3},  {IDS_COLUMN_MODIFIED, 60, 3},  {IDS_COLUMN_ACCESSED, 60, 3},
};

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
{
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

    QStringList titles;
    for (const ColumnSpec &column : kColumns)
        titles << LoadString(column.titleId);
    m_pModel->SetColumnTitles(titles);
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
            for (int column = 0; column < kColumnCount; ++column) {
                m_headerResults->resizeSection(column, kColumns[column].width);
                m_headerResults->SetColumnType(column, kColumns[column].type);
            }
        }
        connect(m_listResults, &CCheckBoxListCtrl::checkChanged, this, &CResultsPage::OnCheckChanged);
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

    UpdateFreeSpaceText();
    m_nNextPage = 0;
}

bool CResultsPage::OnSetActive()
{
    const bool result = CWizardPage::OnSetActive();
    SetNextButtonText(IDS_RESTART);
    if (m_headerResults)
        m_headerResults->SetSortColumn(-1, true);
    m_pModel->Clear();
    SyncTotals();
    SetActionButtons(false);
    UpdateSelectionText();
    UpdateFreeSpaceText();
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

    CScanDlg dlg(m_pScan, this);
    m_bScanning = 1;
    EnableSheet(false);
    dlg.Create(window(), m_strScannedDrive);
    m_nLastFlushMs = 0;
    dlg.ScanFolder(m_strScannedDrive);
    m_pModel->FlushPendingRows();
    if (!dlg.IsCancelled())
        dlg.FinishProgress();

    SyncTotals();
    UpdateSelectionText();
    UpdateFreeSpaceText();
    UpdateSkippedFoldersText(dlg.GetSkippedFolders());
    m_bScanning = 0;
    EnableSheet(true);
    if (m_listResults) {
        if (m_pModel->rowCount() > 0)
            m_listResults->setCurrentIndex(m_pModel->index(0, 0));
        m_listResults->setFocus();
    }
    dlg.hide();
}

void CResultsPage::AddResult(const WalkRecord &record)
{
    m_pModel->AddResult(record);
    SyncTotals();
    m_bSelectionTextStale = true;
}

void CResultsPage::RefreshWhileBusy()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    const qint64 now = clock.elapsed();
    if (m_pModel->GetPendingCount() > 0 && now - m_nLastFlushMs >= kListRefreshMs) {
        m_pModel->FlushPendingRows();
        m_nLastFlushMs = now;
    }
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

void CResultsPage::SyncTotals()
{
    const int before = m_nSelectedCount;
    m_nSelectedBytes = m_pModel->GetStore().GetSelectedBytes();
    m_nSelectedCount = m_pModel->GetStore().GetSelectedCount();
    if (before == 0 && m_nSelectedCount > 0)
        SetActionButtons(true);
    else if (before > 0 && m_nSelectedCount == 0)
        SetActionButtons(false);
}

QString CResultsPage::FormatSize(std::int64_t nBytes)
{
    return ::FormatSize(nBytes);
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
}

void CResultsPage::UpdateFreeSpaceText()
{
    if (QLabel *label = Static(IDC_FREE_SPACE_TEXT))
        label->setText(FillFormat(LoadString(IDS_FREE_SPACE_FORMAT), GetFreeSpaceText()));
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

QList<QByteArray> CResultsPage::RunAction(const QString &strStatusText, const ActionStep &step)
{
    QList<QByteArray> failed;
    CActionProgressDlg dlg;
    dlg.Create(window(), strStatusText);
    EnableSheet(false);
    if (m_listResults)
        m_listResults->scrollToTop();

    const int total = m_nSelectedCount;
    int k = 0;
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
    QElapsedTimer sinceRefresh;
    sinceRefresh.start();
    for (int row = m_pModel->rowCount() - 1; row >= 0 && !dlg.IsCancelled(); --row) {
        if (m_pModel->GetCheck(row)) {
            const int item = m_pModel->GetItem(row);
            if (step(item))
                handled.push_back(row);
            else
                failed.append(m_pModel->GetStore().GetPath(item));
            ++k;
            if (total > 0)
                dlg.m_progress->SetPos(int(std::int64_t(100) * k / total));
        }
        if (pump.Due()) {
            if (sinceRefresh.elapsed() >= kListRefreshMs) {
                removeHandled();
                sinceRefresh.restart();
            }
            pump.Pump();
        }
    }
    removeHandled();
    EndAction();
    dlg.hide();
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
    RunAction(LoadString(step.GetStatusTextId()), [&step](int item) { return step.Run(item).ok(); });
}

void CResultsPage::OnDelete()
{
    if (CMessageBoxDlg::Show(this, CMessageBoxDlg::StyleYesNo, LoadString(IDS_CONFIRM_DELETE)) != IDOK)
        return;
    CFailedFilesDlg failedDlg(this);
    failedDlg.m_strMessage = LoadString(IDS_DELETE_FAILED);
    CDeleteStep step(m_pModel->GetStore(), m_strScannedDrive);
    failedDlg.m_arrFailed = RunAction(LoadString(step.GetStatusTextId()),
                                      [&step](int item) { return step.Run(item).ok(); });
    // The drive has more room now.
    UpdateFreeSpaceText();
    if (!failedDlg.m_arrFailed.isEmpty())
        failedDlg.exec();
}

void CResultsPage::OnMove()
{
    CMoveAction::Run(*this);
}

void CResultsPage::OnCompress()
{
}

void CResultsPage::OnNextButton()
{
    OnRestart();
}

void CResultsPage::OnRestart()
{
    CRestartProgressDlg dlg;
    EnableSheet(false);
    if (m_listResults)
        m_listResults->scrollToTop();
    dlg.Create(window());
    // One reset empties the list however long it is; the arrays go with it.
    m_pModel->Clear();
    SyncTotals();
    dlg.m_progress->SetPos(100);
    // Let the window repaint, but act on no key or click meant for a list
    // that is already gone.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    SetNextButtonText(IDS_NEXT);
    if (m_pScan)
        m_pScan->Reset();
    EnableSheet(true);
    GoToPage(m_nNextPage);
    dlg.hide();
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

void CResultsPage::SetNextButtonText(int nStringId)
{
    if (m_pSheet)
        m_pSheet->m_btnNext.setText(LoadString(nStringId));
}
