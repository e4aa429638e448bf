#pragma once

#include "platform/CFileMover.h"
#include "platform/CFolderMaker.h"
#include "core/CActionStep.h"
#include "core/CMoveRecord.h"

#include <memory>
#include <vector>

class CResultsModel;
struct CTrashItem;

// Puts the files of the last Move back where they were listed, through the
// same mover as the Move (so a copy across file systems keeps holes, links,
// times and permission bits). A file is moved back only if it is still what
// arrived at the destination: one changed or replaced there since stays and
// fails. Nothing at the old place is ever replaced; an old folder removed
// since is made again, level by level from the drive root, and taken away
// again if the file then cannot go back. The rows of the files put back
// return to the list, checked, where they were; the folders the Move made
// at the destination go when they are left empty. A trash entry goes back
// under its trash name with its .trashinfo, a trashed folder whole.
class CUndoMoveStep : public CActionStep
{
public:
    CUndoMoveStep(CResultsModel &model, std::unique_ptr<CMoveRecord> record);

    int GetStatusTextId() const override;
    int GetFailedMessageId() const override;
    bool ChangesDisk() const override { return true; }
    FileOpResult Run(int index) override;
    std::vector<int> GetOwnItems() const override;
    QByteArray GetFailedPath(int index) const override;
    void Finish() override;

    CFileMover &GetMover() { return m_mover; }

private:
    // The file's folder below the chosen one, empty for the chosen folder.
    QByteArray MovedFolder(int index) const;
    // A trashed folder's files back into their trash, as one item.
    FileOpResult ReturnTrashFolder(CTrashItem &trash, const CMoveRecord::TrashEntry &taken,
                                   const QList<QByteArray> &fromLevels, const QList<QByteArray> &toLevels);
    // The .trashinfo the Move removed, written again beside the entry.
    void ReturnTrashInfo(CTrashItem &trash, const CMoveRecord::TrashEntry &taken, const QByteArray &root);

    CResultsModel &m_model;
    std::unique_ptr<CMoveRecord> m_pRecord;
    CFileMover m_mover;
    CFolderMaker m_destination;
    CFolderMaker m_source;
    FileOpResult m_destinationResult;
    FileOpResult m_sourceResult;
    struct Returned
    {
        int item;
        FileIdentity identity;
    };
    std::vector<Returned> m_returned;
};
