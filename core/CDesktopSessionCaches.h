#pragma once

#include <QByteArray>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

struct WalkRecord;

// Entries of a user's cache folder (".cache") that a running desktop keeps
// mapped or rebuilds only at login: removing them under a running session
// is a known way to crash it. They are kept while that user's session runs.
class CDesktopSessionCaches
{
public:
    struct Entry
    {
        const char *name; // an entry directly in .cache; a '*' at its start or end matches any run
        bool sessionOnly; // only while its owner's session runs (otherwise always)
    };
    static const std::vector<Entry> &DefaultTable();

    // Whether the user with that id has a running session.
    using SessionCheck = std::function<bool(uid_t userId)>;
    explicit CDesktopSessionCaches(SessionCheck sessionRuns, const std::vector<Entry> &table = DefaultTable());

    // Whether the record's file is (or lies below) an entry of the table in
    // a ".cache" folder.
    bool IsSessionCache(const WalkRecord &record);

    static bool NameMatches(const char *pattern, const char *name, std::size_t length);

private:
    // The entry of the table the name below ".cache" meets, or -1.
    int FindEntry(const char *name, std::size_t length) const;

    std::vector<Entry> m_table;
    SessionCheck m_sessionRuns;
    std::vector<std::pair<uid_t, bool>> m_sessions; // answers so far

    // The last folder judged: files of one folder come one after another.
    std::string m_memoFolder = std::string(1, '\0'); // no folder is named so
    bool m_bMemoInCache = false; // the folder is a .cache: each file's name decides
    int m_nMemoEntry = -1;       // else the entry the folder lies in
};
