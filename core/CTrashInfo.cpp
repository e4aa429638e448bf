#include "core/CTrashInfo.h"

#include <QList>

CTrashInfo CTrashInfo::Parse(const QByteArray &text, const QByteArray &topFolder)
{
    CTrashInfo info;
    bool inGroup = false;
    bool havePath = false;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (!inGroup)
            continue;
        // The first of a repeated key counts, as in every desktop entry.
        if (!havePath && line.startsWith("Path=")) {
            const QByteArray path = QByteArray::fromPercentEncoding(line.mid(5));
            if (path.isEmpty() || path.contains('\0'))
                continue;
            havePath = true;
            if (path.startsWith('/'))
                info.m_originalPath = path;
            else
                info.m_originalPath = (topFolder.endsWith('/') ? topFolder : topFolder + '/') + path;
        } else if (info.m_deletionDate.isEmpty() && line.startsWith("DeletionDate=")) {
            info.m_deletionDate = QString::fromUtf8(line.mid(13)).trimmed().replace(QLatin1Char('T'), QLatin1Char(' '));
        }
    }
    info.m_bValid = havePath;
    return info;
}

QByteArray CTrashInfo::GetOriginalName() const
{
    QByteArray path = m_originalPath;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    return name == "." || name == ".." ? QByteArray() : name;
}

QByteArray CTrashInfo::DirectorySizesWithout(const QByteArray &text, const QByteArray &name)
{
    QByteArray out;
    out.reserve(text.size());
    bool dropped = false;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf('\n', from);
        end = end < 0 ? text.size() : end + 1;
        const QByteArray line = text.mid(from, end - from);
        from = end;
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (!dropped && fields.size() == 3 && QByteArray::fromPercentEncoding(fields[2]) == name) {
            dropped = true;
            continue;
        }
        out += line;
    }
    return out;
}
