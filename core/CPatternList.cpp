#include "core/CPatternList.h"

#include "core/Utf8Sequence.h"

CPatternList::CPatternList(const QStringList &patterns)
{
    m_patterns.reserve(patterns.size());
    for (const QString &pattern : patterns) {
        Compiled compiled;
        Fold(pattern, compiled.text);
        const std::u32string &text = compiled.text;
        for (char32_t c : text) {
            if (c == U'*')
                compiled.hasStar = true;
            else
                ++compiled.fixed;
        }
        compiled.literal = !compiled.hasStar && text.find(U'?') == std::u32string::npos;
        if (!text.empty()) {
            compiled.first = (text.front() == U'*' || text.front() == U'?') ? 0 : text.front();
            compiled.last = (text.back() == U'*' || text.back() == U'?') ? 0 : text.back();
        }
        if (compiled.hasStar && compiled.fixed == 0)
            m_matchesEverything = true;
        m_patterns.push_back(std::move(compiled));
    }
}

bool CPatternList::Compiled::Match(std::u32string_view folded) const
{
    if (hasStar ? folded.size() < fixed : folded.size() != fixed)
        return false;
    if (folded.empty())
        return text.find_first_not_of(U'*') == std::u32string::npos;
    if ((first && folded.front() != first) || (last && folded.back() != last))
        return false;
    if (literal)
        return folded == std::u32string_view(text);
    return MatchOne(folded, text);
}

bool CPatternList::Match(std::u32string_view folded) const
{
    if (m_matchesEverything)
        return true;
    for (const Compiled &pattern : m_patterns) {
        if (pattern.Match(folded))
            return true;
    }
    return false;
}

int CPatternList::MatchIndex(std::u32string_view folded) const
{
    for (std::size_t i = 0; i < m_patterns.size(); ++i) {
        if (m_patterns[i].Match(folded))
            return int(i);
    }
    return -1;
}

bool CPatternList::MatchText(QStringView text) const
{
    if (m_matchesEverything)
        return true;
    if (m_patterns.empty())
        return false;
    std::u32string folded;
    Fold(text, folded);
    return Match(folded);
}

namespace {

// Decodes UTF-8 into code points; a byte that does not start a well-formed
// sequence becomes one replacement character, so any name can be matched.
void DecodeUtf8(const unsigned char *p, const unsigned char *end, std::u32string &out)
{
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            out.push_back(b);
            ++p;
            continue;
        }
        std::uint32_t point = 0;
        if (const int length = Utf8SequenceLength(p, end - p, point)) {
            out.push_back(char32_t(point));
            p += length;
        } else {
            out.push_back(U'\uFFFD');
            ++p;
        }
    }
}

// Composes and folds code points in place. Below U+0300 nothing composes, so
// the common Latin names skip normalisation; anything else goes through it so
// that a letter with a combining accent equals the precomposed letter.
void Finish(std::u32string &points)
{
    bool simple = true;
    for (char32_t c : points) {
        if (c >= 0x300) {
            simple = false;
            break;
        }
    }
    if (!simple) {
        const QString composed = QString::fromUcs4(points.data(), qsizetype(points.size()))
                                     .normalized(QString::NormalizationForm_C);
        points.clear();
        const QList<uint> ucs4 = composed.toUcs4();
        for (uint c : ucs4)
            points.push_back(char32_t(c));
    }
    for (char32_t &c : points) {
        if (c < 0x80)
            c = (c >= 'A' && c <= 'Z') ? c + 32 : c;
        else
            c = QChar::toCaseFolded(c);
    }
}

} // namespace

void CPatternList::Fold(QStringView text, std::u32string &out)
{
    out.clear();
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else if (c.isSurrogate()) {
            out.push_back(U'\uFFFD');
        } else {
            out.push_back(c.unicode());
        }
    }
    Finish(out);
}

void CPatternList::FoldBytes(const char *data, qsizetype size, std::u32string &out)
{
    out.clear();
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    qsizetype i = 0;
    while (i < size && bytes[i] < 0x80)
        ++i;
    if (i == size) {
        // Nearly every name is plain ASCII: fold it in one pass.
        out.resize(size_t(size));
        for (qsizetype k = 0; k < size; ++k) {
            const unsigned char b = bytes[k];
            out[size_t(k)] = (b >= 'A' && b <= 'Z') ? char32_t(b + 32) : char32_t(b);
        }
        return;
    }
    out.reserve(size_t(size));
    DecodeUtf8(bytes, bytes + size, out);
    Finish(out);
}

bool CPatternList::MatchOne(std::u32string_view text, std::u32string_view pattern)
{
    // Greedy scan that remembers only the latest star: when a later literal
    // fails, that star takes one more character and the rest is retried.
    // Earlier stars never need to be revisited, so this is sound and at worst
    // proportional to text length times pattern length.
    size_t i = 0;
    size_t j = 0;
    size_t star = std::u32string_view::npos;
    size_t resume = 0;
    const size_t n = text.size();
    const size_t m = pattern.size();
    while (i < n) {
        if (j < m && pattern[j] == U'*') {
            star = j++;
            resume = i;
        } else if (j < m && (pattern[j] == U'?' || pattern[j] == text[i])) {
            ++i;
            ++j;
        } else if (star != std::u32string_view::npos) {
            j = star + 1;
            i = ++resume;
        } else {
            return false;
        }
    }
    while (j < m && pattern[j] == U'*')
        ++j;
    return j == m;
}
