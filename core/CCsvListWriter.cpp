#include "core/CCsvListWriter.h"

#include "core/CResultStore.h"
#include "core/PathEscape.h"

namespace {

void AppendTwoDigits(int value, QByteArray &out)
{
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

// Days since 1970-01-01 to a civil date, for any day (proleptic Gregorian).
void CivilFromDays(std::int64_t days, std::int64_t &year, int &month, int &day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

} // namespace

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

void CCsvListWriter::AppendUtcTime(std::int64_t seconds, QByteArray &out)
{
    // Floor division, so a time before 1970 lands on the right day.
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    if (year < 0 || year > 9999) {
        out += QByteArray::number(qint64(year));
    } else {
        AppendTwoDigits(int(year / 100), out);
        AppendTwoDigits(int(year % 100), out);
    }
    out += '-';
    AppendTwoDigits(month, out);
    out += '-';
    AppendTwoDigits(day, out);
    out += 'T';
    AppendTwoDigits(int(rest / 3600), out);
    out += ':';
    AppendTwoDigits(int(rest / 60 % 60), out);
    out += ':';
    AppendTwoDigits(int(rest % 60), out);
    out += 'Z';
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
    AppendUtcTime(row.created, out);
    out += ',';
    AppendUtcTime(row.modified, out);
    out += ',';
    AppendUtcTime(row.accessed, out);
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
