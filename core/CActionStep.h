#pragma once

#include "platform/FileOpResult.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <vector>

// What one action (Delete, Move, Compress, Eliminate) does to one checked
// file, so that every front end runs every action through the same loop
// (CActionRunner): visit the rows from the last to the first, call Run with
// the row's result index, take the row out of the list when it succeeds,
// and collect the file's path for the list of failures when it does not.
class CActionStep
{
public:
    // Bytes of one long file copy done so far, of its whole; answering false
    // stops the copy between two blocks: the file is then left as it was,
    // nothing partial stays behind, and Run fails with ECANCELED.
    using ByteProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

    virtual ~CActionStep() = default;

    // String id of the progress dialog's status text ("Deleting ...").
    virtual int GetStatusTextId() const = 0;
    // String id of the failed-files dialog's message; 0 when the action
    // cannot fail and shows no such dialog.
    virtual int GetFailedMessageId() const = 0;
    // Whether the action changes the disk, so that the free-space line is
    // rewritten after it.
    virtual bool ChangesDisk() const = 0;
    // Whether acting on the file at `index` took its blocks off the scanned
    // drive (deleted, or moved to another file system), so that they count
    // in what the action freed. Asked only after Run succeeded.
    virtual bool FreesSpace(int index) const
    {
        (void)index;
        return false;
    }

    // Acts on the file with result index `index`.
    virtual FileOpResult Run(int index) = 0;
    // Whether the step found, in its last Run, that it can act on no file at
    // all (its destination cannot be used): the loop stops there, and that
    // file counts as neither done nor failed.
    virtual bool IsRefused() const { return false; }

    // A step that brings files back into the list (a Move undone) names
    // them here, in the order they once left it; the loop then visits these
    // instead of the checked rows, from the last to the first. Empty for
    // every step that acts on the checked rows.
    virtual std::vector<int> GetOwnItems() const { return {}; }
    // Where a file the step failed on stands now, when that is not its
    // listed path; empty for the listed path.
    virtual QByteArray GetFailedPath(int) const { return {}; }
    // Called once after the loop, whether it ran to the end or was cancelled.
    virtual void Finish() {}
    // Folders that the files acted on left empty and that Finish removed
    // (see CEmptiedFolders).
    virtual int GetRemovedFolders() const { return 0; }

    // Where a step that copies file data reports it (the runner sets it).
    void SetByteProgress(ByteProgress progress) { m_byteProgress = std::move(progress); }

protected:
    const ByteProgress &GetByteProgress() const { return m_byteProgress; }

private:
    ByteProgress m_byteProgress;
};
