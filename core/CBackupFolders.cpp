#include "core/CBackupFolders.h"

#include "platform/CMarkerFiles.h"
#include "platform/WalkRecord.h"

#include <cstring>

namespace {

using Kind = CMarkerFiles::Kind;

// A settings file is a few kilobytes; nothing larger is one.
constexpr int kConfigLimit = 1 << 20;
constexpr int kReadmeLimit = 64;
const char kBorgReadme[] = "This is a Borg Backup repository";

QByteArray WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// `path` (absolute, from the drive's own "/") as the walk names it.
QByteArray OnDrive(const QByteArray &driveRoot, const QByteArray &path)
{
    return driveRoot == "/" ? path : driveRoot + path;
}

bool IsCleanAbsolute(const QByteArray &path)
{
    return path.startsWith('/') && !path.contains("/../") && !path.endsWith("/..") && !path.contains('\0');
}

} // namespace

CBackupFolders::CBackupFolders(const QByteArray &driveRoot, const QByteArray &realRoot)
    : m_strRoot(WithoutTrailingSlashes(driveRoot)), m_strRealRoot(WithoutTrailingSlashes(realRoot))
{
    AddRoot("/var/cache/rsnapshot"); // rsnapshot's snapshot_root when its settings name none
    AddRoot("/timeshift");           // rsync snapshots of the system restore tool
    AddRoot("/timeshift-btrfs");     // its btrfs snapshots, where the top volume is the drive
    AddRoot("/.snapshots");          // snapper's snapshots of a btrfs root
}

void CBackupFolders::AddRoot(const QByteArray &path)
{
    const QByteArray clean = WithoutTrailingSlashes(path);
    if (!IsCleanAbsolute(clean) || clean == "/")
        return; // a backup of the whole drive at its root is no folder of its own
    const QByteArray onDrive = OnDrive(m_strRoot, clean);
    for (const QByteArray &known : m_roots) {
        if (known == onDrive)
            return;
    }
    m_roots.push_back(onDrive);
}

void CBackupFolders::Load(const QByteArray &systemEtc)
{
    AddConfigs(OnDrive(m_strRoot, "/etc"), true);
    if (m_strRealRoot != "/")
        AddConfigs(WithoutTrailingSlashes(systemEtc), false);
}

void CBackupFolders::AddConfigs(const QByteArray &etc, bool bOfDrive)
{
    for (const QByteArray &name : CMarkerFiles::FileNamesIn(etc, "rsnapshot", ".conf")) {
        const QByteArray text = CMarkerFiles::ReadHead(etc + '/' + name, kConfigLimit);
        for (const QByteArray &root : SnapshotRootsOf(text)) {
            if (bOfDrive) {
                AddRoot(root);
                continue;
            }
            // This system's settings name real paths: only those on the
            // scanned drive concern it, and they are named from its root.
            const QByteArray clean = WithoutTrailingSlashes(root);
            if (clean.startsWith(m_strRealRoot + '/'))
                AddRoot(clean.mid(m_strRealRoot.size()));
        }
    }
}

std::vector<QByteArray> CBackupFolders::SnapshotRootsOf(const QByteArray &config)
{
    // "snapshot_root<TAB>/path/": the tool wants tabs between key and value,
    // so a path may hold spaces; spaces alone are taken as a separator too.
    std::vector<QByteArray> roots;
    for (QByteArray line : config.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        static const QByteArray key = "snapshot_root";
        if (!line.startsWith(key) || line.size() == key.size() || (line[key.size()] != '\t' && line[key.size()] != ' '))
            continue;
        qsizetype start = key.size();
        while (start < line.size() && (line[start] == '\t' || line[start] == ' '))
            ++start;
        qsizetype end = line.size();
        while (end > start && (line[end - 1] == '\t' || line[end - 1] == ' '))
            --end;
        if (end > start)
            roots.push_back(line.mid(start, end - start));
    }
    return roots;
}

bool CBackupFolders::IsRepository(const QByteArray &path)
{
    const QByteArray base = path == "/" ? QByteArray() : path;
    // Both kinds keep a "config" file at the top: one look turns away
    // nearly every folder.
    if (CMarkerFiles::KindAt(base + "/config") != Kind::File)
        return false;
    const bool borg = CMarkerFiles::ReadHead(base + "/README", kReadmeLimit).startsWith(kBorgReadme);
    const bool restic = !borg && CMarkerFiles::KindAt(base + "/keys") == Kind::Folder
                        && CMarkerFiles::KindAt(base + "/snapshots") == Kind::Folder
                        && CMarkerFiles::KindAt(base + "/data") == Kind::Folder
                        && CMarkerFiles::KindAt(base + "/index") == Kind::Folder;
    return (borg || restic) && CMarkerFiles::KindAt(base + "/.nobackup") == Kind::Missing;
}

bool CBackupFolders::UnderRoot(const char *folder, std::size_t length) const
{
    for (const QByteArray &root : m_roots) {
        const std::size_t size = std::size_t(root.size());
        if (length >= size && std::memcmp(folder, root.constData(), size) == 0
            && (length == size || folder[size] == '/'))
            return true;
    }
    return false;
}

bool CBackupFolders::IsInBackup(const WalkRecord &record)
{
    const QByteArray &folder = record.folder;
    if (UnderRoot(folder.constData(), std::size_t(folder.size())))
        return true;
    if (!record.chain) {
        // Every folder from the drive's root down to the file's own.
        qsizetype end = folder.startsWith(m_strRoot) ? m_strRoot.size() : 0;
        for (;;) {
            if (end > 0 && IsRepository(folder.left(end)))
                return true;
            if (end >= folder.size())
                return false;
            const qsizetype slash = folder.indexOf('/', end + 1);
            end = slash < 0 ? folder.size() : slash;
        }
    }
    // The folders still on the way keep their verdicts; the rest are judged.
    const std::size_t levels = std::size_t(record.chainLength);
    std::size_t known = 0;
    while (known < m_chainSerials.size() && known < levels && m_chainSerials[known] == record.chain[known].serial) {
        if (m_chainVerdicts[known])
            return true;
        ++known;
    }
    m_chainSerials.resize(known);
    m_chainVerdicts.resize(known);
    for (std::size_t level = known; level < levels; ++level) {
        const WalkFolder &step = record.chain[level];
        // The walk's listing says whether the folder has a "config" at all:
        // no look by path (from "/" down, on every folder) for nearly all.
        const bool repository = step.configListed && IsRepository(folder.left(step.nameBegin + step.nameLength));
        m_chainSerials.push_back(step.serial);
        m_chainVerdicts.push_back(repository ? 1 : 0);
        if (repository)
            return true;
    }
    return false;
}
