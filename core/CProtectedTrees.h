#pragma once

#include <QByteArray>
#include <cstddef>
#include <string>
#include <vector>

// Folders whose files are never offered, and the exceptions inside them that
// stay open. An entry names a folder by its absolute path, by its path below
// the user's home, or by its bare name wherever it appears; a depth says how
// far below the folder the entry reaches.
//
// The deepest folder on a file's path that has an entry reaching the file
// decides: a protected node_modules inside an open /tmp is protected, an open
// .cache inside a protected tree is open. When a protection and an exception
// name the same folder, the protection wins.
class CProtectedTrees
{
public:
    enum class Anchor { Absolute, Home, Name };
    // Depths: files directly in the folder only, or every level below it.
    static constexpr int kFolderOnly = 0;
    static constexpr int kAllBelow = -1;

    struct Entry
    {
        Anchor anchor;
        const char *path; // a bare name may end with '*' to match by prefix
        int depth;        // kFolderOnly, a number of levels below, or kAllBelow
        bool protect;     // false: an exception that stays open
    };

    static const std::vector<Entry> &DefaultTable();

    // `home`: the user's home as a real path (empty: home entries are left out).
    explicit CProtectedTrees(const QByteArray &home, const std::vector<Entry> &table = DefaultTable());

    // Whether files directly in `folder` (a real path from "/", no trailing
    // slash) are protected. What it learnt of the folder's ancestors is kept
    // for the next folder (not for two threads at once): a walk down a deep
    // chain judges each level once, not each level's whole way up again.
    bool IsProtectedFolder(const char *folder, std::size_t length) const;
    bool IsProtectedFolder(const QByteArray &folder) const
    {
        return IsProtectedFolder(folder.constData(), std::size_t(folder.size()));
    }

private:
    struct Rule
    {
        QByteArray text;
        bool prefix = false;
        int depth = kAllBelow;
        bool protect = true;
    };
    // 1 protected, 0 open, -1 no entry here reaches that deep.
    static int Verdict(const std::vector<Rule> &rules, const char *text, std::size_t length, int depth, bool byName);
    // The verdict of the folder whose path ends at `end` (its name begins at
    // `nameStart`) for a folder `depth` levels below it.
    int LevelVerdict(const char *folder, std::size_t nameStart, std::size_t end, int depth) const;
    // Brings the levels kept to the ancestors of `folder` (`length` bytes).
    void KeepLevelsOf(const char *folder, std::size_t length) const;

    std::vector<Rule> m_paths;
    std::vector<Rule> m_names;
    // How many levels below its folder the furthest entry that does not
    // reach every level reaches (-1: every entry reaches every level).
    // Above that, a level's verdict is the same for any folder below it.
    int m_nLimitedReach = -1;

    // The levels of the folder asked last, from the top: where each one's
    // path ends, and the verdict of the deepest level at or above it that
    // has one, for a folder further below than any limited entry reaches.
    mutable std::string m_lastFolder;
    mutable std::vector<std::size_t> m_levelEnds;
    mutable std::vector<std::size_t> m_levelNames;
    mutable std::vector<signed char> m_levelFarVerdicts;
};
