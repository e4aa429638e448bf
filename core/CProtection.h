#pragma once

#include "core/CBackupFolders.h"
#include "core/CDesktopSessionCaches.h"
#include "core/CHeldOpenFiles.h"
#include "core/COpenFileSource.h"
#include "core/CPackageFileSource.h"
#include "core/CPathHashSet.h"
#include "core/CProtectedTrees.h"
#include "core/CRemovability.h"
#include "core/ProtectionReason.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

struct WalkRecord;

// Decides, for each file a scan is about to offer, whether it must never be
// offered: a file the package manager owns, a file a running process holds
// or that lies below a locked folder, a file below a protected folder, a
// backup, a cache a running desktop session needs, and a file the user may
// not remove. Widget-free, so every front end applies the same rules.
//
// A caller builds one per scan of a drive:
//
//     auto protection = CProtection::ForDrive(driveRoot); // this machine's sources
//     protection->Load();                                 // reads them, once
//     ... for each matching file: protection->Check(record) ...
//     protection->GetCounts();                            // what was held back, and why
//
// or, for a drive of its own making (tests, other systems), gives the
// constructor its own sources: a package database folder, an open-file
// source, a home folder.
class CProtection
{
public:
    // By ProtectionReason, and in the last slot the files listed unchecked
    // because they are live work.
    using Counts = std::array<std::int64_t, kProtectionReasonCount + 1>;
    static constexpr std::size_t kLeftUnchecked = kProtectionReasonCount;

    // `driveRoot`: the root the walk starts from, as the walk names it.
    // `packages` name paths from the drive's own "/"; either source may be null.
    CProtection(const QByteArray &driveRoot, CProtectedTrees trees, std::unique_ptr<CPackageFileSource> packages,
                std::unique_ptr<COpenFileSource> openFiles);
    ~CProtection();
    CProtection(const CProtection &) = delete;
    CProtection &operator=(const CProtection &) = delete;

    // This machine's rules for the drive at `driveRoot`: the Debian package
    // database of the system whose "/" the drive is (read through dpkg's
    // query programs; none when the drive holds no system), the processes
    // of /proc and its lock table, the default folder table with the current
    // user's home, the backup tools' settings of the drive and of this
    // system, the current user's rights.
    static std::unique_ptr<CProtection> ForDrive(const QByteArray &driveRoot);

    // Who may remove files: without credentials (the constructor's default)
    // nothing is refused for want of rights, only immutable files.
    void SetUser(const CUserCredentials &user) { m_removability = CRemovability(user); }
    // The rules beyond installed software and open files: locks, backups,
    // desktop sessions, removability (and, for the scan that uses this
    // protection, live work). On by default; off only to measure what they
    // cost.
    void SetLinuxRules(bool bOn) { m_bLinuxRules = bOn; }
    bool HasLinuxRules() const { return m_bLinuxRules; }
    // Where the system's own settings are read (its rsnapshot settings).
    void SetSystemEtc(const QByteArray &etc) { m_strSystemEtc = etc; }

    // Reads the package lists, the open files and locks and the backup
    // settings. Later calls do nothing: what a scan protects is decided by
    // what held at its start.
    void Load();
    bool IsLoaded() const { return m_bLoaded; }
    // Starts Load() on a thread of its own and returns at once, so that the
    // walk can begin meanwhile: reading a machine's package lists and every
    // process's open files takes a fixed while that otherwise comes before
    // the first folder. The first Check() (or Load()) waits for the reading
    // to end, calling `whileWaiting` every few milliseconds (a window pumps
    // its events there).
    void StartLoad(std::function<void()> whileWaiting = {});
    // Whether Check() would answer at once: loaded, or never started on a
    // thread. Never waits.
    bool IsLoadDone() const { return !m_loading.valid() || m_bLoadEnded.load(std::memory_order_acquire); }

    // The reason `record` (a file the walk met) must not be offered, or
    // None; each protected verdict is counted.
    ProtectionReason Check(const WalkRecord &record);

    const Counts &GetCounts() const { return m_counts; }
    std::int64_t GetProtectedCount() const;
    void ResetCounts() { m_counts.fill(0); }

    bool HasPackageDatabase() const { WaitForLoad(); return m_bHavePackages; }
    std::size_t GetOwnedPathCount() const { WaitForLoad(); return m_owned.GetCount(); }
    std::size_t GetOpenFileCount() const { WaitForLoad(); return m_openFiles.GetCount(); }
    // Whether this protection was given a source of open files: without
    // one it cannot tell a file held open from any other.
    bool KnowsOpenFiles() const { return m_pOpenFiles != nullptr; }
    // Whether a running process held the file when Load() ran, whatever
    // other reason may protect it.
    bool IsHeldOpen(const WalkRecord &record) const;
    const CHeldOpenFiles &GetHeldOpenFiles() const { WaitForLoad(); return m_openFiles; }
    int GetProcessCount() const { WaitForLoad(); return m_nProcesses; }
    int GetUnreadableProcesses() const { WaitForLoad(); return m_nUnreadableProcesses; }
    // Bytes held for the lookups (package paths and open files).
    std::size_t GetMemoryBytes() const;

    // One line for the user: how many files were held back and why, with
    // `bLocked` for a list that shows them locked rather than leaving them
    // out (a list that leaves them out counts the files the user may not
    // remove apart), and how many were left unchecked as live work. Empty
    // when nothing was held back.
    static QString SummaryText(const Counts &counts, bool bLocked, int unreadableProcesses);

private:
    ProtectionReason FindReason(const WalkRecord &record);
    void ReadSources();
    void WaitForLoad() const;
    bool IsOwned(const WalkRecord &record);
    bool IsLocked(const WalkRecord &record) const;
    // The reason every file directly in the record's folder shares, or None.
    ProtectionReason FolderReason(const WalkRecord &record);
    bool IsInProtectedFolder(const QByteArray &folder) const;
    bool IsBelowLockedFolder(const WalkRecord &record) const;

    QByteArray m_strRoot;     // as the walk names it, no trailing slash except "/"
    QByteArray m_strRealRoot; // the same folder's real path from "/"
    CProtectedTrees m_trees;
    CBackupFolders m_backups;
    CDesktopSessionCaches m_desktop;
    CRemovability m_removability;
    QByteArray m_strSystemEtc = QByteArrayLiteral("/etc");
    bool m_bLinuxRules = true;
    std::unique_ptr<CPackageFileSource> m_pPackages;
    std::unique_ptr<COpenFileSource> m_pOpenFiles;

    bool m_bLoaded = false;
    // The reading StartLoad() began, until it has been waited for.
    mutable std::future<void> m_loading;
    std::atomic<bool> m_bLoadEnded{false}; // set by the reading thread as it ends
    std::function<void()> m_whileWaiting;
    bool m_bHavePackages = false;
    CPathHashSet m_owned;
    CHeldOpenFiles m_openFiles;
    int m_nProcesses = 0;
    int m_nUnreadableProcesses = 0;
    Counts m_counts{};

    // The verdict on the last folder seen: the walk hands over the files of
    // one folder one after another.
    std::string m_memoFolder;
    bool m_bMemoValid = false;
    ProtectionReason m_memoReason = ProtectionReason::None;
    std::string m_scratch;
};
