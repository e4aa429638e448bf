#include "core/NameText.h"

#include "core/Utf8Sequence.h"

#include <cstdint>
#include <vector>

namespace {

// What one run of bytes shows as.
struct Piece
{
    qsizetype bytes;
    qsizetype chars;
};

void AppendHexEscape(std::uint8_t byte, QString &text)
{
    static const char kHex[] = "0123456789abcdef";
    text += QLatin1String("\\x");
    text += QLatin1Char(kHex[byte >> 4]);
    text += QLatin1Char(kHex[byte & 0x0F]);
}

void Decode(const QByteArray &raw, bool escapeControls, QString &text, std::vector<Piece> *pieces)
{
    text.clear();
    text.reserve(raw.size());
    const auto *bytes = reinterpret_cast<const unsigned char *>(raw.constData());
    const qsizetype size = raw.size();
    qsizetype i = 0;
    while (i < size) {
        const qsizetype charsBefore = text.size();
        const std::uint8_t b = bytes[i];
        qsizetype length = 1;
        if (b < 0x80) {
            if (!escapeControls || (b >= 0x20 && b != 0x7F))
                text += QLatin1Char(char(b));
            else if (b == '\n')
                text += QLatin1String("\\n");
            else if (b == '\t')
                text += QLatin1String("\\t");
            else if (b == '\r')
                text += QLatin1String("\\r");
            else
                AppendHexEscape(b, text);
        } else {
            std::uint32_t codePoint = 0;
            const int sequence = Utf8SequenceLength(bytes + i, size - i, codePoint);
            if (sequence == 0) {
                text += QChar(QChar::ReplacementCharacter);
            } else {
                length = sequence;
                if (escapeControls && codePoint <= 0x9F) {
                    for (int k = 0; k < sequence; ++k)
                        AppendHexEscape(bytes[i + k], text);
                } else {
                    const char32_t character = codePoint;
                    text += QString::fromUcs4(&character, 1);
                }
            }
        }
        if (pieces)
            pieces->push_back(Piece{length, text.size() - charsBefore});
        i += length;
    }
}

} // namespace

QString DisplayName(const QByteArray &raw)
{
    QString text;
    Decode(raw, false, text, nullptr);
    return text;
}

QString VisibleName(const QByteArray &raw)
{
    QString text;
    Decode(raw, true, text, nullptr);
    return text;
}

bool EditRawName(const QByteArray &raw, const QString &edited, QByteArray &result)
{
    QString shown;
    std::vector<Piece> pieces;
    Decode(raw, false, shown, &pieces);
    if (edited == shown) {
        result = raw;
        return true;
    }
    // The untouched start, whole pieces only...
    std::size_t first = 0;
    qsizetype startChars = 0, startBytes = 0;
    while (first < pieces.size()) {
        const qsizetype n = pieces[first].chars;
        if (startChars + n > edited.size()
            || QStringView(shown).mid(startChars, n) != QStringView(edited).mid(startChars, n))
            break;
        startChars += n;
        startBytes += pieces[first].bytes;
        ++first;
    }
    // ...and the untouched end, not reaching into the start.
    std::size_t last = pieces.size();
    qsizetype endChars = 0, endBytes = 0;
    while (last > first) {
        const qsizetype n = pieces[last - 1].chars;
        if (startChars + endChars + n > edited.size()
            || QStringView(shown).mid(shown.size() - endChars - n, n)
                   != QStringView(edited).mid(edited.size() - endChars - n, n))
            break;
        endChars += n;
        endBytes += pieces[last - 1].bytes;
        --last;
    }
    const QString typed = edited.mid(startChars, edited.size() - startChars - endChars);
    if (typed.contains(QChar(QChar::ReplacementCharacter)))
        return false;
    result = raw.left(startBytes) + typed.toUtf8() + raw.right(endBytes);
    return true;
}
