#include "platform/JournalRecord.h"

#include <QList>

namespace {

QByteArray Word(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QByteArray("-") : bytes.toHex();
}

bool FromWord(const QByteArray &word, QByteArray &bytes)
{
    if (word == "-") {
        bytes.clear();
        return true;
    }
    if (word.isEmpty() || word.size() % 2 != 0)
        return false;
    bytes = QByteArray::fromHex(word);
    return bytes.size() * 2 == word.size();
}

} // namespace

QByteArray JournalRecord::Encode() const
{
    QByteArray line;
    line += QByteArray::number(ticket) + ' ' + kind + ' ' + Word(folder) + ' ' + QByteArray::number(folderDevice) + ' '
            + QByteArray::number(folderInode) + ' ' + Word(name) + ' ' + Word(other) + ' '
            + QByteArray::number(fileDevice) + ' ' + QByteArray::number(fileInode) + ' '
            + QByteArray::number(ticketRef) + '\n';
    return line;
}

bool JournalRecord::Decode(const QByteArray &line, JournalRecord &record)
{
    const QList<QByteArray> words = line.split(' ');
    if (words.size() != 10 || words[1].size() != 1)
        return false;
    bool ok[7] = {};
    record.ticket = words[0].toInt(&ok[0]);
    record.kind = words[1][0];
    record.folderDevice = words[3].toULongLong(&ok[1]);
    record.folderInode = words[4].toULongLong(&ok[2]);
    record.fileDevice = words[7].toULongLong(&ok[3]);
    record.fileInode = words[8].toULongLong(&ok[4]);
    record.ticketRef = words[9].toInt(&ok[5]);
    ok[6] = FromWord(words[2], record.folder) && FromWord(words[5], record.name) && FromWord(words[6], record.other);
    for (bool b : ok)
        if (!b)
            return false;
    return true;
}
