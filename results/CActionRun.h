#pragma once

#include "core/CActionRunner.h"
#include "core/CEventPump.h"

#include <QString>
#include <memory>
#include <vector>

class CActionProgressDlg;
class CActionStep;
class CResultsHost;
class CResultsModel;

// One action on the results list as the wizard shows it: the core runner
// visits the checked rows from the last to the first behind a progress
// window (a bar of the rows, the bytes of a long copy, Cancel); the rows of
// the files dealt with leave the list in batches; at the end the free space
// is measured and the files the step failed on are shown together.
class CActionRun : public CActionHooks
{
public:
    explicit CActionRun(CResultsHost &host);
    ~CActionRun() override;

    ActionOutcome Run(CActionStep &step);

    // The rows an action acts on: checked, never locked, in list order.
    static std::vector<ActionRow> CheckedRows(const CResultsModel &model);

    bool IsCancelled() override;
    void OnProgress(int done, int total) override;
    void OnBytes(std::int64_t done, std::int64_t total) override;
    void OnRowDone(const ActionRow &row) override;
    void OnBetweenRows() override;

private:
    // Takes the rows dealt with so far out of the list in one change.
    void RemoveHandled();

    CResultsHost &m_host;
    std::unique_ptr<CActionProgressDlg> m_pDlg;
    CEventPump m_pump;
    QString m_strStatus;
    bool m_bShowingBytes = false;
    std::vector<int> m_handled; // rows below the one being visited
};
