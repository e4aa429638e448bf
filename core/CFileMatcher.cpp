#include "core/CFileMatcher.h"

#include "core/CFileScan.h"
#include "core/PathEscape.h"
#include "platform/CacheDirTag.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QDateTime>
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

// A folder as a reason shows it: bytes that are not text are escaped the way
// the command line writes paths, so the text says exactly which folder.
QString FolderText(const char *data, qsizetype size)
{
    QByteArray escaped;
    AppendEscapedPath(data, size, escaped);
    return QString::fromUtf8(escaped);
}

QString DayText(std::int64_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds).date().toString(Qt::ISODate);
}

} // namespace

const QStringList &CFileMatcher::ExpressFolders()
{
    // Linux keeps deleted files under "Trash" (".Trash-UID" and ".Trash/UID"
    // at the top of a drive) and per-user caches under ".cache"; they are as
    // discardable as the classic names before them.
    static const QStringList folders = {
        QStringLiteral("Recycled"), QStringLiteral("Temp"),    QStringLiteral("Tmp"),
        QStringLiteral("Debug"),    QStringLiteral("Cache"),   QStringLiteral("Temporary Internet Files"),
        QStringLiteral("Recent"),   QStringLiteral("History"), QStringLiteral("Trash"),
        QStringLiteral(".cache"),   QStringLiteral(".Trash*")};
    return folders;
}

const QStringList &CFileMatcher::ExpressTempFolders()
{
    static const QStringList folders = ExpressFolders().mid(1, 2); // "Temp", "Tmp"
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
    , m_locationTexts(scan.m_arrLocations)
    , m_nameTexts(scan.m_arrNames)
    , m_extensionTexts(scan.m_arrExtensions)
    , m_sizeFromKb(scan.m_nSizeFrom)
    , m_sizeToKb(scan.m_nSizeTo)
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
    return MatchNames(file) && MatchFacts(file);
}

bool CFileMatcher::MatchNames(const WalkRecord &file) const
{
    if (m_express)
        return MatchExpress(file);
    if (!m_anyCriterion)
        return false;
    if (m_location
        && !MatchLocation(file, m_locations, m_rootMatchesLocations, false, m_locationMemo, m_locationChain))
        return false;
    if (m_name && !MatchName(file.name))
        return false;
    return !m_extension || MatchExtension(file.name, m_extensions);
}

bool CFileMatcher::MatchFacts(const WalkRecord &file) const
{
    if (m_express)
        return true;
    if (m_size && !MatchSize(file.size))
        return false;
    if (m_creation.on && !m_creation.Passes(file.creationTime))
        return false;
    if (m_modified.on && !m_modified.Passes(file.modifiedTime))
        return false;
    return !m_accessed.on || m_accessed.Passes(file.accessedTime);
}

bool CFileMatcher::NamesPassEveryFile() const
{
    return !m_express && m_anyCriterion && !m_location && !m_name && !m_extension;
}

bool CFileMatcher::IsCacheTag(const WalkRecord &file)
{
    return file.chain && file.chainLength > 0 && file.chain[file.chainLength - 1].cacheTag
           && CacheDirTag::IsTagName(file.name.constData(), std::size_t(file.name.size()));
}

bool CFileMatcher::MatchExpress(const WalkRecord &file) const
{
    if (MatchLocation(file, m_expressFolders, m_rootMatchesExpress, true, m_expressMemo, m_expressChain))
        return !IsCacheTag(file);
    return MatchExtension(file.name, m_expressExtensions);
}

bool CFileMatcher::MatchLocation(const WalkRecord &file, const CPatternList &list, bool rootMatches, bool useTags,
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
            if (!verdict)
                verdict = FolderNameIn(file.folder.constData() + folder.nameBegin, std::size_t(folder.nameLength),
                                       list, m_scratch);
        }
        verdict = verdict || (useTags && folder.cacheTag);
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

const char *CFileMatcher::BelowRoot(const QByteArray &folder) const
{
    const char *begin = folder.constData();
    const qsizetype r = m_root.size();
    if (r > 1 && folder.size() >= r && std::memcmp(begin, m_root.constData(), size_t(r)) == 0
        && (folder.size() == r || begin[r] == '/'))
        begin += r;
    return begin;
}

bool CFileMatcher::MatchFolders(const QByteArray &folder, const CPatternList &list,
                                bool rootMatches) const
{
    if (list.MatchesEverything())
        return true;

    // The folder names below the drive root are tried from the deepest up;
    // the root itself comes last. A folder that somehow lies outside the
    // drive has all of its names tried.
    const char *begin = BelowRoot(folder);
    const char *end = folder.constData() + folder.size();

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
    return ExtensionIn(name.constData(), std::size_t(name.size()), list, m_scratch);
}

bool CFileMatcher::MatchName(const QByteArray &name) const
{
    return TitleMatches(name.constData(), std::size_t(name.size()), m_scratch);
}

bool CFileMatcher::FolderNameIn(const char *name, std::size_t length, const CPatternList &list,
                                std::u32string &scratch)
{
    if (list.MatchesEverything())
        return true;
    CPatternList::FoldBytes(name, qsizetype(length), scratch);
    return list.Match(scratch);
}

