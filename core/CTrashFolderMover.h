#pragma once

#include "platform/CFileMover.h"
#include "platform/CFolderMaker.h"
#include "core/CTrashItems.h"

#include <QByteArray>
#include <QList>
#include <vector>

// Moves the files of a trashed folder as one item: into a folder that must
// not exist yet, each file through the mover (checked against its identity,
// nothing replaced, a copy across file systems kept whole). When one file
// cannot go, those already moved go back and the folders made for them are
// taken away again, so the entry is moved whole or stays as it was.
class CTrashFolderMover
{
public:
    // The entry folder, as levels below the base of a folder maker.
    struct Side
    {
        CFolderMaker &maker;
        QList<QByteArray> levels;
    };

    // Moves `members` (paths below the entry folder, identities where they
    // stand now) from `from` to `to`. On success `arrived` holds each
    // member's identity at `to`, in the members' order, and `made` the
    // folders made below `to`'s base, outermost first.
    static FileOpResult Move(CFileMover &mover, const std::vector<CTrashItem::Member> &members, const Side &from,
                             const Side &to, std::vector<FileIdentity> &arrived,
                             std::vector<CFolderMaker::MadeFolder> &made);

private:
    static FileOpResult MoveOne(CFileMover &mover, const QByteArray &relativePath, const FileIdentity &expected,
                                const Side &from, const Side &to, FileIdentity &arrived,
                                std::vector<CFolderMaker::MadeFolder> *made);
};
