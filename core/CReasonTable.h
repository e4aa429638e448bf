#pragma once

#include <QHash>
#include <QString>
#include <cstdint>
#include <vector>

struct MatchReason;

// The distinct reason texts of a result list, each kept once: a file holds
// only the small number of its text. Files come folder by folder, so most
// files repeat the text before them, which costs one comparison.
class CReasonTable
{
public:
    using Id = std::uint16_t;
    static constexpr Id kNone = 0;              // the empty text
    static constexpr int kCapacity = 65536;     // what an Id can number
    // Folder texts stop being added this far before the end, so that the
    // folderless group of every rule still finds a place.
    static constexpr int kGroupReserve = 1024;

    CReasonTable();

    // The number of `reason`'s text, added when new. When the table is
    // nearly full the reason's group stands in for it; when even that does
    // not fit, the last number does.
    Id Intern(const MatchReason &reason);
    Id Intern(const QString &text);

    const QString &GetText(Id id) const;
    int GetCount() const { return int(m_texts.size()); }
    void Clear();

private:
    Id Find(const QString &text, int limit);

    std::vector<QString> m_texts;
    QHash<QString, Id> m_ids;
    Id m_last = kNone;
};
