#include "comp/CEntryNames.h"

#include "comp/ZipFormat.h"

using namespace ZipFormat;

namespace {

constexpr std::uint16_t kExtraZip64 = 0x0001;
// Far more numbered copies of one name than anyone keeps; past it the file
// is not stored rather than searched for without end.
constexpr unsigned kMaxNumber = 1000000;

std::uint64_t Hash(std::string_view name)
{
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (const char c : name) {
        hash ^= std::uint8_t(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

const unsigned char *Bytes(const std::string &text, std::uint64_t offset)
{
    return reinterpret_cast<const unsigned char *>(text.data()) + offset;
}

// The uncompressed size of the record at `p`, from its Zip64 field when the
// classic one is full.
std::uint64_t RecordSize(const unsigned char *p)
{
    const std::uint64_t size = Get32(p + 24);
    if (size != kMax32)
        return size;
    const unsigned nameLength = Get16(p + 28);
    const unsigned extraLength = Get16(p + 30);
    const unsigned char *extra = p + kCentralFixedSize + nameLength;
    for (unsigned at = 0; at + 4 <= extraLength;) {
        const unsigned id = Get16(extra + at);
        const unsigned length = Get16(extra + at + 2);
        if (id == kExtraZip64 && length >= 8)
            return Get64(extra + at + 4);
        at += 4 + length;
    }
    return size;
}

} // namespace

void CEntryNames::Reset()
{
    m_pDirectory = nullptr;
    m_nParsed = 0;
    m_nCount = 0;
    m_slots.clear();
}

std::string_view CEntryNames::NameAt(std::uint64_t offset) const
{
    const unsigned char *p = Bytes(*m_pDirectory, offset);
    return std::string_view(reinterpret_cast<const char *>(p + kCentralFixedSize), Get16(p + 28));
}

void CEntryNames::Grow()
{
    std::vector<std::uint64_t> old;
    old.swap(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, 0);
    for (const std::uint64_t slot : old)
        if (slot != 0)
            Insert(slot - 1, Hash(NameAt(slot - 1)));
}

void CEntryNames::Insert(std::uint64_t offset, std::uint64_t hash)
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = std::size_t(hash) & mask;
    while (m_slots[at] != 0)
        at = (at + 1) & mask;
    m_slots[at] = offset + 1;
}

void CEntryNames::Sync(const std::string &directory)
{
    // The same directory text as before, perhaps moved to another object.
    if (m_nParsed > directory.size())
        Reset();
    m_pDirectory = &directory;
    // The directory was checked record by record when the archive was read,
    // and only whole records are added to it; a short tail ends the look.
    while (directory.size() - m_nParsed >= kCentralFixedSize) {
        const unsigned char *p = Bytes(directory, m_nParsed);
        const std::uint64_t length = kCentralFixedSize + Get16(p + 28) + Get16(p + 30) + Get16(p + 32);
        if (Get32(p) != kCentralSignature || directory.size() - m_nParsed < length)
            break;
        if ((m_nCount + 1) * 2 > m_slots.size())
            Grow();
        Insert(m_nParsed, Hash(NameAt(m_nParsed)));
        ++m_nCount;
        m_nParsed += length;
    }
}

bool CEntryNames::Find(std::string_view name, Stored &stored) const
{
    if (m_slots.empty())
        return false;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = std::size_t(Hash(name)) & mask; m_slots[at] != 0; at = (at + 1) & mask) {
        const std::uint64_t offset = m_slots[at] - 1;
        if (NameAt(offset) != name)
            continue;
        const unsigned char *p = Bytes(*m_pDirectory, offset);
        stored.crc = Get32(p + 16);
        stored.size = RecordSize(p);
        return true;
    }
    return false;
}

std::string CEntryNames::Numbered(const std::string &name, unsigned n)
{
    const std::size_t slash = name.rfind('/');
    const std::size_t partStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot <= partStart)
        dot = name.size();
    return name.substr(0, dot) + " (" + std::to_string(n) + ")" + name.substr(dot);
}

CEntryNames::Placement CEntryNames::Place(std::string &name, std::uint64_t size,
                                          const std::function<bool(std::uint32_t &)> &crcOf) const
{
    bool askedCrc = false, knowCrc = false;
    std::uint32_t crc = 0;
    std::string candidate = name;
    Stored stored;
    for (unsigned n = 2; Find(candidate, stored); ++n) {
        if (stored.size == size) {
            if (!askedCrc) {
                askedCrc = true;
                knowCrc = crcOf(crc);
            }
            if (knowCrc && stored.crc == crc)
                return Placement::AlreadyStored;
        }
        candidate = Numbered(name, n);
        if (n > kMaxNumber || candidate.size() >= kMax16)
            return Placement::NoName;
    }
    if (candidate == name)
        return Placement::New;
    name = candidate;
    return Placement::Renamed;
}
