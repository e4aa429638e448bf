#pragma once

#include "cli/CliStepFactory.h"
#include "core/CActionStep.h"

#include <QByteArray>
#include <QHash>
#include <QSet>

class CResultStore;

// `--dry-run`: what the real step would do to each listed file, written as
// one line ("delete", the path, the destination) instead of done. A file
// the real step would refuse (gone, replaced, a folder above it swapped for
// a link, a destination already taken) fails here just the same; protected
// files are refused by the runner as in a real run.
class CDryRunStep : public CActionStep
{
public:
    CDryRunStep(const CResultStore &store, CliRequest::Command command, const ActionTarget &target,
                QByteArray &out);

    int GetStatusTextId() const override { return 0; }
    int GetFailedMessageId() const override { return 0; }
    bool ChangesDisk() const override { return false; }
    FileOpResult Run(int index) override;

private:
    QByteArray DestinationOf(int index) const;
    bool FolderChainIntact(const QByteArray &folder);

    const CResultStore &m_store;
    CliRequest::Command m_command;
    const ActionTarget &m_target;
    QByteArray &m_out;
    QSet<QByteArray> m_plannedDestinations; // move: names already taken by earlier files
    QHash<QByteArray, bool> m_folderIntact;  // folders found to be real folders, not links
};
