#include "core/CResultsSorter.h"

#include "core/CRadixOrder.h"
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

    // Positions of the keys in key order, equal keys by position. Keys
    // known to agree in their first `offset` bytes are compared from there.
    std::vector<std::uint32_t> Order(bool ascending, std::size_t offset = 0) const
    {
        std::vector<Entry> entries(GetCount());
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i].position = std::uint32_t(i);
        SortRange(entries.data(), entries.data() + entries.size(), offset, ascending);
        std::vector<std::uint32_t> order(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            order[i] = entries[i].position;
        return order;
    }

    // Gives each key its rank: equal keys share a rank.
    std::vector<std::uint32_t> Ranks() const
    {
        const std::vector<std::uint32_t> order = Order(true);
        std::vector<std::uint32_t> ranks(order.size());
        std::uint32_t rank = 0;
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (k > 0 && At(order[k]) != At(order[k - 1]))
                ++rank;
            ranks[order[k]] = rank;
        }
        return ranks;
    }

public:
    // Eight bytes of the key from `offset`, zero-padded (names hold no zero
    // bytes, so a shorter key sorts first).
    static std::uint64_t Chunk(std::string_view key, std::size_t offset)
    {
        std::uint64_t chunk = 0;
        for (std::size_t i = offset; i < offset + 8; ++i)
            chunk = (chunk << 8) | (i < key.size() ? std::uint8_t(key[i]) : 0u);
        return chunk;
    }

private:
    struct Entry
    {
        std::uint64_t chunk; // eight key bytes from the current depth, big end first
        std::uint32_t position;
    };

    // Sorts by eight key bytes at a time, with the entries holding the bytes
    // they are compared by, so most comparisons never reach the key buffer;
    // only runs that share those bytes are sorted again by the next eight.
    // Keys may be long and share long beginnings, so the runs still to sort
    // wait on a list of their own rather than on the call stack.
    void SortRange(Entry *first, Entry *last, std::size_t offset, bool ascending) const
    {
        struct Range
        {
            Entry *first;
            Entry *last;
            std::size_t offset;
        };
        std::vector<Range> pending{{first, last, offset}};
        while (!pending.empty()) {
            const Range range = pending.back();
            pending.pop_back();
            bool longer = false;
            for (Entry *e = range.first; e != range.last; ++e) {
                const std::string_view key = At(e->position);
                const std::uint64_t chunk = Chunk(key, range.offset);
                e->chunk = ascending ? chunk : ~chunk;
                longer = longer || key.size() > range.offset + 8;
            }
            std::sort(range.first, range.last, [](const Entry &a, const Entry &b) {
                return a.chunk != b.chunk ? a.chunk < b.chunk : a.position < b.position;
            });
            if (!longer)
                continue; // every key ended here: equal chunks mean equal keys
            for (Entry *run = range.first; run != range.last;) {
                Entry *end = run + 1;
                while (end != range.last && end->chunk == run->chunk)
                    ++end;
                if (end - run > 1)
                    pending.push_back(Range{run, end, range.offset + 8});
                run = end;
            }
        }
    }

    std::string m_bytes;
    std::vector<std::size_t> m_ends;
};

} // namespace

