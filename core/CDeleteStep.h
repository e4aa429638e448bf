#pragma once

#include "platform/CFileDeleter.h"
#include "platform/CFolderChain.h"
#include "core/CActionStep.h"

#include <QByteArray>
#include <vector>

class CResultStore;

// Deletes a listed file for good, provided it is still the file the walk
// found: its whole identity is compared before and after it is set aside
// (see CSetAsideEntry), and its folder is reached from the drive root
// without following links.
//
// The action visits files folder by folder, so the step keeps the chain of
// folder descriptors of the previous file and only climbs and descends the
// levels that differ for the next one, instead of opening every folder from
// the root for every file.
class CDeleteStep : public CActionStep
{
public:
    // `driveRoot` is the root of the scanned drive, as raw bytes.
    CDeleteStep(const CResultStore &store, const QByteArray &driveRoot);

    int GetStatusTextId() const override;
    int GetFailedMessageId() const override;
    bool ChangesDisk() const override { return true; }
    FileOpResult Run(int index) override;

private:
    // Moves the chain to the store's folder `folder`; the folder's descriptor,
    // or -1 with `result` set. False when the folder's tree does not start
    // at the drive root (then the path is followed from the root instead).
    bool ReachFolder(int folder, int &fd, FileOpResult &result);

    const CResultStore &m_store;
    QByteArray m_strDriveRoot;
    CFileDeleter m_deleter;
    CFolderChain m_chain;
    std::vector<int> m_chainFolders; // store folder index of each chain level
    FileOpResult m_rootResult;
};
