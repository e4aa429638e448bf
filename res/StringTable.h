#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The program's texts, each under its string id. `&` marks a mnemonic as in Qt.
// An unknown id gives an empty text. The wizard's texts come translated by the
// installed translator (see CTranslationLoader) when it has them.
QString LoadString(int id);
// The text `id` with its %s fields filled from `values` in order, in one
// pass, so that a filled-in value holding "%s" stays as it is.
QString FormatString(int id, const QStringList &values);

// The ids of the texts that are translated (the wizard's); the command
// line's texts stay English.
QList<int> TranslatedStringIds();
