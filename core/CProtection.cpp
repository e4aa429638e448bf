#include "core/CProtection.h"

#include "core/CDpkgFileSource.h"
#include "core/CLiveWorkItems.h"
#include "core/CProcOpenFileSource.h"
#include "platform/RealPath.h"
#include "platform/WalkRecord.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QStringList>
#include <algorithm>
#include <cstring>

namespace {

QByteArray NormalisedRoot(QByteArray root)
{
    while (root.size() > 1 && root.endsWith('/'))
        root.chop(1);
    if (root.isEmpty())
        root = "/";
    return root;
}

// Fills the first %d and the first %s of a string-table format.
QString Fill(QString format, qint64 number, const QString &text = QString())
{
    const qsizetype d = format.indexOf(QLatin1String("%d"));
    if (d >= 0)
        format.replace(d, 2, QString::number(number));
    const qsizetype s = format.indexOf(QLatin1String("%s"));
    if (s >= 0)
        format.replace(s, 2, text);
    return format;
}

} // namespace

int ProtectionReasonTextId(ProtectionReason reason)
{
    switch (reason) {
    case ProtectionReason::PackageOwned:
        return IDS_PROTECTED_PACKAGE;
    case ProtectionReason::InUse:
        return IDS_PROTECTED_IN_USE;
    case ProtectionReason::ProtectedFolder:
        return IDS_PROTECTED_FOLDER;
    case ProtectionReason::Backup:
        return IDS_PROTECTED_BACKUP;
    case ProtectionReason::DesktopSession:
        return IDS_PROTECTED_DESKTOP;
    case ProtectionReason::NeedsAdmin:
        return IDS_PROTECTED_NEEDS_ADMIN;
    case ProtectionReason::Immutable:
        return IDS_PROTECTED_IMMUTABLE;
    case ProtectionReason::None:
        break;
    }
    return 0;
}

QString LockedReasonText(ProtectionReason reason)
{
    return LoadString(IDS_WHY_PROTECTED).replace(QLatin1String("%s"), LoadString(ProtectionReasonTextId(reason)));
}

CProtection::CProtection(const QByteArray &driveRoot, CProtectedTrees trees,
                         std::unique_ptr<CPackageFileSource> packages, std::unique_ptr<COpenFileSource> openFiles)
    : m_strRoot(NormalisedRoot(driveRoot))
    , m_strRealRoot(NormalisedRoot(RealPath(m_strRoot)))
    , m_trees(std::move(trees))
    , m_backups(m_strRoot, m_strRealRoot)
    , m_desktop(&CUserCredentials::HasRunningSession)
    , m_removability(CUserCredentials())
    , m_pPackages(std::move(packages))
    , m_pOpenFiles(std::move(openFiles))
{
}

std::unique_ptr<CProtection> CProtection::ForDrive(const QByteArray &driveRoot)
{
    const QByteArray root = NormalisedRoot(driveRoot);
    const QByteArray home = HomeFolder();
    auto protection = std::make_unique<CProtection>(root, CProtectedTrees(home.isEmpty() ? home : RealPath(home)),
                                                    std::make_unique<CDpkgFileSource>(root),
                                                    std::make_unique<CProcOpenFileSource>());
    protection->SetUser(CUserCredentials::Current());
    return protection;
}

CProtection::~CProtection()
{
    // The reader works on our members: it must end before they do.
    if (m_loading.valid())
        m_loading.wait();
}

void CProtection::Load()
{
    if (m_bLoaded) {
        WaitForLoad();
        return;
    }
    m_bLoaded = true;
    ReadSources();
}

void CProtection::StartLoad(std::function<void()> whileWaiting)
{
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    m_whileWaiting = std::move(whileWaiting);
    // Nothing else touches what ReadSources() fills until WaitForLoad().
    m_loading = std::async(std::launch::async, [this] {
        ReadSources();
        m_bLoadEnded.store(true, std::memory_order_release);
    });
}

void CProtection::WaitForLoad() const
{
    // A pump may reach here again while we wait: whoever sees the reading
    // end takes its result, and the other finds nothing left to wait for.
    while (m_loading.valid() && m_loading.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        if (m_whileWaiting)
            m_whileWaiting();
    }
    if (m_loading.valid())
        m_loading.get();
}

void CProtection::ReadSources()
{
    m_backups.Load(m_strSystemEtc);
    if (m_pPackages)
        m_bHavePackages = m_pPackages->LoadOwnedPaths(m_owned);
    if (m_pOpenFiles) {
        const COpenFileSource::OpenFiles open = m_openFiles.Load(*m_pOpenFiles);
        m_nProcesses = open.processes;
        m_nUnreadableProcesses = open.unreadableProcesses;
    }
}

std::int64_t CProtection::GetProtectedCount() const
{
    std::int64_t total = 0;
    for (std::size_t reason = 1; reason < std::size_t(kProtectionReasonCount); ++reason)
        total += m_counts[reason];
    return total;
}

std::size_t CProtection::GetMemoryBytes() const
{
    WaitForLoad();
    return m_owned.GetMemoryBytes() + m_openFiles.GetMemoryBytes();
}

ProtectionReason CProtection::Check(const WalkRecord &record)
{
    WaitForLoad();
    const ProtectionReason reason = FindReason(record);
    if (reason != ProtectionReason::None)
        ++m_counts[std::size_t(reason)];
    return reason;
}

