#pragma once

#include "core/CBytePages.h"
#include "core/CChunkedArray.h"
#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QHash>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// The raw paths of the listed files, kept compactly: folders form a tree
// (each folder keeps its parent and its own name only), and each file keeps
// its name and its folder. A deep tree therefore costs memory in proportion
// to its folders, not to the sum of their path lengths. Whole paths are
// built on demand. Entries are only ever appended; an index stays valid
// until Clear().
//
// Files handed over by the walk bring the chain of folders above them (see
// WalkRecord::chain), from which the tree grows without looking at whole
// paths. Records made by hand have no chain: their folder then becomes a
// top-level entry of the tree under its whole path.
class CPathArray
{
public:
    // Appends the file `record.name` found in `record.folder`; returns its index.
    int Append(const WalkRecord &record);
    // Appends by folder path and name alone (no chain).
    int Append(const QByteArray &folder, const QByteArray &name);
    void Clear();

    int GetCount() const { return int(m_folderOfFile.size()); }
    // Folder + '/' + name, the bytes every file operation needs.
    QByteArray GetPath(int index) const;
    QByteArray GetName(int index) const;
    // A view of the name bytes, valid until the next Append or Clear.
    std::string_view GetNameView(int index) const
    {
        const std::uint64_t name = m_names[std::size_t(index)];
        const std::uint64_t length = name >> kNameBeginBits;
        return m_nameBytes.View(name & ((std::uint64_t(1) << kNameBeginBits) - 1),
                                length == kLongName ? LongNameLength(index) : std::size_t(length));
    }
    // The whole path of the file's folder (no trailing slash except for "/").
    QByteArray GetFolder(int index) const { return GetFolderPath(GetFolderIndex(index)); }

    // Files of the same folder share one folder index.
    int GetFolderIndex(int index) const { return m_folderOfFile[std::size_t(index)]; }
    // Bytes held for names, folders and their tables.
    std::size_t GetMemoryBytes() const;
    int GetFolderCount() const { return int(m_folderParent.size()); }
    QByteArray GetFolderAt(int folderIndex) const { return GetFolderPath(folderIndex); }

    // The folder tree. A top-level folder (no parent, depth 0) is named by
    // its whole path, the walk's root for instance; the others by their
    // name alone. A parent always has a smaller index than its children.
    int GetFolderParent(int folderIndex) const { return m_folderParent[std::size_t(folderIndex)]; }
    int GetFolderDepth(int folderIndex) const { return m_folderDepth[std::size_t(folderIndex)]; }
    std::string_view GetFolderName(int folderIndex) const;
    QByteArray GetFolderPath(int folderIndex) const;

private:
    std::size_t LongNameLength(int index) const { return m_longNames.find(index)->second; }
    int AddFolder(int parent, const char *name, qsizetype length);
    int FolderOfChain(const WalkRecord &record);
    int FolderByPath(const QByteArray &folder);
    int AppendFile(int folder, const QByteArray &name);

    // Each file's name: where it begins in m_nameBytes (low kNameBeginBits)
    // and its length above; a length too long for its bits is in m_longNames.
    static constexpr int kNameBeginBits = 40;
    static constexpr std::uint64_t kLongName = (std::uint64_t(1) << (64 - kNameBeginBits)) - 1;
    CBytePages m_nameBytes;
    CChunkedArray<std::uint64_t> m_names;
    std::unordered_map<int, std::size_t> m_longNames;
    CChunkedArray<std::int32_t> m_folderOfFile;

    std::vector<char> m_folderNameBytes;
    std::vector<std::int64_t> m_folderNameEnds;
    std::vector<std::int32_t> m_folderParent;
    std::vector<std::int32_t> m_folderDepth;

    // The walk's current chain of folders as far as the tree has it: serial
    // and folder index per level. Files arrive in walk order, so only the
    // levels that changed since the last file are looked at.
    std::vector<std::uint64_t> m_chainSerials;
    std::vector<std::int32_t> m_chainFolders;
    // Folders of records without a chain, by whole path.
    QHash<QByteArray, int> m_foldersByPath;
    int m_lastPathFolder = -1;
};
