#include "cli/CListFile.h"

#include "core/PathEscape.h"

#include <QSet>
#include <sys/stat.h>

namespace {

bool ParseInt64(const QByteArray &field, std::int64_t &value, bool allowNegative)
{
    if (field.isEmpty() || field.size() > 20)
        return false;
    qsizetype start = 0;
    if (allowNegative && field[0] == '-')
        start = 1;
    if (start == field.size())
        return false;
    for (qsizetype i = start; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9')
            return false;
    }
    bool ok = false;
    value = field.toLongLong(&ok);
    return ok;
}

bool ParseUInt64(const QByteArray &field, std::uint64_t &value)
{
    if (field.isEmpty() || field.size() > 20)
        return false;
    for (char c : field) {
        if (c < '0' || c > '9')
            return false;
    }
    bool ok = false;
    value = field.toULongLong(&ok);
    return ok;
}

const char *StateWord(CListFile::State state)
{
    switch (state) {
    case CListFile::State::Unchecked:
        return "unchecked";
    case CListFile::State::Locked:
        return "locked";
    case CListFile::State::Checked:
        break;
    }
    return nullptr;
}

bool ParseEntry(const QByteArray &line, ListEntry &entry, CListFile::State &state)
{
    QList<QByteArray> fields = line.split('\t');
    state = CListFile::State::Checked;
    // The state, when there is one, is the last field.
    if (fields.size() > 7) {
        for (CListFile::State word : {CListFile::State::Unchecked, CListFile::State::Locked}) {
            if (fields.last() == StateWord(word)) {
                state = word;
                fields.removeLast();
                break;
            }
        }
    }
    if (fields.size() != 7 && fields.size() != 8)
        return false;
    if (!UnescapePath(fields[0], entry.path))
        return false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    if (!ParseUInt64(fields[1], device) || !ParseUInt64(fields[2], inode))
        return false;
    FileIdentity &id = entry.identity;
    id.device = dev_t(device);
    id.inode = ino_t(inode);
    if (fields[3] == "file")
        id.type = S_IFREG;
    else if (fields[3] == "link")
        id.type = S_IFLNK;
    else
        return false;
    if (!ParseInt64(fields[4], id.size, false) || !ParseInt64(fields[5], id.modifiedNs, true))
        return false;
    if (fields[6] == "-") {
        id.hasBirth = false;
        id.birthNs = 0;
    } else {
        id.hasBirth = true;
        if (!ParseInt64(fields[6], id.birthNs, true))
            return false;
    }
    std::int64_t depth = -1;
    if (fields.size() == 8 && (!ParseInt64(fields[7], depth, false) || depth > 1000000))
        return false;
    entry.ruleDepth = int(depth);
    return true;
}

} // namespace

void CListFile::AppendHeader(QByteArray &out, const QByteArray &root)
{
    out += Magic();
    out += '\t';
    out += QByteArray::number(kFormatVersion);
    out += "\nroot\t";
    out += EscapePath(root);
    out += '\n';
}

void CListFile::AppendEntry(QByteArray &out, const char *path, qsizetype pathSize, const FileIdentity &identity,
                            int ruleDepth, State state)
{
    AppendEscapedPath(path, pathSize, out);
    out += '\t';
    out += QByteArray::number(quint64(identity.device));
    out += '\t';
    out += QByteArray::number(quint64(identity.inode));
    out += identity.type == S_IFLNK ? "\tlink\t" : "\tfile\t";
    out += QByteArray::number(qint64(identity.size));
    out += '\t';
    out += QByteArray::number(qint64(identity.modifiedNs));
    out += '\t';
    if (identity.hasBirth)
        out += QByteArray::number(qint64(identity.birthNs));
    else
        out += '-';
    if (ruleDepth >= 0) {
        out += '\t';
        out += QByteArray::number(ruleDepth);
    }
    if (const char *word = StateWord(state)) {
        out += '\t';
        out += word;
    }
    out += '\n';
}

void CListFile::AppendFooter(QByteArray &out)
{
    out += "end\n";
}

bool CListFile::LooksLikeList(const QByteArray &text)
{
    return text.startsWith(QByteArray(Magic()) + '\t');
}

bool CListFile::IsCleanAbsolute(const QByteArray &path)
{
    if (!path.startsWith('/') || path.contains('\0'))
        return false;
    if (path == "/")
        return true;
    if (path.endsWith('/'))
        return false;
    const QList<QByteArray> parts = path.mid(1).split('/');
    for (const QByteArray &part : parts) {
        if (part.isEmpty() || part == "." || part == "..")
            return false;
    }
    return true;
}

bool CListFile::LiesBelow(const QByteArray &root, const QByteArray &path)
{
    if (root == "/")
        return path.size() > 1 && path.startsWith('/');
    return path.size() > root.size() + 1 && path.startsWith(root) && path[root.size()] == '/';
}

CListFile::Parsed CListFile::Parse(const QByteArray &text)
{
    Parsed parsed;
    if (!LooksLikeList(text)) {
        parsed.error = Error::NotAList;
        return parsed;
    }
    QList<QByteArray> lines = text.split('\n');
    // A complete list ends with a line break, which leaves one empty piece.
    const bool endsWithBreak = lines.size() > 1 && lines.last().isEmpty();
    if (endsWithBreak)
        lines.removeLast();

    const QList<QByteArray> header = lines[0].split('\t');
    if (header.size() != 2 || header[1] != QByteArray::number(kFormatVersion)) {
        parsed.error = Error::Version;
        parsed.line = 1;
        parsed.detail = header.value(1);
        return parsed;
    }
    if (lines.size() < 2 || !lines[1].startsWith("root\t")) {
        parsed.error = lines.size() < 2 ? Error::Truncated : Error::BadLine;
        parsed.line = lines.size() < 2 ? 0 : 2;
        return parsed;
    }
    if (!UnescapePath(lines[1].mid(5), parsed.root) || !IsCleanAbsolute(parsed.root)) {
        parsed.error = Error::BadLine;
        parsed.line = 2;
        return parsed;
    }
    if (!endsWithBreak || lines.last() != "end") {
        parsed.error = Error::Truncated;
        return parsed;
    }
    QSet<QByteArray> seen;
    parsed.entries.reserve(std::size_t(lines.size() - 3));
    for (qsizetype i = 2; i + 1 < lines.size(); ++i) {
        ListEntry entry;
        State state = State::Checked;
        const int lineNo = int(i + 1);
        if (!ParseEntry(lines[i], entry, state) || !IsCleanAbsolute(entry.path)) {
            parsed.error = Error::BadLine;
            parsed.line = lineNo;
            return parsed;
        }
        if (!LiesBelow(parsed.root, entry.path)) {
            parsed.error = Error::OutsideRoot;
            parsed.line = lineNo;
            return parsed;
        }
        if (seen.contains(entry.path)) {
            parsed.error = Error::Duplicate;
            parsed.line = lineNo;
            return parsed;
        }
        seen.insert(entry.path);
        if (state == State::Checked)
            parsed.entries.push_back(std::move(entry));
        else
            ++parsed.notChecked;
    }
    return parsed;
}
