#include "cli/CJsonListWriter.h"

#include "core/PathEscape.h"
#include "platform/IsoTime.h"

#include <QString>

namespace {

void AppendNumber(const char *key, std::int64_t value, QByteArray &out)
{
    out += key;
    out += QByteArray::number(qint64(value));
}

void AppendTime(const char *key, std::int64_t seconds, QByteArray &out)
{
    out += key;
    out += '"';
    AppendIsoUtcTime(seconds, out);
    out += '"';
}

} // namespace

void CJsonListWriter::AppendStart(const QByteArray &drive, QByteArray &out)
{
    out += "{\"drive\": ";
    AppendJsonString(drive.constData(), drive.size(), out);
    out += ", \"files\": [";
}

void CJsonListWriter::AppendFile(const CCsvListWriter::Row &row, bool first, QByteArray &out)
{
    out += first ? "\n{\"file\": " : ",\n{\"file\": ";
    AppendJsonString(row.name, row.nameSize, out);
    out += ", \"folder\": ";
    AppendJsonString(row.folder, row.folderSize, out);
    AppendNumber(", \"size\": ", row.size, out);
    AppendNumber(", \"allocated\": ", row.allocated, out);
    AppendNumber(", \"frees_min\": ", row.freesMin, out);
    AppendNumber(", \"frees_max\": ", row.freesMax, out);
    AppendTime(", \"created\": ", row.created, out);
    AppendTime(", \"modified\": ", row.modified, out);
    AppendTime(", \"accessed\": ", row.accessed, out);
    out += ", \"reason\": ";
    const QByteArray reason = row.reason ? row.reason->toUtf8() : QByteArray();
    AppendJsonString(reason.constData(), reason.size(), out);
    out += row.checked ? ", \"checked\": true}" : ", \"checked\": false}";
}

void CJsonListWriter::AppendEnd(const Figures &figures, QByteArray &out)
{
    out += "\n],\n\"summary\": {";
    AppendNumber("\"examined\": ", figures.examined, out);
    AppendNumber(", \"listed\": ", figures.listed, out);
    AppendNumber(", \"listed_bytes\": ", figures.listedBytes, out);
    AppendNumber(", \"unreadable_folders\": ", figures.unreadableFolders, out);
    AppendNumber(", \"protected\": ", figures.protectedFiles, out);
    out += "}}\n";
}