CResultsSorter::CResultsSorter(const CResultStore &store, int column)
    : m_store(store), m_column(column), m_nCount(store.GetCount())
{
    // In the order the files were stored, where their records lie one after
    // the other: in row order after an earlier sort nearly every read would
    // wait on memory.
    std::int64_t (CResultStore::*value)(int) const = nullptr;
    switch (column) {
    case kColumnSize:
        value = &CResultStore::GetSize;
        break;
    case kColumnCreated:
        value = &CResultStore::GetCreationTime;
        break;
    case kColumnModified:
        value = &CResultStore::GetModifiedTime;
        break;
    case kColumnAccessed:
        value = &CResultStore::GetAccessedTime;
        break;
    case kColumnReason: {
        const std::vector<std::uint32_t> reasonRanks = ReasonRanks();
        m_ranks.resize(std::size_t(m_nCount));
        for (int item = 0; item < m_nCount; ++item)
            m_ranks[std::size_t(item)] = reasonRanks[store.GetReasonId(item)];
        return;
    }
    default:
        return;
    }
    if (m_nCount == 0)
        return;
    std::int64_t low = (store.*value)(0);
    std::int64_t high = low;
    for (int item = 1; item < m_nCount; ++item) {
        const std::int64_t v = (store.*value)(item);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    // Sizes and times of one drive nearly always lie within four billion of
    // each other: then each key is its distance from the lowest, in half
    // the memory.
    if (Biased(high) - Biased(low) <= 0xFFFFFFFFull) {
        m_ranks.resize(std::size_t(m_nCount));
        for (int item = 0; item < m_nCount; ++item)
            m_ranks[std::size_t(item)] = std::uint32_t(Biased((store.*value)(item)) - Biased(low));
        return;
    }
    m_values.resize(std::size_t(m_nCount));
    for (int item = 0; item < m_nCount; ++item)
        m_values[std::size_t(item)] = (store.*value)(item);
}

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

std::vector<std::uint32_t> CResultsSorter::FolderRanks() const
{
    // Folders are ordered by their path, compared folder name by folder
    // name without regard to case, so that a folder is followed at once by
    // the folders below it. Whole paths are never built: the ranks come
    // from the folder tree, with each name folded once.
    const CPathArray &paths = m_store.GetPaths();
    const std::size_t count = std::size_t(paths.GetFolderCount());
    CFoldedKeys keys(count);
    std::string top;
    for (std::size_t f = 0; f < count; ++f) {
        const std::string_view name = paths.GetFolderName(int(f));
        if (paths.GetFolderParent(int(f)) >= 0) {
            keys.Add(name);
            continue;
        }
        // A top-level folder is named by its whole path: its separators
        // must sort before every character of a name, as between levels.
        top.assign(name);
        std::replace(top.begin(), top.end(), '/', '\x01');
        keys.Add(top);
    }
    const std::vector<std::uint32_t> nameRanks = keys.Ranks();

    // Children of each folder (and the top-level folders) in name order.
    std::vector<std::uint32_t> byName(count);
    for (std::size_t f = 0; f < count; ++f)
        byName[f] = std::uint32_t(f);
    std::stable_sort(byName.begin(), byName.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return nameRanks[a] < nameRanks[b]; });
    std::vector<std::uint32_t> childBegin(count + 2, 0); // slot 0: top-level folders
    for (std::size_t f = 0; f < count; ++f)
        ++childBegin[std::size_t(paths.GetFolderParent(int(f)) + 1) + 1];
    for (std::size_t i = 1; i < childBegin.size(); ++i)
        childBegin[i] += childBegin[i - 1];
    std::vector<std::uint32_t> children(count);
    std::vector<std::uint32_t> fill(childBegin.begin(), childBegin.end() - 1);
    for (std::uint32_t f : byName)
        children[fill[std::size_t(paths.GetFolderParent(int(f)) + 1)]++] = f;

    // Depth first over groups of equally named folders (two folders whose
    // names differ only in case rank as one, and so do their subfolders).
    std::vector<std::uint32_t> ranks(count, 0);
    std::uint32_t rank = 0;
    struct Frame
    {
        std::vector<std::uint32_t> list;
        std::size_t pos = 0;
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{std::vector<std::uint32_t>(children.begin(), children.begin() + childBegin[1]), 0});
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.pos >= frame.list.size()) {
            stack.pop_back();
            continue;
        }
        std::size_t end = frame.pos + 1;
        while (end < frame.list.size() && nameRanks[frame.list[end]] == nameRanks[frame.list[frame.pos]])
            ++end;
        std::vector<std::uint32_t> next;
        for (std::size_t i = frame.pos; i < end; ++i) {
            const std::uint32_t f = frame.list[i];
            ranks[f] = rank;
            next.insert(next.end(), children.begin() + childBegin[f + 1], children.begin() + childBegin[f + 2]);
        }
        if (end - frame.pos > 1)
            std::stable_sort(next.begin(), next.end(),
                             [&](std::uint32_t a, std::uint32_t b) { return nameRanks[a] < nameRanks[b]; });
        ++rank;
        frame.pos = end;
        if (!next.empty())
            stack.push_back(Frame{std::move(next), 0}); // `frame` is stale after this
    }
    return ranks;
}

std::vector<std::uint32_t> CResultsSorter::ReasonRanks() const
{
    // Few distinct texts however many files: rank the texts once, then
    // every file sorts by its text's rank.
    const CReasonTable &reasons = m_store.GetReasons();
    CFoldedKeys keys(std::size_t(reasons.GetCount()));
    for (int id = 0; id < reasons.GetCount(); ++id) {
        const QByteArray text = reasons.GetText(CReasonTable::Id(id)).toUtf8();
        keys.Add(std::string_view(text.constData(), std::size_t(text.size())));
    }
    return keys.Ranks();
}

