#pragma once

#include <QByteArray>
#include <QList>

// The sub-folders of one folder, and the two changes the folder tree makes
// to them, all by descriptor on raw name bytes (names that are not valid
// UTF-8 are listed too). Links are never followed into: a link to a folder
// is not listed as one.
class CFolderLister
{
public:
    // Names of the folders in `path`, hidden ones (a leading dot) left out,
    // in no particular order. False with errno set when `path` cannot be read.
    static bool ListFolders(const QByteArray &path, QList<QByteArray> &names);
    // Makes folder `name` in `parent`; 0 or the errno.
    static int MakeFolder(const QByteArray &parent, const QByteArray &name);
    // Renames `from` in `parent` to `to`, never replacing; 0 or the errno.
    static int Rename(const QByteArray &parent, const QByteArray &from, const QByteArray &to);
};
