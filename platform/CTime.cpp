#include "platform/CTime.h"

#include <ctime>

namespace {

std::tm LocalFields(std::int64_t seconds)
{
    std::tm fields{};
    const std::time_t value = static_cast<std::time_t>(seconds);
    if (!::localtime_r(&value, &fields))
        fields = std::tm{};
    return fields;
}

} // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    m_time = static_cast<std::int64_t>(std::mktime(&fields));
}

CTime CTime::GetCurrentTime()
{
    return CTime(static_cast<std::int64_t>(std::time(nullptr)));
}

int CTime::GetYear() const { return LocalFields(m_time).tm_year + 1900; }
int CTime::GetMonth() const { return LocalFields(m_time).tm_mon + 1; }
int CTime::GetDay() const { return LocalFields(m_time).tm_mday; }
int CTime::GetHour() const { return LocalFields(m_time).tm_hour; }
int CTime::GetMinute() const { return LocalFields(m_time).tm_min; }
int CTime::GetSecond() const { return LocalFields(m_time).tm_sec; }
