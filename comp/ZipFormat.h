#pragma once

#include <cstdint>
#include <string>

// The zip records this plug-in writes and reads, built as byte strings in
// little-endian order. Only what the plug-in needs: local headers, central
// directory records, the end records (with Zip64 when a count, size or offset
// outgrows the classic fields) and the time extra fields.
namespace ZipFormat {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint64_t kMax32 = 0xffffffffu;
constexpr std::uint64_t kMax16 = 0xffffu;
constexpr std::size_t kCentralFixedSize = 46;
constexpr std::size_t kLocalFixedSize = 30;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;

constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;

// What one entry is, as the local header and the central record tell it.
struct EntryInfo
{
    std::string name;                // raw bytes, no leading slash
    std::uint16_t method = kMethodStored;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localOffset = 0;
    std::int64_t mtime = 0;          // seconds since 1970, UTC
    std::int64_t atime = 0;
    std::uint32_t mode = 0;          // st_mode, kept in the external attributes
    bool localZip64 = false;         // the local header carries Zip64 sizes
};

void Put16(std::string &out, std::uint32_t value);
void Put32(std::string &out, std::uint32_t value);
void Put64(std::string &out, std::uint64_t value);
std::uint16_t Get16(const unsigned char *p);
std::uint32_t Get32(const unsigned char *p);
std::uint64_t Get64(const unsigned char *p);

bool IsValidUtf8(const std::string &bytes);

// The MS-DOS date and time fields of `seconds` in local time. Times before
// 1980 or after 2107 cannot be held there; they are clamped to the nearest
// end and `fits` is set to false.
void DosDateTime(std::int64_t seconds, std::uint16_t &date, std::uint16_t &time, bool &fits);

// Size of the local header of `info`, with its name and extra fields.
std::size_t LocalHeaderSize(const EntryInfo &info);
std::string LocalHeader(const EntryInfo &info);
std::string CentralRecord(const EntryInfo &info);

// The end records for a central directory of `count` records and `cdSize`
// bytes at `cdOffset`: the classic end record alone, or the Zip64 end record
// and its locator before it when a value outgrows the classic fields.
std::string EndRecords(std::uint64_t count, std::uint64_t cdOffset, std::uint64_t cdSize,
                       const std::string &comment);
// The largest EndRecords can become, for planning space ahead.
std::size_t MaxEndRecordsSize(const std::string &comment);

} // namespace ZipFormat