ProtectionReason CProtection::FindReason(const WalkRecord &record)
{
    if (IsOwned(record))
        return ProtectionReason::PackageOwned;
    if (IsHeldOpen(record) || IsLocked(record))
        return ProtectionReason::InUse;
    if (const ProtectionReason shared = FolderReason(record); shared != ProtectionReason::None)
        return shared;
    if (!m_bLinuxRules)
        return ProtectionReason::None;
    if (m_desktop.IsSessionCache(record))
        return ProtectionReason::DesktopSession;
    return m_removability.Check(record);
}

bool CProtection::IsOwned(const WalkRecord &record)
{
    if (m_owned.GetCount() == 0)
        return false;
    // The lists name paths from the "/" of the system they describe, which
    // is the drive's root: strip the root the walk names them under.
    const char *folder = record.folder.constData();
    std::size_t length = std::size_t(record.folder.size());
    if (m_strRoot.size() > 1 && length >= std::size_t(m_strRoot.size())
        && std::memcmp(folder, m_strRoot.constData(), std::size_t(m_strRoot.size())) == 0) {
        folder += m_strRoot.size();
        length -= std::size_t(m_strRoot.size());
    }
    m_scratch.assign(folder, length);
    if (m_scratch.empty() || m_scratch.back() != '/')
        m_scratch += '/';
    m_scratch.append(record.name.constData(), std::size_t(record.name.size()));
    return m_owned.Contains(m_scratch);
}

bool CProtection::IsHeldOpen(const WalkRecord &record) const
{
    WaitForLoad();
    return m_openFiles.Contains(record.device, record.inode);
}

bool CProtection::IsLocked(const WalkRecord &record) const
{
    return m_bLinuxRules && m_openFiles.HasLocks() && m_openFiles.IsLocked(record.device, record.inode);
}

bool CProtection::IsBelowLockedFolder(const WalkRecord &record) const
{
    if (!m_bLinuxRules || !m_openFiles.HasLocks())
        return false;
    for (int level = 0; level < record.chainLength; ++level) {
        if (m_openFiles.IsLocked(record.chain[level].device, record.chain[level].inode))
            return true;
    }
    return false;
}

ProtectionReason CProtection::FolderReason(const WalkRecord &record)
{
    const QByteArray &folder = record.folder;
    if (m_bMemoValid && m_memoFolder.size() == std::size_t(folder.size())
        && std::memcmp(m_memoFolder.data(), folder.constData(), m_memoFolder.size()) == 0)
        return m_memoReason;
    m_memoFolder.assign(folder.constData(), std::size_t(folder.size()));
    m_bMemoValid = true;
    if (IsBelowLockedFolder(record))
        m_memoReason = ProtectionReason::InUse;
    else if (IsInProtectedFolder(folder))
        m_memoReason = ProtectionReason::ProtectedFolder;
    else if (m_bLinuxRules && m_backups.IsInBackup(record))
        m_memoReason = ProtectionReason::Backup;
    else
        m_memoReason = ProtectionReason::None;
    return m_memoReason;
}

bool CProtection::IsInProtectedFolder(const QByteArray &folder) const
{
    // Absolute entries are judged on the real path: a drive reached through
    // a link or mounted below a protected tree is judged where it really is.
    QByteArray real = folder;
    if (m_strRealRoot != m_strRoot && folder.startsWith(m_strRoot)
        && (m_strRoot == "/" || folder.size() == m_strRoot.size() || folder[m_strRoot.size()] == '/'))
        real = m_strRealRoot + folder.mid(m_strRoot == "/" ? 0 : m_strRoot.size());
    return m_trees.IsProtectedFolder(real);
}

QString CProtection::SummaryText(const Counts &counts, bool bLocked, int unreadableProcesses)
{
    std::int64_t total = 0;
    std::int64_t refused = 0;
    QStringList parts;
    for (int reason = 1; reason < kProtectionReasonCount; ++reason) {
        const std::int64_t count = counts[std::size_t(reason)];
        if (count == 0)
            continue;
        // A list that leaves files out tells those the user may not remove
        // apart: they are not protected, only out of reach.
        if (!bLocked && IsRemovalRefused(ProtectionReason(reason))) {
            refused += count;
            continue;
        }
        total += count;
        parts.append(Fill(LoadString(IDS_PROTECTED_REASON_COUNT), count,
                          LoadString(ProtectionReasonTextId(ProtectionReason(reason)))));
    }
    QStringList sentences;
    if (total > 0)
        sentences.append(Fill(LoadString(bLocked ? IDS_PROTECTED_LOCKED : IDS_PROTECTED_LEFT_OUT), total,
                              parts.join(QStringLiteral(", "))));
    if (refused > 0)
        sentences.append(Fill(LoadString(IDS_NOT_REMOVABLE_LEFT_OUT), refused));
    if (counts[kLeftUnchecked] > 0)
        sentences.append(Fill(Fill(LoadString(IDS_LIVE_LEFT_UNCHECKED), counts[kLeftUnchecked]),
                              CLiveWorkItems::kLiveWorkHours));
    if (unreadableProcesses > 0)
        sentences.append(unreadableProcesses == 1 ? LoadString(IDS_PROTECTED_UNREADABLE_ONE)
                                                  : Fill(LoadString(IDS_PROTECTED_UNREADABLE), unreadableProcesses));
    return sentences.join(QStringLiteral("; "));
}
