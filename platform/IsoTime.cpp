#include "platform/IsoTime.h"

#include <ctime>

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

void AppendDateAndTime(std::int64_t year, int month, int day, int hour, int minute, int second, QByteArray &out)
{
    if (year < 0 || year > 9999) {
        out += QByteArray::number(qint64(year)); // outside ISO 8601's four digits
    } else {
        AppendTwoDigits(int(year / 100), out);
        AppendTwoDigits(int(year % 100), out);
    }
    out += '-';
    AppendTwoDigits(month, out);
    out += '-';
    AppendTwoDigits(day, out);
    out += 'T';
    AppendTwoDigits(hour, out);
    out += ':';
    AppendTwoDigits(minute, out);
    out += ':';
    AppendTwoDigits(second, out);
}

} // namespace

void AppendIsoUtcTime(std::int64_t seconds, QByteArray &out)
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
    AppendDateAndTime(year, month, day, int(rest / 3600), int(rest / 60 % 60), int(rest % 60), out);
    out += 'Z';
}

void AppendIsoLocalTime(std::int64_t seconds, QByteArray &out)
{
    const std::time_t t = std::time_t(seconds);
    struct tm fields;
    if (!::localtime_r(&t, &fields)) {
        out += QByteArray::number(qint64(seconds));
        return;
    }
    AppendDateAndTime(1900LL + fields.tm_year, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min,
                      fields.tm_sec, out);
    long offset = fields.tm_gmtoff;
    out += offset < 0 ? '-' : '+';
    if (offset < 0)
        offset = -offset;
    AppendTwoDigits(int(offset / 3600), out);
    out += ':';
    AppendTwoDigits(int(offset / 60 % 60), out);
}