std::uint64_t CResultsSorter::NameChunk(std::string_view raw, std::size_t offset, std::string &scratch)
{
    // Most names are ASCII: their bytes fold one by one, where they lie.
    if (std::none_of(raw.begin(), raw.end(), [](char c) { return std::uint8_t(c) >= 0x80; })) {
        std::uint64_t chunk = 0;
        for (std::size_t i = offset; i < offset + 8; ++i) {
            const std::uint8_t c = i < raw.size() ? std::uint8_t(raw[i]) : 0;
            chunk = (chunk << 8) | ((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
        }
        return chunk;
    }
    scratch.clear();
    AppendFoldedKey(raw, scratch);
    return CFoldedKeys::Chunk(scratch, offset);
}

std::vector<int> CResultsSorter::SortByName(std::vector<int> rows, bool ascending,
                                            const std::atomic<bool> *cancel) const
{
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    // First by the first eight folded bytes of each name, which tells most
    // names apart; then each run of names that share those bytes by the
    // next eight, and so on. Equal keys are ordered by row, so the order
    // the entries are keyed in does not matter: they are keyed in the order
    // the names were stored, where they lie one after the other (in row
    // order after an earlier sort nearly every read would wait on memory).
    // To get there the entries are first sorted by file, in their own
    // memory: a map from file to row would cost as much again.
    const CPathArray &paths = m_store.GetPaths();
    std::vector<CRadixOrder::Entry64> entries(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        entries[r] = CRadixOrder::Entry64{std::uint64_t(rows[r]), std::uint32_t(r)};
    CRadixOrder::Sort(entries);
    if (cancelled())
        return {};
    std::string scratch;
    for (CRadixOrder::Entry64 &entry : entries) {
        const std::uint64_t chunk = NameChunk(paths.GetNameView(int(entry.key)), 0, scratch);
        entry.key = ascending ? chunk : ~chunk;
    }
    if (cancelled())
        return {};
    CRadixOrder::Sort(entries);

    // A key whose last byte is zero has ended (names hold no zero bytes): a
    // run of such keys holds equal names, already in row order.
    const auto ended = [ascending](std::uint64_t key) { return ((ascending ? key : ~key) & 0xFF) == 0; };
    struct Range
    {
        std::size_t begin;
        std::size_t end;
        std::size_t offset; // bytes the range's keys are known to share
    };
    std::vector<Range> pending;
    const auto pushRuns = [&](std::size_t begin, std::size_t end, std::size_t offset) {
        for (std::size_t run = begin; run < end;) {
            std::size_t next = run + 1;
            while (next < end && entries[next].key == entries[run].key)
                ++next;
            if (next - run > 1 && !ended(entries[run].key))
                pending.push_back(Range{run, next, offset});
            run = next;
        }
    };
    pushRuns(0, entries.size(), 8);
    for (std::size_t ranges = 0; !pending.empty(); ++ranges) {
        if (ranges % 4096 == 0 && cancelled())
            return {};
        const Range range = pending.back();
        pending.pop_back();
        for (std::size_t k = range.begin; k < range.end; ++k) {
            const std::uint64_t chunk =
                NameChunk(paths.GetNameView(rows[entries[k].position]), range.offset, scratch);
            entries[k].key = ascending ? chunk : ~chunk;
        }
        CRadixOrder::Sort(entries.data() + range.begin, entries.data() + range.end);
        pushRuns(range.begin, range.end, range.offset + 8);
    }
    TakeOrder(entries, rows);
    return rows;
}

template <typename Entry>
void CResultsSorter::TakeOrder(std::vector<Entry> &entries, std::vector<int> &rows)
{
    for (Entry &entry : entries)
        entry.position = std::uint32_t(rows[entry.position]);
    for (std::size_t r = 0; r < entries.size(); ++r)
        rows[r] = int(entries[r].position);
    std::vector<Entry>().swap(entries);
}

std::vector<int> CResultsSorter::Sort(std::vector<int> rows, bool ascending, const std::atomic<bool> *cancel) const
{
    for (int index : rows) {
        if (index < 0 || index >= m_nCount)
            return rows; // not ours to judge: leave the list as it is
    }
    switch (m_column) {
    case kColumnFile:
        return SortByName(std::move(rows), ascending, cancel);
    case kColumnLocation: {
        const std::vector<std::uint32_t> ranks = FolderRanks();
        if (cancel && cancel->load(std::memory_order_relaxed))
            return {};
        const CPathArray &paths = m_store.GetPaths();
        return SortByRank(std::move(rows), ascending,
                          [&](int index) { return ranks[std::size_t(paths.GetFolderIndex(index))]; });
    }
    case kColumnReason:
    case kColumnSize:
    case kColumnCreated:
    case kColumnModified:
    case kColumnAccessed:
        if (!m_ranks.empty() || m_values.empty())
            return SortByRank(std::move(rows), ascending, [this](int index) { return m_ranks[std::size_t(index)]; });
        return SortByValue(std::move(rows), ascending, [this](int index) { return m_values[std::size_t(index)]; });
    default:
        return rows; // a column without a sort order: nothing moves
    }
}

template <typename RankOf>
std::vector<int> CResultsSorter::SortByRank(std::vector<int> rows, bool ascending, RankOf rankOf)
{
    std::vector<CRadixOrder::Entry32> entries(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::uint32_t rank = rankOf(rows[r]);
        entries[r] = CRadixOrder::Entry32{ascending ? rank : ~rank, std::uint32_t(r)};
    }
    CRadixOrder::Sort(entries);
    TakeOrder(entries, rows);
    return rows;
}

template <typename ValueOf>
std::vector<int> CResultsSorter::SortByValue(std::vector<int> rows, bool ascending, ValueOf valueOf)
{
    std::vector<CRadixOrder::Entry64> entries(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::uint64_t key = Biased(valueOf(rows[r]));
        entries[r] = CRadixOrder::Entry64{ascending ? key : ~key, std::uint32_t(r)};
    }
    CRadixOrder::Sort(entries);
    TakeOrder(entries, rows);
    return rows;
}
