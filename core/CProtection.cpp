#include "core/CProtection.h"

#include "core/CDpkgFileSource.h"
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
    case ProtectionReason::None:
        break;
    }
    return 0;
}

CProtection::CProtection(const QByteArray &driveRoot, CProtectedTrees trees,
                         std::unique_ptr<CPackageFileSource> packages, std::unique_ptr<COpenFileSource> openFiles)
    : m_strRoot(NormalisedRoot(driveRoot))
    , m_strRealRoot(NormalisedRoot(RealPath(m_strRoot)))
    , m_trees(std::move(trees))
    , m_pPackages(std::move(packages))
    , m_pOpenFiles(std::move(openFiles))
{
}

CProtection::~CProtection() = default;

std::unique_ptr<CProtection> CProtection::ForDrive(const QByteArray &driveRoot)
{
    const QByteArray root = NormalisedRoot(driveRoot);
    const QByteArray database = (root == "/" ? QByteArray() : root) + "/var/lib/dpkg";
    const QByteArray home = HomeFolder();
    return std::make_unique<CProtection>(root, CProtectedTrees(home.isEmpty() ? home : RealPath(home)),
                                         std::make_unique<CDpkgFileSource>(database),
                                         std::make_unique<CProcOpenFileSource>());
}

void CProtection::Load()
{
    if (m_bLoaded)
        return;
    m_bLoaded = true;
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
    for (std::size_t reason = 1; reason < m_counts.size(); ++reason)
        total += m_counts[reason];
    return total;
}

std::size_t CProtection::GetMemoryBytes() const
{
    return m_owned.GetMemoryBytes() + m_openFiles.GetMemoryBytes();
}

ProtectionReason CProtection::Check(const WalkRecord &record)
{
    ProtectionReason reason = ProtectionReason::None;
    if (IsOwned(record))
        reason = ProtectionReason::PackageOwned;
    else if (IsHeldOpen(record))
        reason = ProtectionReason::InUse;
    else if (IsInProtectedFolder(record.folder))
        reason = ProtectionReason::ProtectedFolder;
    if (reason != ProtectionReason::None)
        ++m_counts[std::size_t(reason)];
    return reason;
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
    return m_openFiles.Contains(record.device, record.inode);
}

bool CProtection::IsInProtectedFolder(const QByteArray &folder)
{
    if (m_bMemoValid && m_memoFolder.size() == std::size_t(folder.size())
        && std::memcmp(m_memoFolder.data(), folder.constData(), m_memoFolder.size()) == 0)
        return m_bMemoProtected;
    m_memoFolder.assign(folder.constData(), std::size_t(folder.size()));
    m_bMemoValid = true;

    // Absolute entries are judged on the real path: a drive reached through
    // a link or mounted below a protected tree is judged where it really is.
    QByteArray real = folder;
    if (m_strRealRoot != m_strRoot && folder.startsWith(m_strRoot)
        && (m_strRoot == "/" || folder.size() == m_strRoot.size() || folder[m_strRoot.size()] == '/'))
        real = m_strRealRoot + folder.mid(m_strRoot == "/" ? 0 : m_strRoot.size());
    m_bMemoProtected = m_trees.IsProtectedFolder(real);
    return m_bMemoProtected;
}

QString CProtection::SummaryText(const Counts &counts, bool bLocked, int unreadableProcesses)
{
    std::int64_t total = 0;
    QStringList parts;
    for (int reason = 1; reason < kProtectionReasonCount; ++reason) {
        const std::int64_t count = counts[std::size_t(reason)];
        if (count == 0)
            continue;
        total += count;
        parts.append(Fill(LoadString(IDS_PROTECTED_REASON_COUNT), count,
                          LoadString(ProtectionReasonTextId(ProtectionReason(reason)))));
    }
    QString text;
    if (total > 0)
        text = Fill(LoadString(bLocked ? IDS_PROTECTED_LOCKED : IDS_PROTECTED_LEFT_OUT), total,
                    parts.join(QStringLiteral(", ")));
    if (unreadableProcesses > 0) {
        if (!text.isEmpty())
            text += QStringLiteral("; ");
        text += unreadableProcesses == 1 ? LoadString(IDS_PROTECTED_UNREADABLE_ONE)
                                         : Fill(LoadString(IDS_PROTECTED_UNREADABLE), unreadableProcesses);
    }
    return text;
}
