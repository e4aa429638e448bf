#include "core/CPathArray.h"

#include <algorithm>
#include <cstring>

int CPathArray::AddFolder(int parent, const char *name, qsizetype length)
{
    m_folderNameBytes.insert(m_folderNameBytes.end(), name, name + length);
    m_folderNameEnds.push_back(std::int64_t(m_folderNameBytes.size()));
    m_folderParent.push_back(parent);
    m_folderDepth.push_back(parent < 0 ? 0 : m_folderDepth[std::size_t(parent)] + 1);
    return int(m_folderParent.size()) - 1;
}

int CPathArray::FolderOfChain(const WalkRecord &record)
{
    const int length = record.chainLength;
    // Serials never repeat, so a level that still matches has all of its
    // ancestors matching too: look from the deepest shared level upwards.
    int kept = std::min(length, int(m_chainSerials.size()));
    while (kept > 0 && m_chainSerials[std::size_t(kept - 1)] != record.chain[kept - 1].serial)
        --kept;
    m_chainSerials.resize(std::size_t(kept));
    m_chainFolders.resize(std::size_t(kept));
    for (int level = kept; level < length; ++level) {
        const WalkFolder &folder = record.chain[level];
        const int parent = level == 0 ? -1 : m_chainFolders[std::size_t(level - 1)];
        m_chainSerials.push_back(folder.serial);
        m_chainFolders.push_back(AddFolder(parent, record.folder.constData() + folder.nameBegin, folder.nameLength));
    }
    return m_chainFolders.back();
}

int CPathArray::FolderByPath(const QByteArray &folder)
{
    if (m_lastPathFolder >= 0 && GetFolderName(m_lastPathFolder) == std::string_view(folder.constData(), std::size_t(folder.size())))
        return m_lastPathFolder;
    auto found = m_foldersByPath.constFind(folder);
    if (found == m_foldersByPath.constEnd()) {
        // A copy of our own: the caller may keep rewriting its buffer.
        const QByteArray own(folder.constData(), folder.size());
        found = m_foldersByPath.insert(own, AddFolder(-1, own.constData(), own.size()));
    }
    m_lastPathFolder = found.value();
    return m_lastPathFolder;
}

int CPathArray::AppendFile(int folder, const QByteArray &name)
{
    const int index = GetCount();
    const std::size_t i = std::size_t(index);
    const std::size_t length = std::size_t(name.size());
    if ((i & (kBlockFiles - 1)) == 0) {
        // Room for a block of names of the longest length a file system
        // gives them, one after the other in one page.
        m_nameBytes.Reserve(kBlockFiles * 255);
        m_blockBegins.push_back(m_nameBytes.GetEnd());
    }
    const std::uint16_t begin = (i & (kBlockFiles - 1)) == 0 ? 0 : m_nameEnds[i - 1];
    const std::uint64_t at = m_blockBegins.back() + begin;
    if (length == 0 || (m_nameBytes.GetEnd() == at && length <= m_nameBytes.GetRoom()
                        && begin + length < kBlockBytes)) {
        m_nameBytes.Append(name.constData(), length);
        m_nameEnds.push_back(std::uint16_t(begin + length));
    } else {
        m_namesAside[index] = NameAside{m_nameBytes.Append(name.constData(), length), length};
        m_nameEnds.push_back(begin);
    }
    m_folderOfFile.push_back(folder);
    return index;
}

int CPathArray::Append(const WalkRecord &record)
{
    if (record.chain && record.chainLength > 0)
        return AppendFile(FolderOfChain(record), record.name);
    return Append(record.folder, record.name);
}

int CPathArray::Append(const QByteArray &folder, const QByteArray &name)
{
    return AppendFile(FolderByPath(folder), name);
}

void CPathArray::Clear()
{
    // Swapping with empty containers gives the memory back; clear() would keep it.
    m_nameBytes.Clear();
    std::vector<std::uint64_t>().swap(m_blockBegins);
    m_nameEnds.clear();
    std::unordered_map<int, NameAside>().swap(m_namesAside);
    m_folderOfFile.clear();
    std::vector<char>().swap(m_folderNameBytes);
    std::vector<std::int64_t>().swap(m_folderNameEnds);
    std::vector<std::int32_t>().swap(m_folderParent);
    std::vector<std::int32_t>().swap(m_folderDepth);
    std::vector<std::uint64_t>().swap(m_chainSerials);
    std::vector<std::int32_t>().swap(m_chainFolders);
    m_foldersByPath = QHash<QByteArray, int>();
    m_lastPathFolder = -1;
}

std::string_view CPathArray::AsideName(int index) const
{
    const auto aside = m_namesAside.find(index);
    return aside == m_namesAside.end() ? std::string_view() : m_nameBytes.View(aside->second.begin, aside->second.length);
}

std::size_t CPathArray::GetMemoryBytes() const
{
    return m_nameBytes.GetMemoryBytes() + m_blockBegins.capacity() * sizeof(std::uint64_t)
        + m_nameEnds.GetMemoryBytes() + m_namesAside.size() * (sizeof(NameAside) + 32) + m_folderOfFile.GetMemoryBytes()
        + m_folderNameBytes.capacity() + m_folderNameEnds.capacity() * sizeof(std::int64_t)
        + (m_folderParent.capacity() + m_folderDepth.capacity()) * sizeof(std::int32_t);
}

QByteArray CPathArray::GetName(int index) const
{
    const std::string_view name = GetNameView(index);
    return QByteArray(name.data(), qsizetype(name.size()));
}

std::string_view CPathArray::GetFolderName(int folderIndex) const
{
    const std::int64_t begin = folderIndex > 0 ? m_folderNameEnds[std::size_t(folderIndex - 1)] : 0;
    const std::int64_t end = m_folderNameEnds[std::size_t(folderIndex)];
    return std::string_view(m_folderNameBytes.data() + begin, std::size_t(end - begin));
}

QByteArray CPathArray::GetFolderPath(int folderIndex) const
{
    // Measured first, then filled from the end: one allocation, no
    // recursion, whatever the depth.
    qsizetype length = 0;
    for (int f = folderIndex; f >= 0; f = GetFolderParent(f)) {
        length += qsizetype(GetFolderName(f).size());
        if (GetFolderParent(f) >= 0)
            ++length;
    }
    QByteArray path(length, Qt::Uninitialized);
    qsizetype end = length;
    for (int f = folderIndex; f >= 0; f = GetFolderParent(f)) {
        const std::string_view name = GetFolderName(f);
        end -= qsizetype(name.size());
        std::memcpy(path.data() + end, name.data(), name.size());
        if (GetFolderParent(f) >= 0)
            path[--end] = '/';
    }
    // Below the root "/" the separator is the root's own slash.
    if (path.startsWith("//"))
        path.remove(0, 1);
    return path;
}

QByteArray CPathArray::GetPath(int index) const
{
    const QByteArray folder = GetFolder(index);
    const std::string_view name = GetNameView(index);
    QByteArray path;
    path.reserve(folder.size() + 1 + qsizetype(name.size()));
    path += folder;
    if (!path.endsWith('/'))
        path += '/';
    path.append(name.data(), qsizetype(name.size()));
    return path;
}
