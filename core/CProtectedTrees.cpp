#include "core/CProtectedTrees.h"

#include <algorithm>
#include <climits>
#include <cstring>

const std::vector<CProtectedTrees::Entry> &CProtectedTrees::DefaultTable()
{
    using A = Anchor;
    static const std::vector<Entry> table = {
        {A::Absolute, "/usr", kAllBelow, true},          // programs, libraries and their data
        {A::Absolute, "/etc", kAllBelow, true},          // the system's configuration
        {A::Absolute, "/boot", kAllBelow, true},         // kernels and the boot loader
        {A::Absolute, "/efi", kAllBelow, true},          // the firmware's boot partition
        {A::Absolute, "/bin", kAllBelow, true},          // programs (or the link to /usr/bin)
        {A::Absolute, "/sbin", kAllBelow, true},         // system programs
        {A::Absolute, "/lib", kAllBelow, true},          // libraries and kernel modules
        {A::Absolute, "/lib32", kAllBelow, true},        // 32-bit libraries
        {A::Absolute, "/lib64", kAllBelow, true},        // 64-bit libraries and the loader
        {A::Absolute, "/libx32", kAllBelow, true},       // x32 libraries
        {A::Absolute, "/opt", kAllBelow, true},          // add-on software installed as a whole
        {A::Absolute, "/srv", kAllBelow, true},          // data the machine's services serve
        {A::Absolute, "/snap", kAllBelow, true},         // installed snaps
        {A::Absolute, "/var/lib", kAllBelow, true},      // state of installed software: databases, package records
        {A::Absolute, "/var/opt", kAllBelow, true},      // state of the software in /opt
        {A::Absolute, "/var/snap", kAllBelow, true},     // data of installed snaps
        {A::Absolute, "/var/spool", kAllBelow, true},    // queued mail and print jobs, users' timed jobs
        {A::Absolute, "/var/mail", kAllBelow, true},     // users' mailboxes
        {A::Absolute, "/var/backups", kAllBelow, true},  // the system's own backups of accounts and package records
        {A::Absolute, "/var/cache/debconf", kAllBelow, true}, // the package configuration answers, not a cache
        {A::Absolute, "/run", kAllBelow, true},          // running services' sockets and process ids
        {A::Absolute, "/dev", kAllBelow, true},          // device nodes
        {A::Absolute, "/proc", kAllBelow, true},         // the kernel's process view
        {A::Absolute, "/sys", kAllBelow, true},          // the kernel's device view
        {A::Name, "site-packages", kAllBelow, true},     // installed Python packages (their debug/ and history/ are code)
        {A::Name, "dist-packages", kAllBelow, true},     // installed Python packages, Debian's name
        {A::Name, "node_modules", kAllBelow, true},      // installed JavaScript packages
        {A::Name, ".git", kAllBelow, true},              // version history
        {A::Name, ".hg", kAllBelow, true},               // version history
        {A::Name, ".svn", kAllBelow, true},              // version history
        {A::Name, ".bzr", kAllBelow, true},              // version history
        {A::Name, ".ssh", kAllBelow, true},              // keys of any user's home, when the whole disk is searched
        {A::Name, ".gnupg", kAllBelow, true},            // keys of any user's home, likewise
        {A::Home, ".ssh", kAllBelow, true},              // the user's keys and known hosts
        {A::Home, ".gnupg", kAllBelow, true},            // the user's signing and encryption keys
        {A::Home, ".local/share/keyrings", kAllBelow, true}, // the user's stored passwords
        {A::Home, ".pki", kAllBelow, true},              // the user's certificates
        {A::Home, ".config", 1, true},                   // settings of each program; deeper levels hold their caches
        {A::Absolute, "/var/cache", kAllBelow, false},   // caches the software rebuilds
        {A::Absolute, "/var/tmp", kAllBelow, false},     // temporary files
        {A::Absolute, "/tmp", kAllBelow, false},         // temporary files
        {A::Home, ".cache", kAllBelow, false},           // the user's caches
        {A::Home, ".local/share/Trash", kAllBelow, false}, // the user's trash
        {A::Name, ".Trash", kAllBelow, false},           // a drive's shared trash
        {A::Name, ".Trash-*", kAllBelow, false},         // a drive's trash of one user
    };
    return table;
}

