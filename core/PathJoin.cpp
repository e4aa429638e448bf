#include "core/PathJoin.h"

QByteArray ParentFolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray JoinPath(const QByteArray &folder, const QByteArray &rest)
{
    return folder.endsWith('/') ? folder + rest : folder + '/' + rest;
}
