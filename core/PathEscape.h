#pragma once

#include <QByteArray>
#include <cstdint>

// Writes raw path bytes as one line of text that can be read back exactly:
// a backslash becomes "\\", tab, newline and carriage return "\t", "\n" and
// "\r", and every other byte that is a control character (C0, DEL, and the
// UTF-8 form of a C1 control) or not part of valid UTF-8 becomes "\xHH".
// Everything else is kept as it is, so ordinary names stay readable.
QByteArray EscapePath(const QByteArray &raw);

// Appends the escaped form of `raw` to `out` (no allocation per call when
// `out` has room).
void AppendEscapedPath(const char *raw, qsizetype size, QByteArray &out);

// The reverse of EscapePath. False (and `raw` unspecified) when `text` holds
// a backslash that does not start one of the escapes above, or a control
// character that should have been escaped.
bool UnescapePath(const QByteArray &text, QByteArray &raw);

// Appends `raw` as a JSON string, quotes included. Valid UTF-8 is kept as
// it is (quote, backslash and control characters escaped, C1 controls as
// \u0080...); each byte that is not part of valid UTF-8 becomes the lone
// surrogate \udcHH (HH its value, 80 to ff), the form Python's
// "surrogateescape" reads back to the very byte (os.fsencode). No valid
// UTF-8 text holds a surrogate, so the form is never ambiguous.
void AppendJsonString(const char *raw, qsizetype size, QByteArray &out);
