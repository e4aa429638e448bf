#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <cstdint>
#include <string_view>
#include <vector>

// The raw paths of the listed files, kept compactly: each folder's bytes are
// stored once and each file keeps only its name, so a million paths cost
// little more than their names. Entries are only ever appended; an index
// stays valid until Clear().
class CPathArray
{
public:
    // Appends the file `name` found in `folder` (no trailing slash except for
    // "/"); returns its index.
    int Append(const QByteArray &folder, const QByteArray &name);
    void Clear();

    int GetCount() const { return int(m_folderOfFile.size()); }
    // Folder + '/' + name, the bytes every file operation needs.
    QByteArray GetPath(int index) const;
    QByteArray GetName(int index) const;
    // A view of the name bytes, valid until the next Append or Clear.
    std::string_view GetNameView(int index) const;
    const QByteArray &GetFolder(int index) const { return m_folders[GetFolderIndex(index)]; }

    // Files of the same folder share one folder index.
    int GetFolderIndex(int index) const { return m_folderOfFile[std::size_t(index)]; }
    int GetFolderCount() const { return int(m_folders.size()); }
    const QByteArray &GetFolderAt(int folderIndex) const { return m_folders[folderIndex]; }

private:
    int FolderIndexOf(const QByteArray &folder);

    std::vector<char> m_nameBytes;
    std::vector<std::int64_t> m_nameEnds; // end offset of each name in m_nameBytes
    std::vector<std::int32_t> m_folderOfFile;
    QList<QByteArray> m_folders;
    QHash<QByteArray, int> m_folderIndex;
    int m_lastFolder = -1; // files of one folder arrive together: skip the lookup
};
