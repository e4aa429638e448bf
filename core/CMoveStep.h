#pragma once

#include "platform/CFileMover.h"
#include "platform/CFolderMaker.h"
#include "core/CActionStep.h"
#include "core/CEmptiedFolders.h"
#include "core/CTrashEntryRemover.h"
#include "core/CMoveRecord.h"
#include "core/CStoreFolderChain.h"

#include <QByteArray>
#include <memory>

class CResultStore;

// Moves a listed file into the chosen folder, or with `preservePath` into
// the copy of its folder chain (below the drive root) rebuilt under the
// chosen folder. Only the file the walk listed is moved (CFileMover), its
// folder is reached from the drive root without following links, and
// nothing at the destination is ever replaced: a clash fails the file.
// The folders made for a file whose move then failed are removed again as
// long as they are empty; the chosen folder itself is never removed.
// What each move did is kept in a record, so that it can be undone.
// A trash entry goes under the name it had before it was trashed and
// leaves its trash whole (a folder with all its files, or not at all).
class CMoveStep : public CActionStep
{
public:
    CMoveStep(const CResultStore &store, const QByteArray &driveRoot,
              const QByteArray &destination, bool preservePath);
    ~CMoveStep() override;
    CMoveStep(const CMoveStep &) = delete;
    CMoveStep &operator=(const CMoveStep &) = delete;

    int GetStatusTextId() const override;
    int GetFailedMessageId() const override;
    bool ChangesDisk() const override { return true; }
    // A file moved within its own file system keeps its blocks.
    bool FreesSpace(int index) const override;
    FileOpResult Run(int index) override;
    // Removes the folders the moved files left empty.
    void Finish() override;
    int GetRemovedFolders() const override { return m_emptied.GetRemovedCount(); }

    CFileMover &GetMover() { return m_mover; }
    // What the files moved so far did; the step keeps an empty record.
    std::unique_ptr<CMoveRecord> TakeRecord();
    // A caller that will never undo (the command line) spares the record's
    // memory: the record then stays empty.
    void SetKeepRecord(bool bKeep) { m_bKeepRecord = bKeep; }

    // Where a file at `sourcePath` on the drive rooted at `driveRoot` goes
    // when moved to `destination`, with or without its folder chain.
    static QByteArray DestinationPath(const QByteArray &destination, const QByteArray &driveRoot,
                                      const QByteArray &sourcePath, bool preservePath);
    // The folder chain of `folder` below the drive root, levels joined by
    // '/', empty for the root itself and for a folder outside it.
    static QByteArray FolderBelowRoot(const QByteArray &driveRoot, const QByteArray &folder);

private:
    // A trashed folder goes as one item under the name it had before.
    FileOpResult MoveTrashFolder(int index, const CTrashItem &trash, const QByteArray &below);
    // The drive root, where a trash's folders are reached from.
    bool OpenTrashFolders(FileOpResult &result);
    // The levels of `folder` below the drive root.
    QList<QByteArray> LevelsBelowRoot(const QByteArray &folder) const;
    // Keeps what the trash entry took along for an Undo; `gone`: the entry
    // left its trash, so its .trashinfo goes now.
    void LeaveTrash(int index, const CTrashItem &trash, std::vector<FileIdentity> members, bool gone);

    const CResultStore &m_store;
    CStoreFolderChain m_source;
    QByteArray m_strDriveRoot;
    QByteArray m_strDestination;
    bool m_bPreservePath;
    CFileMover m_mover;
    CFolderMaker m_destination;
    CFolderMaker m_trashFolders; // the drive root, for a trash's folders
    FileOpResult m_destinationResult;
    std::unique_ptr<CMoveRecord> m_pRecord;
    bool m_bKeepRecord = true;
    dev_t m_destinationDevice = 0;
    bool m_bKnowDestinationDevice = false;
    CEmptiedFolders m_emptied;
    CTrashEntryRemover m_trash;
};
