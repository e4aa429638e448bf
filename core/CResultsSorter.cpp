#include "core/CResultsSorter.h"

#include "core/ResultColumns.h"

#include <QString>
#include <algorithm>

namespace {

// Orders signed values correctly as unsigned ones.
std::uint64_t Biased(std::int64_t value)
{
    return std::uint64_t(value) ^ (std::uint64_t(1) << 63);
}

// Case-folded keys of many strings, one buffer for all of them.
class CFoldedKeys
{
public:
    explicit CFoldedKeys(std::size_t count) { m_ends.reserve(count); }
    void Add(std::string_view raw)
    {
        CResultsSorter::AppendFoldedKey(raw, m_bytes);
        m_ends.push_back(m_bytes.size());
    }
    std::string_view At(std::size_t i) const
    {
        const std::size_t begin = i > 0 ? m_ends[i - 1] : 0;
        return std::string_view(m_bytes).substr(begin, m_ends[i] - begin);
    }
    std::size_t GetCount() const { return m_ends.size(); }

    // Positions of the keys in key order, equal keys by position.
    std::vector<std::uint32_t> Order(bool ascending) const
    {
        std::vector<Entry> entries(GetCount());
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i].position = std::uint32_t(i);
        SortRange(entries.data(), entries.data() + entries.size(), 0, ascending);
        std::vector<std::uint32_t> order(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            order[i] = entries[i].position;
        return order;
    }

    // Gives each key its rank: equal keys share a rank.
    std::vector<std::uint64_t> Ranks() const
    {
        const std::vector<std::uint32_t> order = Order(true);
        std::vector<std::uint64_t> ranks(order.size());
        std::uint64_t rank = 0;
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (k > 0 && At(order[k]) != At(order[k - 1]))
                ++rank;
            ranks[order[k]] = rank;
        }
        return ranks;
    }

private:
    struct Entry
    {
        std::uint64_t chunk; // eight key bytes from the current depth, big end first
        std::uint32_t position;
    };

    // Eight bytes of the key from `offset`, zero-padded (names hold no zero
    // bytes, so a shorter key sorts first).
    static std::uint64_t Chunk(std::string_view key, std::size_t offset)
    {
        std::uint64_t chunk = 0;
        for (std::size_t i = offset; i < offset + 8; ++i)
            chunk = (chunk << 8) | (i < key.size() ? std::uint8_t(key[i]) : 0u);
        return chunk;
    }

    // Sorts by eight key bytes at a time, with the entries holding the bytes
    // they are compared by, so most comparisons never reach the key buffer;
    // only runs that share those bytes go one level deeper.
    void SortRange(Entry *first, Entry *last, std::size_t offset, bool ascending) const
    {
        bool longer = false;
        for (Entry *e = first; e != last; ++e) {
            const std::string_view key = At(e->position);
            const std::uint64_t chunk = Chunk(key, offset);
            e->chunk = ascending ? chunk : ~chunk;
            longer = longer || key.size() > offset + 8;
        }
        std::sort(first, last, [](const Entry &a, const Entry &b) {
            return a.chunk != b.chunk ? a.chunk < b.chunk : a.position < b.position;
        });
        if (!longer)
            return; // every key ended here: equal chunks mean equal keys
        for (Entry *run = first; run != last;) {
            Entry *end = run + 1;
            while (end != last && end->chunk == run->chunk)
                ++end;
            if (end - run > 1)
                SortRange(run, end, offset + 8, ascending);
            run = end;
        }
    }

    std::string m_bytes;
    std::vector<std::size_t> m_ends;
};

} // namespace

CResultsSorter::CResultsSorter(const CResultStore &store, int column) : m_store(store), m_column(column) {}

void CResultsSorter::AppendFoldedKey(std::string_view raw, std::string &key)
{
    bool ascii = true;
    for (char c : raw) {
        if (std::uint8_t(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        const std::size_t start = key.size();
        key.resize(start + raw.size());
        std::transform(raw.begin(), raw.end(), key.begin() + std::ptrdiff_t(start),
                       [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
        return;
    }
    // UTF-8 bytes compare in code point order; bytes that are not UTF-8 fold
    // to the replacement character, which only decides their place in a sort.
    const QByteArray folded =
        QString::fromUtf8(raw.data(), qsizetype(raw.size())).toCaseFolded().toUtf8();
    key.append(folded.constData(), std::size_t(folded.size()));
}

std::vector<std::uint64_t> CResultsSorter::FolderRanks() const
{
    const CPathArray &paths = m_store.GetPaths();
    CFoldedKeys keys(std::size_t(paths.GetFolderCount()));
    for (int f = 0; f < paths.GetFolderCount(); ++f) {
        const QByteArray &folder = paths.GetFolderAt(f);
        keys.Add(std::string_view(folder.constData(), std::size_t(folder.size())));
    }
    return keys.Ranks();
}

std::vector<int> CResultsSorter::SortByName(const std::vector<int> &rows, bool ascending) const
{
    CFoldedKeys keys(rows.size());
    for (int index : rows)
        keys.Add(m_store.GetPaths().GetNameView(index));
    const std::vector<std::uint32_t> order = keys.Order(ascending);
    std::vector<int> sorted(rows.size());
    for (std::size_t r = 0; r < order.size(); ++r)
        sorted[r] = rows[order[r]];
    return sorted;
}

std::vector<std::uint64_t> CResultsSorter::KeysOf(const std::vector<int> &rows) const
{
    std::vector<std::uint64_t> keys(rows.size());
    switch (m_column) {
    case kColumnLocation: {
        const std::vector<std::uint64_t> folderRanks = FolderRanks();
        for (std::size_t r = 0; r < rows.size(); ++r)
            keys[r] = folderRanks[std::size_t(m_store.GetPaths().GetFolderIndex(rows[r]))];
        break;
    }
    case kColumnSize:
        for (std::size_t r = 0; r < rows.size(); ++r)
            keys[r] = Biased(m_store.GetSize(rows[r]));
        break;
    case kColumnCreated:
        for (std::size_t r = 0; r < rows.size(); ++r)
            keys[r] = Biased(m_store.GetCreationTime(rows[r]));
        break;
    case kColumnModified:
        for (std::size_t r = 0; r < rows.size(); ++r)
            keys[r] = Biased(m_store.GetModifiedTime(rows[r]));
        break;
    case kColumnAccessed:
        for (std::size_t r = 0; r < rows.size(); ++r)
            keys[r] = Biased(m_store.GetAccessedTime(rows[r]));
        break;
    default:
        break; // a column without a sort order: all keys equal, nothing moves
    }
    return keys;
}

std::vector<int> CResultsSorter::Sort(const std::vector<int> &rows, bool ascending) const
{
    for (int index : rows) {
        if (!m_store.IsValidIndex(index))
            return rows; // not ours to judge: leave the list as it is
    }
    if (m_column == kColumnFile)
        return SortByName(rows, ascending); // names are mostly distinct: order them directly
    struct Item
    {
        std::uint64_t key;
        std::uint32_t position;
    };
    const std::vector<std::uint64_t> keys = KeysOf(rows);
    std::vector<Item> items(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        items[r] = Item{ascending ? keys[r] : ~keys[r], std::uint32_t(r)};
    // The old position breaks ties, which makes the order total and the sort stable.
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        return a.key != b.key ? a.key < b.key : a.position < b.position;
    });
    std::vector<int> sorted(rows.size());
    for (std::size_t r = 0; r < items.size(); ++r)
        sorted[r] = rows[items[r].position];
    return sorted;
}
