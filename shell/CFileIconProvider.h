#pragma once

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <string_view>

// Icons of file types, found by name only: a file is never opened or even
// looked at to choose its icon. The type comes from the name's extension
// (the desktop's MIME database) and the icon from the icon theme, with the
// style's plain file icon when the theme has none. Lists ask for the icon of
// every painted row, so icons are kept per extension.
class CFileIconProvider
{
public:
    CFileIconProvider();

    // Icon for a file called `name` (raw bytes; only its extension counts).
    QIcon IconForFileName(std::string_view name);
    // The generic folder icon.
    QIcon FolderIcon() const { return m_folderIcon; }

    // Lower-cased text after the last dot, empty without one (a leading dot
    // alone, as in ".profile", is not an extension).
    static QByteArray ExtensionKey(std::string_view name);


private:
    QIcon LookUp(const QByteArray &extension);

    QMimeDatabase m_mimeDatabase;
    QHash<QByteArray, QIcon> m_byExtension;
    QIcon m_fileIcon;
    QIcon m_folderIcon;
};
