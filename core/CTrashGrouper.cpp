#include "core/CTrashGrouper.h"

#include "core/CResultStore.h"
#include "core/CTrashInfo.h"
#include "core/PathEscape.h"
#include "platform/CTrashFiles.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <sys/stat.h>

namespace {

constexpr char kInfoSuffix[] = ".trashinfo";
constexpr qsizetype kInfoSuffixLength = sizeof kInfoSuffix - 1;

QByteArray WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool EndsComponent(const QByteArray &path, qsizetype at)
{
    return at == path.size() || path.at(at) == '/';
}

// Length of a run of digits at `at` that ends a path component; 0 for none.
qsizetype DigitsComponent(const QByteArray &path, qsizetype at)
{
    qsizetype end = at;
    while (end < path.size() && path.at(end) >= '0' && path.at(end) <= '9')
        ++end;
    return end > at && EndsComponent(path, end) ? end - at : 0;
}

QString TrashReason(const CTrashInfo &info)
{
    return FormatString(IDS_WHY_TRASH, {QString::fromUtf8(EscapePath(info.GetOriginalPath())), info.GetDeletionDate()});
}

} // namespace

CTrashGrouper::CTrashGrouper(CMatchSink &next, const CResultStore &store, CTrashItems &trash,
                             const QByteArray &driveRoot, const QByteArray &homeTrash, InfoReader readInfo)
    : m_next(next)
    , m_store(store)
    , m_items(trash)
    , m_strDriveRoot(WithoutTrailingSlashes(driveRoot))
    , m_strHomeTrash(WithoutTrailingSlashes(homeTrash))
    , m_readInfo(std::move(readInfo))
{
    if (!m_readInfo)
        m_readInfo = [](const QByteArray &path) { return CTrashFiles::ReadSmall(path); };
}

QByteArray CTrashGrouper::HomeTrash()
{
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/'))
        data = QFile::encodeName(QDir::homePath()) + "/.local/share";
    return WithoutTrailingSlashes(data) + "/Trash";
}

qsizetype CTrashGrouper::TrashFolderLength(const QByteArray &folder) const
{
    if (!m_strHomeTrash.isEmpty() && folder.startsWith(m_strHomeTrash) && EndsComponent(folder, m_strHomeTrash.size()))
        return m_strHomeTrash.size();
    // Another user's home trash, when the drive holds homes.
    static const QByteArray kHomeTrash = "/.local/share/Trash";
    for (qsizetype at = folder.indexOf(kHomeTrash); at >= 0; at = folder.indexOf(kHomeTrash, at + 1))
        if (EndsComponent(folder, at + kHomeTrash.size()))
            return at + kHomeTrash.size();
    // .Trash-UID and .Trash/UID at the top of the drive.
    const qsizetype top = m_strDriveRoot == "/" ? 0 : m_strDriveRoot.size();
    if (top > 0 && !(folder.startsWith(m_strDriveRoot) && EndsComponent(folder, top)))
        return -1;
    if (folder.mid(top).startsWith("/.Trash-")) {
        const qsizetype digits = DigitsComponent(folder, top + 8);
        return digits > 0 ? top + 8 + digits : -1;
    }
    if (folder.mid(top).startsWith("/.Trash/")) {
        const qsizetype digits = DigitsComponent(folder, top + 8);
        return digits > 0 ? top + 8 + digits : -1;
    }
    return -1;
}

void CTrashGrouper::AddMatch(const ScanMatch &match)
{
    const qsizetype length = TrashFolderLength(match.record.folder);
    if (length < 0)
        Flush();
    // A protected or unchecked file is never part of a row it cannot leave
    // with.
    if (length < 0 || match.protection != ProtectionReason::None || match.unchecked) {
        m_next.AddMatch(match);
        return;
    }
    Hold(match, length);
}

void CTrashGrouper::RefreshWhileBusy(bool bShowRows)
{
    m_next.RefreshWhileBusy(bShowRows);
}

