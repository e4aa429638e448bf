#include "core/CHelpFile.h"

#include <QDir>
#include <QFileInfo>

QStringList CHelpFile::SearchFolders(const QString &currentDir, const QString &programDir)
{
    QStringList folders;
    if (!currentDir.isEmpty())
        folders << QDir::cleanPath(currentDir);
    if (!programDir.isEmpty()) {
        folders << QDir::cleanPath(programDir);
        // bin/brimvale finds lib/brimvale/ next to bin/.
        folders << QDir::cleanPath(programDir + QLatin1String("/../lib/brimvale"));
    }
    folders.removeDuplicates();
    return folders;
}

QString CHelpFile::Find(const QStringList &folders)
{
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QFileInfo info(QDir(folder).absoluteFilePath(FileName()));
        // A folder of that name is no guide.
        if (info.isFile())
            return info.absoluteFilePath();
    }
    return QString();
}
