#pragma once

#include <QString>
#include <QStringList>

// Where the user guide is looked for: the current folder first (a guide of
// one's own wins), then beside the program (the build folder), then where
// an installation puts it.
class CHelpFile
{
public:
    static QString FileName() { return QStringLiteral("BVHelp.html"); }

    // The folders in search order for a program in `programDir` started
    // from `currentDir`.
    static QStringList SearchFolders(const QString &currentDir, const QString &programDir);

    // Full path of the first regular file named FileName() in `folders`,
    // empty when there is none.
    static QString Find(const QStringList &folders);
};
