#pragma once

#include "cli/CListFile.h"
#include "cli/CliStepFactory.h"
#include "core/CResultStore.h"
#include "platform/FileOpResult.h"
#include "platform/CPathInfo.h"

#include <QHash>
#include <QSet>
#include <vector>

struct CliRequest;
class CActionStep;

// `brimvale-cli delete|move|zip`: reads a list written by `scan --save`,
// checks it whole before anything is done, and runs the wizard's own step on
// every file, from the last to the first as the results page does. Returns
// the exit status.
class CCliAction
{
public:
    explicit CCliAction(const CliRequest &request);
    int Run();

private:
    bool LoadList();
    bool ResolveTarget();
    void FillStore();
    int DryRun();
    int RunSteps(CActionStep &step);
    WalkRecord RecordOf(int index) const;
    // Whether `now` (what the file's path holds now) is still the file
    // the list names.
    bool IsStillListedFile(int index, const PathInfo &now) const;
    bool DryRunOne(int index, QByteArray &out, QString &reason);
    QByteArray DestinationOf(int index) const;
    bool FolderChainIntact(const QByteArray &folder);
    void ReportFailure(int index, const QString &reason);
    int Finish(int done, int failed) const;
    static QString ReasonText(const FileOpResult &result);

    const CliRequest &m_request;
    QByteArray m_root;
    std::vector<ListEntry> m_entries;
    ActionTarget m_target;
    CResultStore m_store;
    QSet<QByteArray> m_plannedDestinations; // dry run of move: names already taken by earlier files
    QHash<QByteArray, bool> m_folderIntact;  // dry run: folders found to be real folders, not links
};
