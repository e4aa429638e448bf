#include "core/CCsvListWriter.h"

#include "core/CResultStore.h"
#include "core/PathEscape.h"
#include "platform/IsoTime.h"

void CCsvListWriter::AppendHeader(QByteArray &out)
{
    out += "file,folder,size,allocated,created,modified,accessed,reason,checked,frees_min,frees_max\r\n";
}

void CCsvListWriter::AppendField(const char *data, qsizetype size, QByteArray &out)
{
    bool quote = false;
    for (qsizetype i = 0; i < size && !quote; ++i) {
        const char c = data[i];
        quote = c == ',' || c == '"' || c == '\r' || c == '\n';
    }
    if (!quote) {
        out.append(data, size);
        return;
    }
    out += '"';
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == '"')
            out += '"';
        out += data[i];
    }
    out += '"';
}

void CCsvListWriter::AppendRow(const Row &row, QByteArray &out)
{
    QByteArray scratch;
    AppendEscapedPath(row.name, row.nameSize, scratch);
    AppendField(scratch.constData(), scratch.size(), out);
    out += ',';
    scratch.clear();
    AppendEscapedPath(row.folder, row.folderSize, scratch);
    AppendField(scratch.constData(), scratch.size(), out);
    out += ',';
    out += QByteArray::number(qint64(row.size));
    out += ',';
    out += QByteArray::number(qint64(row.allocated));
    out += ',';
    AppendIsoUtcTime(row.created, out);
    out += ',';
    AppendIsoUtcTime(row.modified, out);
    out += ',';
    AppendIsoUtcTime(row.accessed, out);
    out += ',';
    if (row.reason) {
        const QByteArray reason = row.reason->toUtf8();
        AppendField(reason.constData(), reason.size(), out);
    }
    out += ',';
    out += row.checked ? '1' : '0';
    out += ',';
    out += QByteArray::number(qint64(row.freesMin));
    out += ',';
    out += QByteArray::number(qint64(row.freesMax));
    out += "\r\n";
}

CCsvListWriter::Row CCsvListWriter::StoreRow(const CResultStore &store, int index, QByteArray &name, QByteArray &folder)
{
    const CPathArray &paths = store.GetPaths();
    name = paths.GetName(index);
    folder = paths.GetFolder(index);
    Row row;
    row.name = name.constData();
    row.nameSize = name.size();
    row.folder = folder.constData();
    row.folderSize = folder.size();
    row.size = store.GetSize(index);
    row.allocated = store.GetAllocatedBytes(index);
    row.created = store.GetCreationTime(index);
    row.modified = store.GetModifiedTime(index);
    row.accessed = store.GetAccessedTime(index);
    row.reason = &store.GetReasonText(index);
    row.checked = store.IsChecked(index);
    row.freesMin = store.GetForecast().FreedBy({index}, &row.freesMax);
    return row;
}

void CCsvListWriter::AppendStoreRow(const CResultStore &store, int index, QByteArray &out)
{
    QByteArray name;
    QByteArray folder;
    AppendRow(StoreRow(store, index, name, folder), out);
}

QByteArray CCsvListWriter::Write(const CResultStore &store, const std::vector<int> &indices)
{
    QByteArray out;
    AppendHeader(out);
    for (int index : indices) {
        if (store.IsValidIndex(index))
            AppendStoreRow(store, index, out);
    }
    return out;
}