bool CFileMatcher::ExtensionIn(const char *name, std::size_t length, const CPatternList &list,
                               std::u32string &scratch)
{
    const void *dot = std::memchr(name, '.', length);
    if (!dot)
        return false;
    if (list.MatchesEverything())
        return true;
    const char *extension = static_cast<const char *>(dot) + 1;
    CPatternList::FoldBytes(extension, qsizetype(name + length - extension), scratch);
    return list.Match(scratch);
}

bool CFileMatcher::TitleMatches(const char *name, std::size_t length, std::u32string &scratch) const
{
    if (m_names.MatchesEverything())
        return true;
    // The title is the name without its last extension: a.tar.gz gives a.tar,
    // a name that only starts with a dot has an empty title.
    const QByteArray whole = QByteArray::fromRawData(name, qsizetype(length));
    const qsizetype dot = whole.lastIndexOf('.');
    CPatternList::FoldBytes(name, dot < 0 ? qsizetype(length) : dot, scratch);
    return m_names.Match(scratch);
}

bool CFileMatcher::NameMayMatch(bool inMatchingFolder, const char *name, std::size_t length,
                                std::u32string &scratch) const
{
    if (m_express)
        return inMatchingFolder || ExtensionIn(name, length, m_expressExtensions, scratch);
    if (!m_anyCriterion || (m_location && !inMatchingFolder))
        return false;
    if (m_name && !TitleMatches(name, length, scratch))
        return false;
    return !m_extension || ExtensionIn(name, length, m_extensions, scratch);
}

