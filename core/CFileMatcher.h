#pragma once

#include "core/CPatternList.h"
#include "core/MatchReason.h"
#include "platform/LookHint.h"
#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class CFileScan;

// Decides whether one file met by the walk is listed. Everything the criteria
// record says is prepared once here (folded patterns, byte bounds, time
// bounds), because the walk asks about every file of a drive.
//
// Not thread-safe: it keeps the verdict for the last folder seen, since the
// walk hands over the files of one folder one after another.
class CFileMatcher
{
public:
    explicit CFileMatcher(const CFileScan &scan);

    // The user's criteria, or the fixed Express rules when Express is chosen:
    // MatchNames and MatchFacts both.
    bool MatchFile(const WalkRecord &file) const;
    // The rules that need only the file's name and folders, which a walk
    // knows before it asks the kernel about the file.
    bool MatchNames(const WalkRecord &file) const;
    // The rules on the file's size and times: only for a file that passed
    // MatchNames, with its facts looked at.
    bool MatchFacts(const WalkRecord &file) const;
    // Whether MatchNames passes every file (Custom with only size or time
    // rules), so that every file's facts are needed.
    bool NamesPassEveryFile() const;
    // What the walk's readers may look at ahead of MatchNames, as the same
    // rules say it; safe to ask from several threads at once.
    LookHint MakeLookHint() const;
    // Fixed rules: a well-known discardable folder anywhere on the path below
    // the drive root, or a well-known discardable extension.
    bool MatchExpress(const WalkRecord &file) const;
    // Whether `text` matches any of `patterns`, ignoring case.
    static bool MatchList(const QString &text, const QStringList &patterns);

    // Why a file that MatchFile accepted is listed: the first rule that
    // applies (a folder rule names the outermost folder that met it; for
    // Express, a folder holding a valid CACHEDIR.TAG meets it too). Only
    // matches are asked about, so the decision itself does no bookkeeping;
    // files of one folder share one worded reason.
    const MatchReason &GetReason(const WalkRecord &file) const;

    static const QStringList &ExpressFolders();
    // The folder rules of ExpressFolders that name temporary folders.
    static const QStringList &ExpressTempFolders();
    static const QStringList &ExpressExtensions();

private:
    struct TimeRule
    {
        bool on = false;
        int mode = 0;
        std::int64_t from = 0;
        std::int64_t fromDayEnd = 0;
        std::int64_t to = 0;
        bool Passes(std::int64_t t) const;
    };

    // The walk's verdict on one folder, reused for the files that follow.
    struct FolderMemo
    {
        // A private copy of the bytes: sharing the record's array would write
        // to its reference count, a cache miss per file when folders vary.
        std::string folder;
        bool valid = false;
        bool result = false;
    };

    // The verdict of every folder on the walk's current chain: a folder
    // matches when its parent does or its own name does, so each folder's
    // name is matched once, however deep it lies.
    struct VerdictChain
    {
        std::vector<std::uint64_t> serials;
        std::vector<char> verdicts;
    };

    // The worded reason of the last folder explained, for the files after it.
    struct ReasonMemo
    {
        std::string folder;
        bool valid = false;
        MatchReason reason;
    };

    const MatchReason &ExplainFolder(const WalkRecord &file, const CPatternList &list, const QStringList &texts,
                                     bool rootMatches, bool useTags, ReasonMemo &memo) const;
    const MatchReason &ExplainPattern(const char *data, qsizetype size, const CPatternList &list,
                                      const QStringList &texts, int textId, std::vector<MatchReason> &cache) const;
    const MatchReason &ExplainExtension(const QByteArray &name, const CPatternList &list, const QStringList &texts,
                                        std::vector<MatchReason> &cache) const;
    const MatchReason &RuleReason() const;
    // Where the path of the outermost folder on the file's chain that holds
    // a valid CACHEDIR.TAG ends in its folder path; -1 for none.
    static qsizetype OutermostTagEnd(const WalkRecord &file);
    // The level of the file's chain whose folder path ends at `end`; -1
    // without a chain.
    static int LevelEndingAt(const WalkRecord &file, qsizetype end);

    // `useTags`: a folder holding a valid CACHEDIR.TAG matches as well.
    bool MatchLocation(const WalkRecord &file, const CPatternList &list, bool rootMatches, bool useTags,
                       FolderMemo &memo, VerdictChain &chain) const;
    bool MatchLocation(const QByteArray &folder, const CPatternList &list, bool rootMatches,
                       FolderMemo &memo) const;
    // Where `folder` goes on below the drive root; its start when it lies
    // outside the drive (or the drive is "/", whose names are all tried).
    const char *BelowRoot(const QByteArray &folder) const;
    bool MatchFolders(const QByteArray &folder, const CPatternList &list, bool rootMatches) const;
    bool MatchExtension(const QByteArray &name, const CPatternList &list) const;
    // The tests of one name, into the caller's scratch for the folded text.
    static bool FolderNameIn(const char *name, std::size_t length, const CPatternList &list, std::u32string &scratch);
    static bool ExtensionIn(const char *name, std::size_t length, const CPatternList &list, std::u32string &scratch);
    bool TitleMatches(const char *name, std::size_t length, std::u32string &scratch) const;
    // MatchNames for a file of a folder whose verdict is known.
    bool NameMayMatch(bool inMatchingFolder, const char *name, std::size_t length, std::u32string &scratch) const;
    // The tag that makes its folder a cache: left alone, since not every
    // tool writes it again.
    static bool IsCacheTag(const WalkRecord &file);
    bool MatchName(const QByteArray &name) const;
    bool MatchSize(std::int64_t size) const;

    bool m_express;
    bool m_location;
    bool m_name;
    bool m_extension;
    bool m_size;
    bool m_anyCriterion;

    QByteArray m_root;          // drive root without a trailing slash ("/" stays)
    bool m_rootMatchesLocations;
    bool m_rootMatchesExpress;

    CPatternList m_locations;
    CPatternList m_names;
    CPatternList m_extensions;
    CPatternList m_expressFolders;
    CPatternList m_expressExtensions;

    int m_sizeMode;
    std::int64_t m_sizeLo;
    std::int64_t m_sizeHi;

    // The criteria as the user gave them, for the worded reasons.
    QStringList m_locationTexts;
    QStringList m_nameTexts;
    QStringList m_extensionTexts;
    long m_sizeFromKb;
    long m_sizeToKb;

    TimeRule m_creation;
    TimeRule m_modified;
    TimeRule m_accessed;

    mutable FolderMemo m_locationMemo;
    mutable FolderMemo m_expressMemo;
    mutable VerdictChain m_locationChain;
    mutable VerdictChain m_expressChain;
    mutable std::u32string m_scratch;

    mutable ReasonMemo m_locationReason;
    mutable ReasonMemo m_expressReason;
    mutable std::vector<MatchReason> m_nameReasons;       // by pattern
    mutable std::vector<MatchReason> m_extensionReasons;  // by pattern, Custom
    mutable std::vector<MatchReason> m_expressExtensionReasons;
    mutable MatchReason m_ruleReason;                     // size or time rule
    mutable bool m_ruleReasonValid = false;
};
