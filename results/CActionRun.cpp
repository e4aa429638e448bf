#include "results/CActionRun.h"

#include "controls/CActionProgressDlg.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CPercentProgressCtrl.h"
#include "core/CActionStep.h"
#include "core/CResultsModel.h"
#include "core/SizeText.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CResultsHost.h"

#include <QLabel>

CActionRun::CActionRun(CResultsHost &host) : m_host(host) {}

CActionRun::~CActionRun() = default;

std::vector<ActionRow> CActionRun::CheckedRows(const CResultsModel &model)
{
    // Made at once, without a list of rows first: at a million rows that
    // list alone was 4 MB of fresh memory on the interface thread.
    std::vector<ActionRow> rows;
    rows.reserve(std::size_t(model.GetStore().GetSelectedCount()));
    model.ForEachCheckedRow([&rows](int row, int item) { rows.push_back({row, item}); });
    return rows;
}

ActionOutcome CActionRun::Run(CActionStep &step)
{
    m_host.OnActionStarting();
    CResultsModel &model = *m_host.GetModel();
    QWidget *busy = m_host.GetBusyWindow();
    m_strStatus = LoadString(step.GetStatusTextId());
    m_pDlg = std::make_unique<CActionProgressDlg>();
    m_pDlg->Create(busy, m_strStatus);
    busy->setEnabled(false);
    if (CCheckBoxListCtrl *list = m_host.GetList())
        list->scrollToTop();

    CActionRunner runner(step, model.GetStore(), m_host.GetScannedDrive());
    const ActionOutcome outcome = runner.Run(CheckedRows(model), *this);
    RemoveHandled();
    // A file with several links that lost some of them now needs fewer
    // checked to be freed.
    if (step.ChangesDisk())
        model.RemoveLinks(outcome.freedItems);
    m_host.OnRowsChanged();
    m_pDlg->hide();
    m_host.OnActionEnded(step, outcome);

    if (!outcome.failures.isEmpty() && step.GetFailedMessageId() != 0) {
        CFailedFilesDlg failedDlg(m_host.GetPageWidget());
        failedDlg.SetMessage(LoadString(step.GetFailedMessageId()));
        failedDlg.SetFailedFiles(outcome.failures);
        failedDlg.exec();
    }
    return outcome;
}

bool CActionRun::IsCancelled()
{
    return m_pDlg && m_pDlg->IsCancelled();
}

void CActionRun::OnProgress(int done, int total)
{
    if (total > 0)
        m_pDlg->GetProgress()->SetPos(int(std::int64_t(100) * done / total));
    if (m_bShowingBytes) {
        m_bShowingBytes = false;
        m_pDlg->GetStatusStatic()->setText(m_strStatus);
    }
}

void CActionRun::OnBytes(std::int64_t done, std::int64_t total)
{
    // A long copy keeps the window alive and Cancel within reach.
    if (!m_pump.DueNow())
        return;
    if (m_pump.TextDue()) {
        QString text = LoadString(IDS_ACTION_BYTES);
        for (const QString &value : {m_strStatus, FormatSize(done), FormatSize(total)})
            text.replace(text.indexOf(QLatin1String("%s")), 2, value);
        m_pDlg->GetStatusStatic()->setText(text);
        m_bShowingBytes = true;
    }
    m_pump.Pump();
}

void CActionRun::OnRowDone(const ActionRow &row)
{
    if (row.row >= 0)
        m_handled.push_back(row.row);
}

void CActionRun::OnBetweenRows()
{
    if (m_pump.Due()) {
        if (m_pump.ListDue())
            RemoveHandled();
        m_pump.Pump();
    }
}

void CActionRun::RemoveHandled()
{
    if (m_handled.empty())
        return;
    m_host.GetModel()->RemoveRowList(std::move(m_handled));
    m_handled.clear();
    m_host.OnRowsChanged();
}
