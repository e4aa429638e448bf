#include "core/CPathArray.h"

int CPathArray::FolderIndexOf(const QByteArray &folder)
{
    if (m_lastFolder >= 0 && m_folders[m_lastFolder] == folder)
        return m_lastFolder;
    auto found = m_folderIndex.constFind(folder);
    if (found == m_folderIndex.constEnd()) {
        // A copy of our own: the walk keeps rewriting its folder buffer.
        const QByteArray own(folder.constData(), folder.size());
        found = m_folderIndex.insert(own, int(m_folders.size()));
        m_folders.append(own);
    }
    m_lastFolder = found.value();
    return m_lastFolder;
}

int CPathArray::Append(const QByteArray &folder, const QByteArray &name)
{
    const int folderIndex = FolderIndexOf(folder);
    m_nameBytes.insert(m_nameBytes.end(), name.constData(), name.constData() + name.size());
    m_nameEnds.push_back(std::int64_t(m_nameBytes.size()));
    m_folderOfFile.push_back(folderIndex);
    return GetCount() - 1;
}

void CPathArray::Clear()
{
    // Swapping with empty containers gives the memory back; clear() would keep it.
    std::vector<char>().swap(m_nameBytes);
    std::vector<std::int64_t>().swap(m_nameEnds);
    std::vector<std::int32_t>().swap(m_folderOfFile);
    m_folders = QList<QByteArray>();
    m_folderIndex = QHash<QByteArray, int>();
    m_lastFolder = -1;
}

std::string_view CPathArray::GetNameView(int index) const
{
    const std::int64_t begin = index > 0 ? m_nameEnds[std::size_t(index - 1)] : 0;
    const std::int64_t end = m_nameEnds[std::size_t(index)];
    return std::string_view(m_nameBytes.data() + begin, std::size_t(end - begin));
}

QByteArray CPathArray::GetName(int index) const
{
    const std::string_view name = GetNameView(index);
    return QByteArray(name.data(), qsizetype(name.size()));
}

QByteArray CPathArray::GetPath(int index) const
{
    const QByteArray &folder = GetFolder(index);
    const std::string_view name = GetNameView(index);
    QByteArray path;
    path.reserve(folder.size() + 1 + qsizetype(name.size()));
    path += folder;
    if (!path.endsWith('/'))
        path += '/';
    path.append(name.data(), qsizetype(name.size()));
    return path;
}