void CTrashGrouper::Hold(const ScanMatch &match, qsizetype trashLength)
{
    const WalkRecord &record = match.record;
    const MatchReason &why = match.why;
    const QByteArray trash = record.folder.left(trashLength);
    if (trash != m_trash) {
        Flush();
        m_trash = trash;
    }
    const QByteArray rest = record.folder.mid(trashLength);
    if (rest.isEmpty() && record.name == "directorysizes")
        return; // the trash's own cache, kept up to date by Delete
    WalkRecord copy = record;
    copy.chain = nullptr;
    copy.chainLength = 0;
    if (rest == "/info" && record.name.size() > kInfoSuffixLength && record.name.endsWith(kInfoSuffix)) {
        const QByteArray name = record.name.chopped(kInfoSuffixLength);
        if (!m_infos.contains(name))
            m_infoOrder.push_back(name);
        m_infos.insert(name, std::move(copy));
        return;
    }
    if (rest != "/files" && !rest.startsWith("/files/")) {
        m_next.AddMatch(match); // not an entry (expunged leftovers and the like)
        return;
    }
    QByteArray name = record.name;
    QByteArray relative;
    if (rest != "/files") {
        const QByteArray below = rest.mid(7);
        const qsizetype slash = below.indexOf('/');
        name = slash < 0 ? below : below.left(slash);
        relative = (slash < 0 ? QByteArray() : below.mid(slash + 1) + '/') + record.name;
    }
    auto it = m_entries.find(name);
    if (it == m_entries.end()) {
        m_order.push_back(name);
        it = m_entries.insert(name, Entry());
        it->why = why;
        it->why.folderLevel = -1; // the entry goes whole, by its own step
    }
    it->isFolder = !relative.isEmpty();
    it->heldOpen = it->heldOpen || match.heldOpen;
    if (it->isFolder)
        copy.name = relative; // kept below the entry, for the item's members
    it->files.push_back(std::move(copy));
}

void CTrashGrouper::Flush()
{
    if (m_trash.isEmpty())
        return;
    const QByteArray top = m_trash.startsWith(m_strDriveRoot) ? m_strDriveRoot : QByteArray("/");
    for (const QByteArray &name : m_order) {
        Entry &entry = m_entries[name];
        CTrashItem item;
        item.trashFolder = m_trash;
        item.name = name;
        item.isFolder = entry.isFolder;
        MatchReason why = entry.why;
        const auto info = m_infos.constFind(name);
        if (info != m_infos.constEnd()) {
            const CTrashInfo parsed =
                CTrashInfo::Parse(m_readInfo(info->folder + '/' + info->name), top);
            item.hasInfo = true;
            item.infoIdentity = info->identity;
            if (parsed.IsValid()) {
                item.originalName = parsed.GetOriginalName();
                item.originalPath = parsed.GetOriginalPath();
                why.text = TrashReason(parsed);
                why.group = LoadString(IDS_WHY_TRASH).section(QLatin1Char(':'), 0, 0);
            }
            m_infos.remove(name);
        }
        if (!entry.isFolder) {
            HandOn(entry.files.front(), why, entry.heldOpen, item.hasInfo ? &item : nullptr);
            continue;
        }
        // A trashed folder: one row for all of its files.
        WalkRecord row;
        row.folder = m_trash + "/files";
        row.name = name;
        row.creationTime = entry.files.front().creationTime;
        row.identity.type = S_IFDIR;
        row.identity.device = row.device = entry.files.front().device;
        for (const WalkRecord &file : entry.files) {
            row.size += file.size;
            // Blocks shared with links elsewhere stay until those go too.
            if (file.linkCount <= 1)
                row.allocatedBytes += file.allocatedBytes;
            row.modifiedTime = std::max(row.modifiedTime, file.modifiedTime);
            row.accessedTime = std::max(row.accessedTime, file.accessedTime);
            row.creationTime = std::min(row.creationTime, file.creationTime);
            item.members.push_back(CTrashItem::Member{file.name, file.identity});
        }
        HandOn(row, why, entry.heldOpen, &item);
    }
    // Information whose entry is gone: it describes nothing any more.
    MatchReason orphan;
    orphan.text = LoadString(IDS_WHY_TRASH_ORPHAN);
    orphan.group = orphan.text;
    for (const QByteArray &name : m_infoOrder)
        if (m_infos.contains(name))
            m_next.AddMatch({m_infos.value(name), orphan});
    m_trash.clear();
    m_order.clear();
    m_entries.clear();
    m_infos.clear();
    m_infoOrder.clear();
}

void CTrashGrouper::HandOn(const WalkRecord &row, const MatchReason &why, bool heldOpen, CTrashItem *item)
{
    const int before = m_store.GetCount();
    ScanMatch match{row, why};
    match.heldOpen = heldOpen;
    m_next.AddMatch(match);
    if (item && m_store.GetCount() == before + 1)
        m_items.Add(before, std::move(*item));
}
