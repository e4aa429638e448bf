#pragma once

#include "platform/CFileDeleter.h"
#include "platform/FileOpResult.h"

#include <QByteArray>

struct CTrashItem;

// Takes a trash entry out of its trash once its data are gone or were
// about to go: a trashed folder's files, each only if it is still the file
// the walk listed, then its folders deepest first (only empty ones), and
// only when the entry is gone whole its .trashinfo and its line in the
// trash's "directorysizes". Everything is reached from the drive root
// without following links.
class CTrashEntryRemover
{
public:
    explicit CTrashEntryRemover(const QByteArray &driveRoot);

    // Deletes the files of the folder entry `item` and its empty folders.
    // Ok when `files/NAME` is gone; else the first failure, and the
    // information stays.
    FileOpResult DeleteFolderEntry(const CTrashItem &item);
    // The entry has left files/: removes its .trashinfo and, for a folder,
    // its cached size. A failure here leaves information without an entry,
    // which the next scan lists on its own.
    void ForgetEntry(const CTrashItem &item);

private:
    QByteArray m_strDriveRoot;
    CFileDeleter m_deleter;
};
