#pragma once

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

// One file of a saved list: where it was and who it was when the scan saw it.
struct ListEntry
{
    QByteArray path;
    FileIdentity identity;
    // Levels below the list's root of the folder whose rule listed the file
    // (0 the root itself), -1 when none did: an action removes the folders
    // it empties below that one.
    int ruleDepth = -1;
};

// The text file `scan --save` writes and the actions read. One line per file,
// fields separated by tabs, the path escaped so that any name fits on a line
// and reads back byte for byte:
//
//   brimvale-list <TAB> 1
//   root <TAB> /drive/root
//   /drive/root/a.tmp <TAB> device <TAB> inode <TAB> file|link <TAB> size <TAB> mtime-ns <TAB> birth-ns|-
//       [<TAB> rule-depth] [<TAB> unchecked|locked]
//   end
//
// The closing line tells a complete list from one cut short. Removing file
// lines by hand is fine: every file is still checked before anything is done.
// A file listed unchecked (live work) or locked (protected) is in the list
// as the scan showed it, never among the files an action takes; a build
// that does not know the last field refuses the line rather than act on it.
class CListFile
{
public:
    static constexpr int kFormatVersion = 1;
    static const char *Magic() { return "brimvale-list"; }

    static void AppendHeader(QByteArray &out, const QByteArray &root);
    // How a file was listed: only checked files are acted on.
    enum class State { Checked, Unchecked, Locked };

    static void AppendEntry(QByteArray &out, const char *path, qsizetype pathSize, const FileIdentity &identity,
                            int ruleDepth = -1, State state = State::Checked);
    static void AppendFooter(QByteArray &out);

    // Whether `text` starts like a list of any version (so that saving over
    // it loses nothing the user wrote).
    static bool LooksLikeList(const QByteArray &text);

    enum class Error {
        None,
        NotAList,     // no header: some other file
        Version,      // a list, but of a format this build does not read
        BadLine,      // a line that is not what the format allows
        Truncated,    // no closing line
        OutsideRoot,  // a file that does not lie below the list's root
        Duplicate,    // the same path twice
    };

    struct Parsed
    {
        Error error = Error::None;
        int line = 0;              // 1-based line of the fault, 0 for the whole file
        QByteArray detail;         // the version found, for Error::Version
        QByteArray root;
        std::vector<ListEntry> entries; // the checked files, the only ones to act on
        std::int64_t notChecked = 0;    // files listed unchecked or locked
    };

    static Parsed Parse(const QByteArray &text);

    // Whether `path` is absolute and clean: no empty, "." or ".." parts, no
    // trailing slash (except the root folder itself), no NUL.
    static bool IsCleanAbsolute(const QByteArray &path);
    static bool LiesBelow(const QByteArray &root, const QByteArray &path);
};
