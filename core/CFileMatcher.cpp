#include "core/CFileMatcher.h"

#include "core/CFileScan.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// Thousands of bytes to bytes, clamped instead of wrapping around, so a huge
// bound stays huge and a negative one stays below every size.
std::int64_t KilobytesToBytes(long value)
{
    const std::int64_t v = value;
    if (v > kMax / 1000)
        return kMax;
    if (v < kMin / 1000)
        return kMin;
    return v * 1000;
}

std::int64_t AddClamped(std::int64_t a, std::int64_t b)
{
    if (b > 0 && a > kMax - b)
        return kMax;
    return a + b;
}

QByteArray NormalisedRoot(const QString &drive)
{
    QByteArray root = QFile::encodeName(drive);
    while (root.size() > 1 && root.endsWith('/'))
        root.chop(1);
    if (root.isEmpty())
        root = "/";
    return root;
}

} // namespace

const QStringList &CFileMatcher::ExpressFolders()
{
    // Linux keeps deleted files under "Trash" and per-user caches under
    // ".cache"; both are as discardable as the classic names before them.
    static const QStringList folders = {
        QStringLiteral("Recycled"), QStringLiteral("Temp"),    QStringLiteral("Tmp"),
        QStringLiteral("Debug"),    QStringLiteral("Cache"),   QStringLiteral("Temporary Internet Files"),
        QStringLiteral("Recent"),   QStringLiteral("History"), QStringLiteral("Trash"),
        QStringLiteral(".cache")};
    return folders;
}

const QStringList &CFileMatcher::ExpressExtensions()
{
    static const QStringList extensions = {QStringLiteral("tmp"), QStringLiteral("bak"),
                                           QStringLiteral("old"), QStringLiteral("log"),
                                           QStringLiteral("$$$")};
    return extensions;
}

bool CFileMatcher::TimeRule::Passes(std::int64_t t) const
{
    switch (mode) {
    case 0: // "Older than": anything up to the end of the From day
        return t <= fromDayEnd;
    case 1: // "Between"
        return from <= t && t <= to;
    case 2: // "Recent than"
        return t >= from;
    default:
        return false;
    }
}

CFileMatcher::CFileMatcher(const CFileScan &scan)
    : m_express(scan.m_bExpress != 0)
    , m_location(scan.m_bLocation != 0)
    , m_name(scan.m_bName != 0)
    , m_extension(scan.m_bExtension != 0)
    , m_size(scan.m_bSize != 0)
    , m_root(NormalisedRoot(scan.m_strDrive))
    , m_locations(scan.m_arrLocations)
    , m_names(scan.m_arrNames)
    , m_extensions(scan.m_arrExtensions)
    , m_expressFolders(ExpressFolders())
    , m_expressExtensions(ExpressExtensions())
    , m_sizeMode(scan.m_nSizeMode)
    , m_sizeLo(KilobytesToBytes(scan.m_nSizeFrom))
    , m_sizeHi(KilobytesToBytes(scan.m_nSizeTo))
{
    const auto rule = [](int on, int mode, CTime from, CTime to) {
        TimeRule r;
        r.on = on != 0;
        r.mode = mode;
        r.from = from.GetTime();
        r.fromDayEnd = AddClamped(r.from, 23 * 3600 + 59 * 60 + 59);
        r.to = to.GetTime();
        return r;
    };
    m_creation = rule(scan.m_bCreation, scan.m_nCreationMode, scan.m_timeCreationFrom,
                      scan.m_timeCreationTo);
    m_modified = rule(scan.m_bModified, scan.m_nModifiedMode, scan.m_timeModifiedFrom,
                      scan.m_timeModifiedTo);
    m_accessed = rule(scan.m_bAccessed, scan.m_nAccessedMode, scan.m_timeAccessedFrom,
                      scan.m_timeAccessedTo);

    m_anyCriterion = m_location || m_name || m_extension || m_size || m_creation.on
                     || m_modified.on || m_accessed.on;

    const QString rootText = QFile::decodeName(m_root);
    m_rootMatchesLocations = m_locations.MatchText(rootText);
    m_rootMatchesExpress = m_expressFolders.MatchText(rootText);
}

bool CFileMatcher::MatchList(const QString &text, const QStringList &patterns)
{
    return CPatternList(patterns).MatchText(text);
}

bool CFileMatcher::MatchFile(const WalkRecord &file) const
{
    if (m_express)
        return MatchExpress(file);
    if (!m_anyCriterion)
        return false;
    if (m_location
        && !MatchLocation(file, m_locations, m_rootMatchesLocations, m_locationMemo, m_locationChain))
        return false;
    if (m_name && !MatchName(file.name))
        return false;
    if (m_extension && !MatchExtension(file.name, m_extensions))
        return false;
    if (m_size && !MatchSize(file.size))
        return false;
    if (m_creation.on && !m_creation.Passes(file.creationTime))
        return false;
    if (m_modified.on && !m_modified.Passes(file.modifiedTime))
        return false;
    if (m_accessed.on && !m_accessed.Passes(file.accessedTime))
        return false;
    return true;
}

