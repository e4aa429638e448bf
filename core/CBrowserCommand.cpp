#include "core/CBrowserCommand.h"

namespace {

// Codes that stand for the document to open; the address goes there.
bool IsTargetCode(QChar c)
{
    return c == u'u' || c == u'U' || c == u'f' || c == u'F';
}

// Every code a desktop entry may hold, the deprecated ones included; all of
// them expand to nothing here.
bool IsFieldCode(QChar c)
{
    return IsTargetCode(c) || QStringView(u"ickdDnNvm").contains(c);
}

// The general string escapes of desktop entry values. Other backslash pairs
// are left for the quoting rules of the Exec value.
QString UnescapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(i + 1);
        switch (next.unicode()) {
        case 's': out += u' '; break;
        case 'n': out += u'\n'; break;
        case 't': out += u'\t'; break;
        case 'r': out += u'\r'; break;
        case '\\': out += u'\\'; break;
        default:
            out += c;
            out += next;
            break;
        }
        ++i;
    }
    return out;
}

} // namespace

QString CBrowserCommand::ExecFromDesktopEntry(const QByteArray &contents)
{
    bool inMainGroup = false;
    for (QByteArray line : contents.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        if (trimmed.startsWith('[')) {
            inMainGroup = trimmed == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || line.left(equals).trimmed() != "Exec")
            continue;
        // Leading blanks after '=' are not part of the value.
        QByteArray value = line.mid(equals + 1);
        while (!value.isEmpty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove(0, 1);
        return UnescapeValue(QString::fromUtf8(value));
    }
    return QString();
}

QString CBrowserCommand::CutAtFieldCode(const QString &execLine)
{
    for (qsizetype i = 0; i + 1 < execLine.size(); ++i) {
        if (execLine.at(i) != u'%')
            continue;
        const QChar code = execLine.at(i + 1);
        if (code == u'%') {
            ++i; // a literal percent sign, not the start of a code
            continue;
        }
        if (!IsTargetCode(code))
            continue;
        const bool bQuoted = i > 0 && execLine.at(i - 1) == u'"' && i + 2 < execLine.size()
                             && execLine.at(i + 2) == u'"';
        return execLine.left(bQuoted ? i - 1 : i);
    }
    return execLine;
}

bool CBrowserCommand::SplitArguments(const QString &commandLine, QStringList *argv)
{
    argv->clear();
    QString current;
    bool bInArgument = false;
    bool bInQuotes = false;
    bool bDroppedCode = false;

    const auto finish = [&] {
        // An argument that held nothing but a field code disappears with it.
        if (bInArgument && !(current.isEmpty() && bDroppedCode))
            argv->append(current);
        current.clear();
        bInArgument = bInQuotes = bDroppedCode = false;
    };

    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine.at(i);
        const bool bHasNext = i + 1 < commandLine.size();
        if (c == u'%' && bHasNext) {
            const QChar code = commandLine.at(i + 1);
            if (code == u'%') {
                current += u'%';
                bInArgument = true;
                ++i;
                continue;
            }
            if (IsFieldCode(code)) {
                bInArgument = true;
                bDroppedCode = true;
                ++i;
                continue;
            }
        }
        if (bInQuotes) {
            if (c == u'"') {
                bInQuotes = false;
            } else if (c == u'\\') {
                if (!bHasNext || !QStringView(u"\"`$\\").contains(commandLine.at(i + 1)))
                    return false;
                current += commandLine.at(++i);
            } else {
                current += c;
            }
            continue;
        }
        if (c == u' ' || c == u'\t') {
            finish();
        } else if (c == u'"') {
            bInQuotes = true;
            bInArgument = true;
        } else {
            current += c;
            bInArgument = true;
        }
    }
    if (bInQuotes)
        return false;
    finish();
    return true;
}

CBrowserCommand::Result CBrowserCommand::Build(const QString &execLine, const QString &address)
{
    Result result;
    const QString command = CutAtFieldCode(execLine);
    if (command.trimmed().isEmpty())
        return result;

    // The line as it would be handed over whole: the cut command, a space,
    // the address, and a terminating zero.
    QString line = command;
    while (line.endsWith(u' '))
        line.chop(1);
    line += u' ';
    line += address;
    if (line.toUtf8().size() + 1 > kMaxCommandLine) {
        result.status = TooLong;
        return result;
    }

    QStringList argv;
    if (!SplitArguments(command, &argv)) {
        result.status = Malformed;
        return result;
    }
    if (argv.isEmpty())
        return result;
    argv.append(address);
    result.status = Ok;
    result.argv = argv;
    return result;
}

QStringList CBrowserCommand::DesktopFileCandidates(const QString &desktopId, const QStringList &dataDirs)
{
    QStringList candidates;
    // An id is a file name; anything that could climb out of the data
    // folders is not one.
    if (!desktopId.endsWith(QLatin1String(".desktop")) || desktopId.contains(u'/')
        || desktopId.startsWith(u'.'))
        return candidates;

    // "a-b-c.desktop" may be installed as a/b-c.desktop or a/b/c.desktop.
    QStringList relative{desktopId};
    QString nested = desktopId;
    for (qsizetype dash = nested.indexOf(u'-'); dash > 0; dash = nested.indexOf(u'-', dash + 1)) {
        nested[dash] = u'/';
        relative.append(nested);
    }
    for (const QString &dir : dataDirs) {
        if (dir.isEmpty())
            continue;
        for (const QString &path : relative)
            candidates.append(dir + QLatin1String("/applications/") + path);
    }
    return candidates;
}
