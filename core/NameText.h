#pragma once

#include <QByteArray>
#include <QString>

// File names are bytes; these turn them into text to show and back. A byte
// that is not part of valid UTF-8 shows as U+FFFD, one per byte, so every
// character shown stands for a known run of the name's bytes.

// The name as text, control characters included as they are (the raw name
// for a tooltip or an edit).
QString DisplayName(const QByteArray &raw);

// The name as one line for a list: control characters (C0, DEL, C1) shown as
// escapes ("\n", "\t", "\r", "\xHH"), so that a name holding a line break
// shows in full on one line and cannot pass for another name.
QString VisibleName(const QByteArray &raw);

// The bytes of `raw` after its text, DisplayName(raw), was edited into
// `edited`: what the edit left alone (the longest untouched start and end)
// keeps its bytes, invalid ones included, and only the part in between is
// the UTF-8 of what was typed. An untouched text gives `raw` itself. False
// when the changed part holds U+FFFD: that stands for bytes that cannot be
// typed, so the edit cannot be made as text.
bool EditRawName(const QByteArray &raw, const QString &edited, QByteArray &result);
