#pragma once

#include <QString>
#include <QStringList>

// The program's texts, each under its string id. `&` marks a mnemonic as in Qt.
// An unknown id gives an empty text.
QString LoadString(int id);
// The text `id` with its %s fields filled from `values` in order, in one
// pass, so that a filled-in value holding "%s" stays as it is.
QString FormatString(int id, const QStringList &values);
