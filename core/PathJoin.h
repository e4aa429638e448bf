#pragma once

#include <QByteArray>

// Paths as raw bytes: names need not be valid UTF-8.

// The folder `path` lies in; "/" for a name at the root or a bare name.
QByteArray ParentFolderOf(const QByteArray &path);
// `rest` below `folder`, with one slash between them.
QByteArray JoinPath(const QByteArray &folder, const QByteArray &rest);
