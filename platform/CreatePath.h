#pragma once

#include <QByteArray>

// Makes sure every level of an absolute folder path exists, creating the
// missing ones one level at a time by descriptor from "/". The levels that
// exist are opened as named (the user typed them, links included); a level
// made here is entered without following links, so nothing swapped in
// after mkdirat can redirect the rest. The current directory is never
// changed. A relative or empty path fails, and so does a level that exists
// as something other than a folder, and a last level this process cannot
// enter and write in (another user's closed folder, a read-only mount).
bool CreatePath(const QByteArray &path);

// Whether this process may enter the folder of `folderFd` (O_PATH will do)
// and make or remove entries in it.
bool CanEnterAndWrite(int folderFd);

// The same, returning an O_PATH descriptor of the last level (the caller
// closes it), or -1 with errno set.
int OpenOrCreatePath(const QByteArray &path);
