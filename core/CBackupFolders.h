#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

struct WalkRecord;

// Where the backups of a drive lie, so that none of their files is ever
// offered: a backup's copy of a temporary or cache folder looks just like
// the real one to the folder rules. Backups are found two ways:
//
// - by where the backup tools put them, from the drive's own root and
//   settings: every `snapshot_root` of its etc/rsnapshot*.conf (and of this
//   system's, when another drive is scanned), rsnapshot's default, the
//   snapshot folders at the drive's root;
// - by what a folder holds: a borg or a restic repository, recognised by
//   its small marker files wherever it lies.
//
// A folder holding a ".nobackup" marker says it is not a backup's, so a
// repository-looking folder with one is judged by the other rules.
class CBackupFolders
{
public:
    // `driveRoot` as the walk names it; `realRoot` the same folder's real path.
    CBackupFolders(const QByteArray &driveRoot, const QByteArray &realRoot);

    // Reads the rsnapshot settings of the drive (driveRoot/etc) and of the
    // system at `systemEtc` (skipped when it is the drive's own).
    void Load(const QByteArray &systemEtc = QByteArrayLiteral("/etc"));

    // Whether files directly in the record's folder belong to a backup.
    // Folders of the walk's chain are probed once each for the markers;
    // a record without a chain has its folder's ancestors probed.
    bool IsInBackup(const WalkRecord &record);

    // The snapshot roots in use, as the walk names them (for tests and the
    // check script).
    const std::vector<QByteArray> &GetSnapshotRoots() const { return m_roots; }

    // `snapshot_root` values of one rsnapshot configuration text.
    static std::vector<QByteArray> SnapshotRootsOf(const QByteArray &config);
    // Whether the folder at `path` is a borg or restic repository, by its
    // markers (reads at most one small file).
    static bool IsRepository(const QByteArray &path);

private:
    void AddRoot(const QByteArray &path);
    void AddConfigs(const QByteArray &etc, bool bOfDrive);
    bool UnderRoot(const char *folder, std::size_t length) const;

    QByteArray m_strRoot;
    QByteArray m_strRealRoot;
    std::vector<QByteArray> m_roots;
    // The verdict of each folder on the walk's current chain, by depth.
    std::vector<std::uint64_t> m_chainSerials;
    std::vector<char> m_chainVerdicts;
};
