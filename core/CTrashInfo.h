#pragma once

#include <QByteArray>
#include <QString>

// What a freedesktop trash knows about one trashed entry: the .trashinfo
// file beside it ("[Trash Info]", Path= percent-encoded, DeletionDate=),
// and the trash's "directorysizes" cache of trashed folders.
class CTrashInfo
{
public:
    // Reads the text of a .trashinfo file. `topFolder` is the folder a
    // relative Path= starts from (the top of the drive for a trash there).
    static CTrashInfo Parse(const QByteArray &text, const QByteArray &topFolder);

    bool IsValid() const { return m_bValid; }
    // Where the entry was before it was trashed, as raw bytes.
    const QByteArray &GetOriginalPath() const { return m_originalPath; }
    // The name the entry had there: what a Move or a Compress restores.
    QByteArray GetOriginalName() const;
    // As the file has it ("2004-08-31T22:32:08"), with a space for the T.
    const QString &GetDeletionDate() const { return m_deletionDate; }

    // The "directorysizes" text without the line of the trashed folder
    // `name` (its name in files/, as raw bytes); the text unchanged when it
    // has no such line. Lines are "size mtime percent-encoded-name".
    static QByteArray DirectorySizesWithout(const QByteArray &text, const QByteArray &name);

private:
    QByteArray m_originalPath;
    QString m_deletionDate;
    bool m_bValid = false;
};