LookHint CFileMatcher::MakeLookHint() const
{
    // Each reader thread folds names into a scratch of its own.
    LookHint hint;
    const CPatternList *folders = m_express ? &m_expressFolders : m_location ? &m_locations : nullptr;
    if (folders) {
        hint.folderMatches = [folders](const char *name, std::size_t length) {
            thread_local std::u32string scratch;
            return FolderNameIn(name, length, *folders, scratch);
        };
        hint.rootMatches = m_express ? MatchFolders(m_root, m_expressFolders, m_rootMatchesExpress)
                                     : MatchFolders(m_root, m_locations, m_rootMatchesLocations);
    } else {
        hint.rootMatches = true; // no folder rule: every folder passes it
    }
    hint.cacheTagsMatch = m_express;
    hint.fileMayMatch = [this](bool inMatchingFolder, const char *name, std::size_t length) {
        thread_local std::u32string scratch;
        return NameMayMatch(inMatchingFolder, name, length, scratch);
    };
    return hint;
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

const MatchReason &CFileMatcher::GetReason(const WalkRecord &file) const
{
    static const MatchReason none;
    if (m_express) {
        if (MatchLocation(file, m_expressFolders, m_rootMatchesExpress, true, m_expressMemo, m_expressChain))
            return ExplainFolder(file, m_expressFolders, ExpressFolders(), m_rootMatchesExpress, true,
                                 m_expressReason);
        return ExplainExtension(file.name, m_expressExtensions, ExpressExtensions(), m_expressExtensionReasons);
    }
    if (m_location)
        return ExplainFolder(file, m_locations, m_locationTexts, m_rootMatchesLocations, false, m_locationReason);
    if (m_name) {
        const qsizetype dot = file.name.lastIndexOf('.');
        return ExplainPattern(file.name.constData(), dot < 0 ? file.name.size() : dot, m_names, m_nameTexts,
                              IDS_WHY_NAME, m_nameReasons);
    }
    if (m_extension)
        return ExplainExtension(file.name, m_extensions, m_extensionTexts, m_extensionReasons);
    if (m_size || m_creation.on || m_modified.on || m_accessed.on)
        return RuleReason();
    return none;
}

const MatchReason &CFileMatcher::ExplainFolder(const WalkRecord &file, const CPatternList &list,
                                               const QStringList &texts, bool rootMatches, bool useTags,
                                               ReasonMemo &memo) const
{
    const QByteArray &folder = file.folder;
    if (memo.valid && memo.folder.size() == size_t(folder.size())
        && std::memcmp(memo.folder.data(), folder.constData(), memo.folder.size()) == 0)
        return memo.reason;
    memo.folder.assign(folder.constData(), size_t(folder.size()));
    memo.valid = true;

    // The same names MatchFolders tries, but from the outermost down: every
    // file below a matching folder then shares that folder's reason.
    const char *start = folder.constData();
    const char *begin = BelowRoot(folder);
    const char *end = start + folder.size();
    int pattern = -1;
    qsizetype matchedEnd = -1; // where the matching folder's path ends in `folder`
    for (const char *cursor = begin; cursor < end && pattern < 0;) {
        while (cursor < end && *cursor == '/')
            ++cursor;
        const char *stop = cursor;
        while (stop < end && *stop != '/')
            ++stop;
        if (stop > cursor) {
            CPatternList::FoldBytes(cursor, stop - cursor, m_scratch);
            pattern = list.MatchIndex(m_scratch);
            matchedEnd = stop - start;
        }
        cursor = stop;
    }
    QString where;
    if (pattern >= 0) {
        where = FolderText(start, matchedEnd);
    } else if (rootMatches) {
        CPatternList::FoldBytes(m_root.constData(), m_root.size(), m_scratch);
        pattern = list.MatchIndex(m_scratch);
        where = FolderText(m_root.constData(), m_root.size());
        matchedEnd = begin - start;
    }
    if (pattern >= texts.size())
        pattern = -1;

    // A tagged cache folder outside the folder the names met explains instead.
    const qsizetype tagEnd = useTags ? OutermostTagEnd(file) : -1;
    int textId = IDS_WHY_FOLDER;
    QStringList values;
    if (tagEnd >= 0 && (pattern < 0 || tagEnd < matchedEnd)) {
        textId = IDS_WHY_TAGGED_CACHE;
        values = {FolderText(start, tagEnd)};
        matchedEnd = tagEnd;
    } else if (pattern >= 0) {
        values = {texts[pattern], where};
    } else {
        memo.reason = MatchReason();
        return memo.reason;
    }
    memo.reason.text = FormatString(textId, values);
    values.back().clear();
    memo.reason.group = FormatString(textId, values);
    while (memo.reason.group.endsWith(QLatin1Char(' ')) || memo.reason.group.endsWith(QLatin1Char(':')))
        memo.reason.group.chop(1);
    memo.reason.folderLevel = LevelEndingAt(file, matchedEnd);
    return memo.reason;
}

qsizetype CFileMatcher::OutermostTagEnd(const WalkRecord &file)
{
    for (int level = 0; file.chain && level < file.chainLength; ++level)
        if (file.chain[level].cacheTag)
            return file.chain[level].nameBegin + file.chain[level].nameLength;
    return -1;
}

int CFileMatcher::LevelEndingAt(const WalkRecord &file, qsizetype end)
{
    for (int level = 0; file.chain && level < file.chainLength; ++level)
        if (file.chain[level].nameBegin + file.chain[level].nameLength >= end)
            return level;
    return -1;
}

const MatchReason &CFileMatcher::ExplainPattern(const char *data, qsizetype size, const CPatternList &list,
                                                const QStringList &texts, int textId,
                                                std::vector<MatchReason> &cache) const
{
    static const MatchReason none;
    CPatternList::FoldBytes(data, size, m_scratch);
    const int pattern = list.MatchIndex(m_scratch);
    if (pattern < 0 || pattern >= texts.size())
        return none;
    if (cache.size() < size_t(texts.size()))
        cache.resize(size_t(texts.size()));
    MatchReason &reason = cache[size_t(pattern)];
    if (reason.text.isEmpty()) {
        reason.text = FormatString(textId, {texts[pattern]});
        reason.group = reason.text;
    }
    return reason;
}

const MatchReason &CFileMatcher::ExplainExtension(const QByteArray &name, const CPatternList &list,
                                                  const QStringList &texts, std::vector<MatchReason> &cache) const
{
    static const MatchReason none;
    const qsizetype dot = name.indexOf('.');
    if (dot < 0)
        return none;
    return ExplainPattern(name.constData() + dot + 1, name.size() - dot - 1, list, texts, IDS_WHY_EXTENSION,
                          cache);
}

const MatchReason &CFileMatcher::RuleReason() const
{
    if (m_ruleReasonValid)
        return m_ruleReason;
    m_ruleReasonValid = true;
    QString text;
    if (m_size) {
        // In the size page's own unit: thousands of bytes.
        const QString kb = LoadString(IDS_KB);
        const QString from = QString::number(m_sizeFromKb) + QLatin1Char(' ') + kb;
        const QString to = QString::number(m_sizeToKb) + QLatin1Char(' ') + kb;
        switch (m_sizeMode) {
        case 0:
            text = FormatString(IDS_WHY_SIZE_AT_MOST, {from});
            break;
        case 1:
            text = FormatString(IDS_WHY_SIZE_BETWEEN, {from, to});
            break;
        case 2:
            text = FormatString(IDS_WHY_SIZE_AT_LEAST, {from});
            break;
        default:
            break;
        }
    } else {
        const TimeRule *rule = nullptr;
        int word = 0;
        if (m_creation.on) {
            rule = &m_creation;
            word = IDS_COLUMN_CREATED;
        } else if (m_modified.on) {
            rule = &m_modified;
            word = IDS_COLUMN_MODIFIED;
        } else if (m_accessed.on) {
            rule = &m_accessed;
            word = IDS_COLUMN_ACCESSED;
        }
        if (rule) {
            const QString what = LoadString(word);
            switch (rule->mode) {
            case 0:
                text = FormatString(IDS_WHY_TIME_BEFORE, {what, DayText(rule->from)});
                break;
            case 1:
                text = FormatString(IDS_WHY_TIME_BETWEEN, {what, DayText(rule->from), DayText(rule->to)});
                break;
            case 2:
                text = FormatString(IDS_WHY_TIME_AFTER, {what, DayText(rule->from)});
                break;
            default:
                break;
            }
        }
    }
    m_ruleReason.text = text;
    m_ruleReason.group = text;
    return m_ruleReason;
}
