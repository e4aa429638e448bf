#pragma once

#include <QList>
#include <QString>

// The program's texts, each under its string id. `&` marks a mnemonic as in Qt.
// An unknown id gives an empty text. The wizard's texts come translated by the
// installed translator (see CTranslationLoader) when it has them.
QString LoadString(int id);

// The ids of the texts that are translated (the wizard's); the command
// line's texts stay English.
QList<int> TranslatedStringIds();
