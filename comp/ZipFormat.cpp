#include "comp/ZipFormat.h"

#include <algorithm>
#include <ctime>
#include <limits>

namespace ZipFormat {

namespace {

constexpr std::uint16_t kExtraZip64 = 0x0001;
constexpr std::uint16_t kExtraNtfs = 0x000a;
constexpr std::uint16_t kExtraTimestamp = 0x5455;
constexpr std::uint16_t kFlagUtf8 = 1u << 11;
// Unix host (external attributes hold st_mode), format version 3.0 / 4.5.
constexpr std::uint16_t kMadeByUnix = 3u << 8;
constexpr std::uint16_t kVersionDefault = 20;
constexpr std::uint16_t kVersionZip64 = 45;
// Seconds from 1601-01-01 (the NTFS epoch) to 1970-01-01.
constexpr std::int64_t kNtfsEpochOffset = 11644473600LL;

bool FitsInt32(std::int64_t value)
{
    return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

std::uint64_t NtfsTime(std::int64_t seconds)
{
    return std::uint64_t(seconds + kNtfsEpochOffset) * 10000000u;
}

// The time fields: the extended timestamp wherever a 32-bit Unix time holds
// the modification time (so readers get exact UTC seconds), and the NTFS
// times, 64-bit, for a time no 32-bit field can hold (before 1902, after 2038).
std::string TimeExtras(const EntryInfo &info)
{
    std::string out;
    if (FitsInt32(info.mtime)) {
        Put16(out, kExtraTimestamp);
        Put16(out, 5);
        out.push_back(char(0x01)); // modification time present
        Put32(out, std::uint32_t(std::int32_t(info.mtime)));
    } else if (info.mtime > -kNtfsEpochOffset) {
        Put16(out, kExtraNtfs);
        Put16(out, 32);
        Put32(out, 0);
        Put16(out, 0x0001);
        Put16(out, 24);
        Put64(out, NtfsTime(info.mtime));
        Put64(out, NtfsTime(info.atime > -kNtfsEpochOffset ? info.atime : info.mtime));
        Put64(out, NtfsTime(info.mtime));
    }
    return out;
}

bool CentralNeedsZip64(const EntryInfo &info)
{
    return info.size >= kMax32 || info.compressedSize >= kMax32 || info.localOffset >= kMax32;
}

std::uint16_t Flags(const EntryInfo &info)
{
    return IsValidUtf8(info.name) ? kFlagUtf8 : 0;
}

std::string LocalExtras(const EntryInfo &info)
{
    std::string out;
    if (info.localZip64) {
        Put16(out, kExtraZip64);
        Put16(out, 16);
        Put64(out, info.size);
        Put64(out, info.compressedSize);
    }
    out += TimeExtras(info);
    return out;
}

} // namespace

void Put16(std::string &out, std::uint32_t value)
{
    out.push_back(char(value & 0xff));
    out.push_back(char((value >> 8) & 0xff));
}

void Put32(std::string &out, std::uint32_t value)
{
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

void Put64(std::string &out, std::uint64_t value)
{
    Put32(out, std::uint32_t(value & 0xffffffffu));
    Put32(out, std::uint32_t(value >> 32));
}

std::uint16_t Get16(const unsigned char *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t Get32(const unsigned char *p)
{
    return std::uint32_t(Get16(p)) | (std::uint32_t(Get16(p + 2)) << 16);
}

std::uint64_t Get64(const unsigned char *p)
{
    return std::uint64_t(Get32(p)) | (std::uint64_t(Get32(p + 4)) << 32);
}

bool IsValidUtf8(const std::string &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        int follow = 0;
        std::uint32_t code = 0;
        if (c < 0x80) {
            ++p;
            continue;
        } else if (c >= 0xc2 && c <= 0xdf) {
            follow = 1;
            code = c & 0x1f;
        } else if (c >= 0xe0 && c <= 0xef) {
            follow = 2;
            code = c & 0x0f;
        } else if (c >= 0xf0 && c <= 0xf4) {
            follow = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= follow)
            return false;
        for (int i = 1; i <= follow; ++i) {
            if ((p[i] & 0xc0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3f);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((follow == 2 && code < 0x800) || (follow == 3 && code < 0x10000) || code > 0x10ffff ||
            (code >= 0xd800 && code <= 0xdfff))
            return false;
        p += follow + 1;
    }
    return true;
}

void DosDateTime(std::int64_t seconds, std::uint16_t &date, std::uint16_t &time, bool &fits)
{
    std::tm tm{};
    const std::time_t t = std::time_t(seconds);
    fits = localtime_r(&t, &tm) != nullptr;
    const int year = fits ? tm.tm_year + 1900 : 1980;
    if (!fits || year < 1980) {
        fits = false;
        date = (0 << 9) | (1 << 5) | 1;
        time = 0;
        return;
    }
    if (year > 2107) {
        fits = false;
        date = std::uint16_t((127 << 9) | (12 << 5) | 31);
        time = std::uint16_t((23 << 11) | (59 << 5) | 29);
        return;
    }
    date = std::uint16_t(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    time = std::uint16_t((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

std::size_t LocalHeaderSize(const EntryInfo &info)
{
    return kLocalFixedSize + info.name.size() + LocalExtras(info).size();
}

std::string LocalHeader(const EntryInfo &info)
{
    const std::string extras = LocalExtras(info);
    std::uint16_t date = 0, time = 0;
    bool fits = true;
    DosDateTime(info.mtime, date, time, fits);
    std::string out;
    out.reserve(kLocalFixedSize + info.name.size() + extras.size());
    Put32(out, kLocalSignature);
    Put16(out, info.localZip64 ? kVersionZip64 : kVersionDefault);
    Put16(out, Flags(info));
    Put16(out, info.method);
    Put16(out, time);
    Put16(out, date);
    Put32(out, info.crc);
    Put32(out, info.localZip64 ? std::uint32_t(kMax32) : std::uint32_t(info.compressedSize));
    Put32(out, info.localZip64 ? std::uint32_t(kMax32) : std::uint32_t(info.size));
    Put16(out, std::uint32_t(info.name.size()));
    Put16(out, std::uint32_t(extras.size()));
    out += info.name;
    out += extras;
    return out;
}

std::string CentralRecord(const EntryInfo &info)
{
    std::string zip64;
    if (CentralNeedsZip64(info)) {
        Put16(zip64, kExtraZip64);
        std::string fields;
        if (info.size >= kMax32)
            Put64(fields, info.size);
        if (info.compressedSize >= kMax32)
            Put64(fields, info.compressedSize);
        if (info.localOffset >= kMax32)
            Put64(fields, info.localOffset);
        Put16(zip64, std::uint32_t(fields.size()));
        zip64 += fields;
    }
    const std::string extras = zip64 + TimeExtras(info);
    const bool needs64 = !zip64.empty() || info.localZip64;
    std::uint16_t date = 0, time = 0;
    bool fits = true;
    DosDateTime(info.mtime, date, time, fits);

    std::string out;
    out.reserve(kCentralFixedSize + info.name.size() + extras.size());
    Put32(out, kCentralSignature);
    Put16(out, kMadeByUnix | (needs64 ? kVersionZip64 : kVersionDefault));
    Put16(out, needs64 ? kVersionZip64 : kVersionDefault);
    Put16(out, Flags(info));
    Put16(out, info.method);
    Put16(out, time);
    Put16(out, date);
    Put32(out, info.crc);
    Put32(out, std::uint32_t(std::min<std::uint64_t>(info.compressedSize, kMax32)));
    Put32(out, std::uint32_t(std::min<std::uint64_t>(info.size, kMax32)));
    Put16(out, std::uint32_t(info.name.size()));
    Put16(out, std::uint32_t(extras.size()));
    Put16(out, 0); // comment length
    Put16(out, 0); // disk number
    Put16(out, 0); // internal attributes
    Put32(out, info.mode << 16);
    Put32(out, std::uint32_t(std::min<std::uint64_t>(info.localOffset, kMax32)));
    out += info.name;
    out += extras;
    return out;
}

std::string EndRecords(std::uint64_t count, std::uint64_t cdOffset, std::uint64_t cdSize, const std::string &comment)
{
    std::string out;
    const bool zip64 = count >= kMax16 || cdOffset >= kMax32 || cdSize >= kMax32;
    if (zip64) {
        const std::uint64_t zip64EndOffset = cdOffset + cdSize;
        Put32(out, kZip64EndSignature);
        Put64(out, kZip64EndSize - 12);
        Put16(out, kMadeByUnix | kVersionZip64);
        Put16(out, kVersionZip64);
        Put32(out, 0); // this disk
        Put32(out, 0); // disk of the central directory
        Put64(out, count);
        Put64(out, count);
        Put64(out, cdSize);
        Put64(out, cdOffset);
        Put32(out, kZip64LocatorSignature);
        Put32(out, 0);
        Put64(out, zip64EndOffset);
        Put32(out, 1); // disks in all
    }
    Put32(out, kEndSignature);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, std::uint32_t(std::min<std::uint64_t>(count, kMax16)));
    Put16(out, std::uint32_t(std::min<std::uint64_t>(count, kMax16)));
    Put32(out, std::uint32_t(std::min<std::uint64_t>(cdSize, kMax32)));
    Put32(out, std::uint32_t(std::min<std::uint64_t>(cdOffset, kMax32)));
    Put16(out, std::uint32_t(comment.size()));
    out += comment;
    return out;
}

std::size_t MaxEndRecordsSize(const std::string &comment)
{
    return kZip64EndSize + kZip64LocatorSize + kEndSize + comment.size();
}

} // namespace ZipFormat
