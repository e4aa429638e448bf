#include "core/CDesktopSessionCaches.h"

#include "platform/WalkRecord.h"

#include <cstring>

const std::vector<CDesktopSessionCaches::Entry> &CDesktopSessionCaches::DefaultTable()
{
    static const std::vector<Entry> table = {
        {"*.kcache", false},           // KDE's shared caches (icon-cache.kcache, themes), mapped by every KDE program
        {"ksycoca*", false},           // KDE's service database, mapped by every KDE program, rebuilt at login
        {"plasmashell", false},        // the desktop shell's compiled QML and pixmaps, read while it runs
        {"plasma-systemmonitor", false}, // its widgets' compiled QML, likewise
        {"kwin", false},               // the window manager's compiled effects and scripts
        {"qtshadercache-*", false},    // Qt's compiled shaders, mapped by running Qt Quick programs
        {"mesa_shader_cache", true},   // the graphics driver's shaders of running programs
        {"mesa_shader_cache_db", true}, // the same in the driver's single-file form
        {"doc", false},                // the document portal's files shared with sandboxed programs
    };
    return table;
}

CDesktopSessionCaches::CDesktopSessionCaches(SessionCheck sessionRuns, const std::vector<Entry> &table)
    : m_table(table), m_sessionRuns(std::move(sessionRuns))
{
}

bool CDesktopSessionCaches::NameMatches(const char *pattern, const char *name, std::size_t length)
{
    const std::size_t size = std::strlen(pattern);
    if (size > 0 && pattern[0] == '*')
        return length >= size - 1 && std::memcmp(name + length - (size - 1), pattern + 1, size - 1) == 0;
    if (size > 0 && pattern[size - 1] == '*')
        return length >= size - 1 && std::memcmp(name, pattern, size - 1) == 0;
    return length == size && std::memcmp(name, pattern, size) == 0;
}

int CDesktopSessionCaches::FindEntry(const char *name, std::size_t length) const
{
    for (std::size_t i = 0; i < m_table.size(); ++i) {
        if (NameMatches(m_table[i].name, name, length))
            return int(i);
    }
    return -1;
}

bool CDesktopSessionCaches::IsSessionCache(const WalkRecord &record)
{
    // The entry directly below the nearest ".cache" on the path: a folder
    // of the path, or the file itself when it lies in .cache.
    const QByteArray &folder = record.folder;
    if (m_memoFolder.size() != std::size_t(folder.size())
        || std::memcmp(m_memoFolder.data(), folder.constData(), m_memoFolder.size()) != 0) {
        m_memoFolder.assign(folder.constData(), std::size_t(folder.size()));
        static const char kCache[] = "/.cache";
        const qsizetype at = folder.lastIndexOf(kCache);
        const qsizetype after = at + qsizetype(sizeof kCache) - 1;
        m_bMemoInCache = at >= 0 && after == folder.size();
        m_nMemoEntry = -1;
        if (at >= 0 && after < folder.size() && folder[after] == '/') {
            qsizetype end = folder.indexOf('/', after + 1);
            if (end < 0)
                end = folder.size();
            m_nMemoEntry = FindEntry(folder.constData() + after + 1, std::size_t(end - after - 1));
        }
    }
    const int entry = m_bMemoInCache ? FindEntry(record.name.constData(), std::size_t(record.name.size()))
                                     : m_nMemoEntry;
    if (entry < 0)
        return false;
    if (!m_table[std::size_t(entry)].sessionOnly || !m_sessionRuns)
        return true;
    for (const auto &[user, runs] : m_sessions) {
        if (user == record.ownerId)
            return runs;
    }
    const bool runs = m_sessionRuns(record.ownerId);
    m_sessions.emplace_back(record.ownerId, runs);
    return runs;
}
