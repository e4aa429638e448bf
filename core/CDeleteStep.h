#pragma once

#include "platform/CFileDeleter.h"
#include "core/CActionStep.h"
#include "core/CEmptiedFolders.h"
#include "core/CStoreFolderChain.h"
#include "core/CTrashEntryRemover.h"

#include <QByteArray>

class CResultStore;

// Deletes a listed file for good (a trash entry with all that belongs to
// it, see CTrashEntryRemover), provided it is still the file the walk
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
    bool FreesSpace(int) const override { return true; }
    FileOpResult Run(int index) override;
    // Removes the folders the deleted files left empty.
    void Finish() override;
    int GetRemovedFolders() const override { return m_emptied.GetRemovedCount(); }

private:
    FileOpResult DeleteFile(int index);

    const CResultStore &m_store;
    QByteArray m_strDriveRoot;
    CFileDeleter m_deleter;
    CStoreFolderChain m_chain;
    CTrashEntryRemover m_trash;
    CEmptiedFolders m_emptied;
};
