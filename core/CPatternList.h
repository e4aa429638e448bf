#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

// A list of wildcard patterns compared without regard to case: '*' stands for
// any run of characters (none included), '?' for exactly one character, and
// the whole text must match. Patterns are folded once when the list is built,
// so that matching a million file names folds only the names.
class CPatternList
{
public:
    CPatternList() = default;
    explicit CPatternList(const QStringList &patterns);

    bool IsEmpty() const { return m_patterns.empty(); }
    // True when some pattern is made of stars only, so any text matches.
    bool MatchesEverything() const { return m_matchesEverything; }

    // `folded` must come from Fold or FoldBytes.
    bool Match(std::u32string_view folded) const;
    bool MatchText(QStringView text) const;
    // The first pattern, in list order, that matches; -1 when none does.
    int MatchIndex(std::u32string_view folded) const;

    // Case-folded, composed code points of a text.
    static void Fold(QStringView text, std::u32string &out);
    // The same for raw file-name bytes taken as UTF-8; invalid sequences
    // become replacement characters.
    static void FoldBytes(const char *data, qsizetype size, std::u32string &out);

    static bool MatchOne(std::u32string_view text, std::u32string_view pattern);

private:
    // A folded pattern with what lets most texts be turned away before the
    // full match: the walk compares every folder name against every pattern.
    struct Compiled
    {
        std::u32string text;
        size_t fixed = 0;        // characters other than '*'
        bool hasStar = false;
        bool literal = false;    // neither '*' nor '?'
        char32_t first = 0;      // 0 when the pattern starts with a wildcard
        char32_t last = 0;       // 0 when it ends with one
        bool Match(std::u32string_view folded) const;
    };

    std::vector<Compiled> m_patterns;
    bool m_matchesEverything = false;
};
