#include "shell/CFileIconProvider.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QMimeType>
#include <QStyle>

CFileIconProvider::CFileIconProvider()
{
    const QFileIconProvider provider;
    m_fileIcon = provider.icon(QAbstractFileIconProvider::File);
    m_folderIcon = provider.icon(QAbstractFileIconProvider::Folder);
    if (m_fileIcon.isNull())
        m_fileIcon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    if (m_folderIcon.isNull())
        m_folderIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
}

QByteArray CFileIconProvider::ExtensionKey(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return QByteArray();
    QByteArray key(name.data() + dot + 1, qsizetype(name.size() - dot - 1));
    return key.toLower();
}

QIcon CFileIconProvider::IconForFileName(std::string_view name)
{
    const QByteArray key = ExtensionKey(name);
    auto cached = m_byExtension.constFind(key);
    if (cached == m_byExtension.constEnd())
        cached = m_byExtension.insert(key, LookUp(key));
    return cached.value();
}

QIcon CFileIconProvider::LookUp(const QByteArray &extension)
{
    if (extension.isEmpty())
        return m_fileIcon;
    // A made-up name with the extension is all the database needs.
    const QString probe = QStringLiteral("x.") + QString::fromUtf8(extension);
    const QMimeType type = m_mimeDatabase.mimeTypeForFile(probe, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return m_fileIcon;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    return icon.isNull() ? m_fileIcon : icon;
}
