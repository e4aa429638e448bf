#include "core/PathEscape.h"

#include "core/Utf8Sequence.h"

#include <cstdint>

namespace {

const char kHex[] = "0123456789abcdef";

void AppendHex(std::uint8_t byte, QByteArray &out)
{
    const char escape[4] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0F]};
    out.append(escape, 4);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Copies the run of plain printable ASCII that starts at `i` (by far the
// most common case) in one piece, up to a backslash or `quote`; returns
// where the run ends.
qsizetype AppendPlainRun(const char *raw, qsizetype i, qsizetype size, char quote, QByteArray &out)
{
    qsizetype run = i;
    while (run < size && raw[run] >= 0x20 && raw[run] < 0x7F && raw[run] != '\\' && raw[run] != quote)
        ++run;
    out.append(raw + i, run - i);
    return run;
}

// The short escapes both forms share: backslash, tab, newline, return and
// `quote` (when it is not 0).
bool AppendShortEscape(std::uint8_t b, char quote, QByteArray &out)
{
    switch (b) {
    case '\\': out.append("\\\\", 2); return true;
    case '\t': out.append("\\t", 2); return true;
    case '\n': out.append("\\n", 2); return true;
    case '\r': out.append("\\r", 2); return true;
    default:
        if (quote != 0 && b == std::uint8_t(quote)) {
            const char escape[2] = {'\\', quote};
            out.append(escape, 2);
            return true;
        }
        return false;
    }
}

} // namespace

void AppendEscapedPath(const char *raw, qsizetype size, QByteArray &out)
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(raw);
    qsizetype i = 0;
    while (i < size) {
        const qsizetype run = AppendPlainRun(raw, i, size, 0, out);
        if (run > i) {
            i = run;
            continue;
        }
        const std::uint8_t b = bytes[i];
        if (AppendShortEscape(b, 0, out)) {
            ++i;
            continue;
        }
        if (b < 0x80) { // the other C0 controls and DEL
            AppendHex(b, out);
            ++i;
            continue;
        }
        std::uint32_t codePoint = 0;
        const int length = Utf8SequenceLength(bytes + i, size - i, codePoint);
        if (length == 0 || (codePoint >= 0x80 && codePoint <= 0x9F)) {
            // Not UTF-8, or a C1 control a terminal might obey: byte by byte.
            const int count = length == 0 ? 1 : length;
            for (int k = 0; k < count; ++k)
                AppendHex(bytes[i + k], out);
            i += count;
            continue;
        }
        out.append(raw + i, length);
        i += length;
    }
}

void AppendJsonString(const char *raw, qsizetype size, QByteArray &out)
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(raw);
    const auto appendUnicodeEscape = [&out](std::uint32_t value) {
        const char escape[6] = {'\\', 'u', kHex[(value >> 12) & 0x0F], kHex[(value >> 8) & 0x0F],
                                kHex[(value >> 4) & 0x0F], kHex[value & 0x0F]};
        out.append(escape, 6);
    };
    out += '"';
    qsizetype i = 0;
    while (i < size) {
        const qsizetype run = AppendPlainRun(raw, i, size, '"', out);
        if (run > i) {
            i = run;
            continue;
        }
        const std::uint8_t b = bytes[i];
        if (AppendShortEscape(b, '"', out)) {
            ++i;
            continue;
        }
        if (b < 0x80) {
            appendUnicodeEscape(b);
            ++i;
            continue;
        }
        std::uint32_t codePoint = 0;
        const int length = Utf8SequenceLength(bytes + i, size - i, codePoint);
        if (length == 0) {
            appendUnicodeEscape(0xDC00 | b);
            ++i;
        } else if (codePoint <= 0x9F) {
            appendUnicodeEscape(codePoint);
            i += length;
        } else {
            out.append(raw + i, length);
            i += length;
        }
    }
    out += '"';
}

QByteArray EscapePath(const QByteArray &raw)
{
    QByteArray out;
    out.reserve(raw.size() + 8);
    AppendEscapedPath(raw.constData(), raw.size(), out);
    return out;
}

bool UnescapePath(const QByteArray &text, QByteArray &raw)
{
    raw.clear();
    raw.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text[i];
        if (std::uint8_t(c) < 0x20 || c == 0x7F)
            return false;
        if (c != '\\') {
            raw.append(c);
            continue;
        }
        if (++i >= size)
            return false;
        switch (text[i]) {
        case '\\': raw.append('\\'); break;
        case 't': raw.append('\t'); break;
        case 'n': raw.append('\n'); break;
        case 'r': raw.append('\r'); break;
        case 'x': {
            if (i + 2 >= size)
                return false;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            raw.append(char((high << 4) | low));
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}