bool CFileMatcher::MatchExpress(const WalkRecord &file) const
{
    if (MatchLocation(file, m_expressFolders, m_rootMatchesExpress, m_expressMemo, m_expressChain))
        return true;
    return MatchExtension(file.name, m_expressExtensions);
}

bool CFileMatcher::MatchLocation(const WalkRecord &file, const CPatternList &list, bool rootMatches,
                                 FolderMemo &memo, VerdictChain &chain) const
{
    if (!file.chain || file.chainLength <= 0)
        return MatchLocation(file.folder, list, rootMatches, memo);
    if (list.MatchesEverything())
        return true;
    const int length = file.chainLength;
    // Serials never repeat, so a level that still matches has all of its
    // ancestors matching too.
    int kept = std::min(length, int(chain.serials.size()));
    while (kept > 0 && chain.serials[std::size_t(kept - 1)] != file.chain[kept - 1].serial)
        --kept;
    chain.serials.resize(std::size_t(kept));
    chain.verdicts.resize(std::size_t(kept));
    for (int level = kept; level < length; ++level) {
        const WalkFolder &folder = file.chain[level];
        bool verdict;
        if (level == 0) {
            // The walk's root: judged as a whole folder path, as any other
            // folder would be (its names count when it is not the drive root).
            verdict = MatchFolders(QByteArray::fromRawData(file.folder.constData(), folder.nameLength), list,
                                   rootMatches);
        } else {
            verdict = chain.verdicts.back() != 0;
            if (!verdict) {
                CPatternList::FoldBytes(file.folder.constData() + folder.nameBegin, folder.nameLength, m_scratch);
                verdict = list.Match(m_scratch);
            }
        }
        chain.serials.push_back(folder.serial);
        chain.verdicts.push_back(verdict ? 1 : 0);
    }
    return chain.verdicts.back() != 0;
}

bool CFileMatcher::MatchLocation(const QByteArray &folder, const CPatternList &list,
                                 bool rootMatches, FolderMemo &memo) const
{
    if (memo.valid && memo.folder.size() == size_t(folder.size())
        && std::memcmp(memo.folder.data(), folder.constData(), memo.folder.size()) == 0)
        return memo.result;
    memo.folder.assign(folder.constData(), size_t(folder.size()));
    memo.result = MatchFolders(folder, list, rootMatches);
    memo.valid = true;
    return memo.result;
}

bool CFileMatcher::MatchFolders(const QByteArray &folder, const CPatternList &list,
                                bool rootMatches) const
{
    if (list.MatchesEverything())
        return true;

    // The folder names below the drive root are tried from the deepest up;
    // the root itself comes last. A folder that somehow lies outside the
    // drive has all of its names tried.
    const char *begin = folder.constData();
    const char *end = begin + folder.size();
    if (m_root.size() > 1) {
        const qsizetype r = m_root.size();
        if (folder.size() >= r && std::memcmp(begin, m_root.constData(), size_t(r)) == 0
            && (folder.size() == r || begin[r] == '/'))
            begin += r;
    }

    const char *cursor = end;
    while (cursor > begin) {
        const char *stop = cursor;
        while (cursor > begin && cursor[-1] != '/')
            --cursor;
        if (stop > cursor) {
            CPatternList::FoldBytes(cursor, stop - cursor, m_scratch);
            if (list.Match(m_scratch))
                return true;
        }
        while (cursor > begin && cursor[-1] == '/')
            --cursor;
    }
    return rootMatches;
}

bool CFileMatcher::MatchExtension(const QByteArray &name, const CPatternList &list) const
{
    const qsizetype dot = name.indexOf('.');
    if (dot < 0)
        return false;
    if (list.MatchesEverything())
        return true;
    CPatternList::FoldBytes(name.constData() + dot + 1, name.size() - dot - 1, m_scratch);
    return list.Match(m_scratch);
}

bool CFileMatcher::MatchName(const QByteArray &name) const
{
    if (m_names.MatchesEverything())
        return true;
    // The title is the name without its last extension: a.tar.gz gives a.tar,
    // a name that only starts with a dot has an empty title.
    const qsizetype dot = name.lastIndexOf('.');
    const qsizetype length = dot < 0 ? name.size() : dot;
    CPatternList::FoldBytes(name.constData(), length, m_scratch);
    return m_names.Match(m_scratch);
}

bool CFileMatcher::MatchSize(std::int64_t size) const
{
    switch (m_sizeMode) {
    case 0: // "Less than"
        return size <= m_sizeLo;
    case 1: // "Between"
        return m_sizeLo <= size && size <= m_sizeHi;
    case 2: // "Larger than"
        return size >= m_sizeLo;
    default:
        return false;
    }
}
