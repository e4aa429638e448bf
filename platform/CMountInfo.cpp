#include "platform/CMountInfo.h"

#include <QFile>

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

bool ParseDevice(const QByteArray &field, unsigned &major, unsigned &minor)
{
    const qsizetype colon = field.indexOf(':');
    if (colon <= 0)
        return false;
    bool okMajor = false;
    bool okMinor = false;
    major = field.left(colon).toUInt(&okMajor);
    minor = field.mid(colon + 1).toUInt(&okMinor);
    return okMajor && okMinor;
}

} // namespace

QByteArray CMountInfo::DecodeField(const QByteArray &field)
{
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2])
            && IsOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xff) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QList<MountEntry> CMountInfo::Parse(const QByteArray &text)
{
    // id parent major:minor root mount-point options [optional...] - type source super-options
    QList<MountEntry> entries;
    for (const QByteArray &line : text.split('\n')) {
        // Fields are separated by exactly one space. The kernel escapes only
        // space, tab, newline and backslash in paths, so a mount point may
        // hold a carriage return, a vertical tab or a form feed as they are:
        // splitting on all white space would misread it.
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 10)
            continue;
        const qsizetype separator = fields.indexOf("-", 6);
        if (separator < 0 || separator + 2 >= fields.size())
            continue;
        MountEntry entry;
        bool okId = false;
        bool okParent = false;
        entry.mountId = fields[0].toInt(&okId);
        entry.parentId = fields[1].toInt(&okParent);
        if (!okId || !okParent || !ParseDevice(fields[2], entry.major, entry.minor))
            continue;
        entry.root = DecodeField(fields[3]);
        entry.mountPoint = DecodeField(fields[4]);
        entry.fsType = DecodeField(fields[separator + 1]);
        entry.source = DecodeField(fields[separator + 2]);
        entries.append(entry);
    }
    return entries;
}

QByteArray CMountInfo::ReadSystem()
{
    // A proc file reports size 0, so read until the end rather than by size.
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