CProtectedTrees::CProtectedTrees(const QByteArray &home, const std::vector<Entry> &table)
{
    QByteArray base = home;
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    for (const Entry &entry : table) {
        Rule rule;
        rule.depth = entry.depth;
        rule.protect = entry.protect;
        rule.text = entry.path;
        if (entry.depth != kAllBelow && entry.depth > m_nLimitedReach)
            m_nLimitedReach = entry.depth;
        switch (entry.anchor) {
        case Anchor::Absolute:
            m_paths.push_back(rule);
            break;
        case Anchor::Home:
            if (base.isEmpty())
                break;
            rule.text = (base == "/" ? QByteArray() : base) + '/' + rule.text;
            m_paths.push_back(rule);
            break;
        case Anchor::Name:
            if (rule.text.endsWith('*')) {
                rule.text.chop(1);
                rule.prefix = true;
            }
            m_names.push_back(rule);
            break;
        }
    }
}

int CProtectedTrees::Verdict(const std::vector<Rule> &rules, const char *text, std::size_t length, int depth,
                             bool byName)
{
    int verdict = -1;
    for (const Rule &rule : rules) {
        if (rule.depth != kAllBelow && depth > rule.depth)
            continue;
        const std::size_t size = std::size_t(rule.text.size());
        const bool matches = byName && rule.prefix
                                 ? length >= size && std::memcmp(text, rule.text.constData(), size) == 0
                                 : length == size && std::memcmp(text, rule.text.constData(), size) == 0;
        if (!matches)
            continue;
        if (rule.protect)
            return 1;
        verdict = 0;
    }
    return verdict;
}

int CProtectedTrees::LevelVerdict(const char *folder, std::size_t nameStart, std::size_t end, int depth) const
{
    const int byPath = Verdict(m_paths, folder, end, depth, false);
    const int byName = end > nameStart ? Verdict(m_names, folder + nameStart, end - nameStart, depth, true) : -1;
    if (byPath == 1 || byName == 1)
        return 1;
    return byPath == 0 || byName == 0 ? 0 : -1;
}

void CProtectedTrees::KeepLevelsOf(const char *folder, std::size_t length) const
{
    // The levels shared with the folder asked last stay as they were.
    std::size_t same = 0;
    const std::size_t lastLength = m_lastFolder.size();
    while (same < length && same < lastLength && folder[same] == m_lastFolder[same])
        ++same;
    std::size_t kept = 0;
    while (kept < m_levelEnds.size() && m_levelEnds[kept] <= same
           && (m_levelEnds[kept] == length || folder[m_levelEnds[kept]] == '/'))
        ++kept;
    m_levelEnds.resize(kept);
    m_levelNames.resize(kept);
    m_levelFarVerdicts.resize(kept);
    m_lastFolder.assign(folder, length);
    // Each further level, from its name's start to the next slash.
    std::size_t pos = kept > 0 ? m_levelEnds.back() : 0;
    while (pos < length) {
        while (pos < length && folder[pos] == '/')
            ++pos;
        if (pos >= length)
            break;
        const std::size_t nameStart = pos;
        while (pos < length && folder[pos] != '/')
            ++pos;
        // Only entries that reach every level below count this far up.
        const int verdict = LevelVerdict(folder, nameStart, pos, INT_MAX);
        const signed char above = m_levelFarVerdicts.empty() ? -1 : m_levelFarVerdicts.back();
        m_levelEnds.push_back(pos);
        m_levelNames.push_back(nameStart);
        m_levelFarVerdicts.push_back(verdict >= 0 ? static_cast<signed char>(verdict) : above);
    }
}

bool CProtectedTrees::IsProtectedFolder(const char *folder, std::size_t length) const
{
    while (length > 1 && folder[length - 1] == '/')
        --length;
    KeepLevelsOf(folder, length);
    // The deepest level with an entry that reaches the folder decides: the
    // few nearest levels are judged with every entry, the rest by what the
    // levels above them keep.
    const int levels = int(m_levelEnds.size());
    for (int depth = 0; depth < levels && depth <= m_nLimitedReach; ++depth) {
        const std::size_t level = std::size_t(levels - 1 - depth);
        const int verdict = LevelVerdict(folder, m_levelNames[level], m_levelEnds[level], depth);
        if (verdict >= 0)
            return verdict == 1;
    }
    const int far = levels - 1 - std::max(m_nLimitedReach + 1, 0);
    return far >= 0 && m_levelFarVerdicts[std::size_t(far)] == 1;
}
