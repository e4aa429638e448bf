#pragma once

#include "cli/CListFile.h"
#include "cli/CliStepFactory.h"
#include "core/CActionRunner.h"
#include "core/CResultStore.h"
#include "platform/FileOpResult.h"

#include <memory>
#include <vector>

struct CliRequest;
class CActionStep;
class COutput;
class CProtection;

// `brimvale-cli delete|move|zip`: reads a list written by `scan --save`,
// checks it whole before anything is done, and runs the wizard's own step on
// every file through the same runner as the results page, from the last to
// the first. SIGINT and SIGTERM stop it between files or inside a long copy.
// Returns the exit status.
class CCliAction : public CActionHooks
{
public:
    explicit CCliAction(const CliRequest &request);
    ~CCliAction() override;
    int Run();

    // Reads and checks the list and the target; false after telling the
    // user why not.
    bool Prepare();
    const CResultStore &GetStore() const { return m_store; }
    const QByteArray &GetRoot() const { return m_root; }
    // Runs `step` on every listed file, telling each failure as the command
    // does, refusing protected files when given `protection`.
    ActionOutcome RunStep(CActionStep &step, CProtection *protection);

    bool IsCancelled() override;
    void OnRowDone(const ActionRow &row) override;
    void OnRowFailed(const ActionRow &row, const FailedFile &failed) override;
    void OnBetweenRows() override;

    // The short reason the command gives for a file it could not deal with.
    static QString ReasonText(const FileOpResult &result);

private:
    // False, having said why, when Zip's archive name is taken by something
    // that is no archive.
    bool ArchiveTakesFiles() const;
    bool LoadList();
    bool ResolveTarget();
    void FillStore();
    int Report(const ActionOutcome &outcome) const;

    const CliRequest &m_request;
    QByteArray m_root;
    std::vector<ListEntry> m_entries;
    ActionTarget m_target;
    CResultStore m_store;
    COutput *m_pOut = nullptr; // a dry run's lines
};
