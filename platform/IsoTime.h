#pragma once

#include <QByteArray>
#include <cstdint>

// Seconds since 1970 written as ISO 8601, the one form every list and report
// of the program gives a time in. A year beyond four digits is written whole.

// As UTC: YYYY-MM-DDTHH:MM:SSZ, for any time (proleptic Gregorian).
void AppendIsoUtcTime(std::int64_t seconds, QByteArray &out);
// As local time with its offset from UTC: YYYY-MM-DDTHH:MM:SS+HH:MM; the bare
// number of seconds when the local calendar cannot express the time.
void AppendIsoLocalTime(std::int64_t seconds, QByteArray &out);
