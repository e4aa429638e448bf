#pragma once

#include <cstdint>

// A point in time as whole seconds since 1 January 1970 UTC, 64-bit so that
// dates before 1970 and after 2038 compare correctly.
class CTime
{
public:
    constexpr CTime() = default;
    constexpr explicit CTime(std::int64_t seconds) : m_time(seconds) {}
    // Local calendar fields; out-of-range fields are normalised as mktime does
    // (29 February of a common year becomes 1 March). Daylight saving is left
    // to the runtime.
    CTime(int year, int month, int day, int hour, int minute, int second);

    static CTime GetCurrentTime();

    constexpr std::int64_t GetTime() const { return m_time; }
    // Local calendar fields of this time.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;

    friend constexpr auto operator<=>(CTime, CTime) = default;

private:
    std::int64_t m_time = 0;
};
