#include "PseudoTranslator.h"

#include <QRegularExpression>

namespace {

QChar Accented(QChar letter)
{
    static const QString plain = QStringLiteral("aceinouyAEINOUCS");
    static const QString accented = QStringLiteral("áçéíñóüýÅÉÎÑÖÜÇŠ");
    const qsizetype at = plain.indexOf(letter);
    return at < 0 ? letter : accented.at(at);
}

// A token that is language, not data: letters and the marks around words.
bool IsWord(const QString &token)
{
    static const QRegularExpression kWord(QStringLiteral("^[A-Za-z&'(),.:;!?\"-]*[A-Za-z][A-Za-z&'(),.:;!?\"-]*$"));
    return kWord.match(token).hasMatch();
}

} // namespace

QString PseudoTranslator::Pseudo(const QString &english)
{
    QString result;
    // Spaces and line breaks stay where they are; words grow.
    static const QRegularExpression kTokens(QStringLiteral("(\\s+|[^\\s]+)"));
    auto tokens = kTokens.globalMatch(english);
    while (tokens.hasNext()) {
        const QString token = tokens.next().captured(1);
        if (!IsWord(token)) {
            result += token;
            continue;
        }
        QString word;
        int letters = 0;
        for (QChar c : token) {
            word += Accented(c);
            letters += c.isLetter() ? 1 : 0;
        }
        // The stretch goes before trailing punctuation: "Next" becomes
        // "Ñéxtéé", "files." becomes "fíléšéé.".
        qsizetype end = word.size();
        while (end > 0 && !word.at(end - 1).isLetter())
            --end;
        word.insert(end, QString((letters * 2 + 4) / 5, QChar(0x00E9)));
        result += word;
    }
    // Whatever the words did not make up (numbers, patterns) is added at
    // the end, so the whole is at least 40 % longer.
    const qsizetype wanted = (english.size() * 7 + 4) / 5;
    if (result.size() < wanted && english.trimmed().size() > 0 && IsWord(english.trimmed().split(QLatin1Char(' ')).first()))
        result += QString(wanted - result.size(), QChar(0x00B7));
    return result;
}

QString PseudoTranslator::translate(const char *context, const char *sourceText, const char *, int) const
{
    if (qstrcmp(context, "StringTable") != 0)
        return QString();
    return Pseudo(QString::fromUtf8(sourceText));
}
