#include "cli/CliText.h"

#include "core/PathEscape.h"
#include "res/StringTable.h"

#include <cstdio>

QString CliText(int id, const QStringList &args)
{
    const QString format = LoadString(id);
    QString text;
    text.reserve(format.size() + 64);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && (format[i + 1] == u's' || format[i + 1] == u'd')) {
            text += args.value(next++);
            ++i;
            continue;
        }
        text += format[i];
    }
    return text;
}

QByteArray EscapeForMessage(const QByteArray &path)
{
    return EscapePath(path);
}

void PrintError(const QString &message)
{
    const QByteArray line = "brimvale-cli: " + message.toUtf8() + '\n';
    std::fflush(stdout);
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    std::fflush(stderr);
}
