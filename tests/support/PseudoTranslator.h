#pragma once

#include <QTranslator>

// A made-up language for tests: every text of the string table comes back
// 40 % longer (each word stretched, as long compound words would be) and
// with accented letters, while placeholders (%s, %d, ...), mnemonic marks,
// line breaks, addresses and file patterns stay as they are. A layout that
// shows these texts whole shows a real translation whole.
class PseudoTranslator : public QTranslator
{
public:
    using QTranslator::QTranslator;

    static QString Pseudo(const QString &english);

    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};
