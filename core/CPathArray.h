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
        const std::size_t i = std::size_t(index);
        const std::uint16_t begin = (i & (kBlockFiles - 1)) == 0 ? 0 : m_nameEnds[i - 1];
        const std::uint16_t end = m_nameEnds[i];
        if (begin == end && !m_namesAside.empty())
            return AsideName(index);
        return m_nameBytes.View(m_blockBegins[i >> kBlockShift] + begin, std::size_t(end - begin));
    }
    // The whole path of the file's folder (no trailing slash except for "/").
    QByteArray GetFolder(int index) const { return GetFolderPath(GetFolderIndex(index)); }

    // Files of the same folder share one folder index.
    int GetFolderIndex(int index) const { return m_folderOfFile[std::size_t(index)]; }
    // Bytes held for names, folders and their tables.
    std::size_t GetMemoryBytes() const;
    int GetFolderCount() const { return int(m_folderParent.size()); }

    // The folder tree. A top-level folder (no parent, depth 0) is named by
    // its whole path, the walk's root for instance; the others by their
    // name alone. A parent always has a smaller index than its children.
    int GetFolderParent(int folderIndex) const { return m_folderParent[std::size_t(folderIndex)]; }
    int GetFolderDepth(int folderIndex) const { return m_folderDepth[std::size_t(folderIndex)]; }
    std::string_view GetFolderName(int folderIndex) const;
    QByteArray GetFolderPath(int folderIndex) const;

private:
    std::string_view AsideName(int index) const;
    int AddFolder(int parent, const char *name, qsizetype length);
    int FolderOfChain(const WalkRecord &record);
    int FolderByPath(const QByteArray &folder);
    int AppendFile(int folder, const QByteArray &name);

    // The names of each block of kBlockFiles files lie one after the other
    // from where the block begins, so a file keeps only where its name ends
    // within its block: two bytes. A name that does not fit the block's run
    // (a very long one) lies elsewhere, in m_namesAside, and ends where the
    // name before it did.
    static constexpr int kBlockShift = 6;
    static constexpr std::size_t kBlockFiles = std::size_t(1) << kBlockShift;
    static constexpr std::size_t kBlockBytes = 0xFFFF;
    struct NameAside
    {
        std::uint64_t begin;
        std::size_t length;
    };
    CBytePages m_nameBytes;
    std::vector<std::uint64_t> m_blockBegins;
    CChunkedArray<std::uint16_t> m_nameEnds;
    std::unordered_map<int, NameAside> m_namesAside;
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
