#include "cli/CCliAction.h"

#include "cli/CCommandLine.h"
#include "core/FileOpReason.h"
#include "cli/COutput.h"
#include "cli/CliText.h"
#include "cli/ProtectionHook.h"
#include "core/CActionStep.h"
#include "core/PathEscape.h"
#include "platform/CPathInfo.h"
#include "platform/WalkRecord.h"
#include "res/ResourceIds.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr qint64 kListLimit = qint64(1) << 32;

QString Shown(const QByteArray &path)
{
    return QString::fromUtf8(EscapeForMessage(path));
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

const char *CommandWord(CliRequest::Command command)
{
    switch (command) {
    case CliRequest::Move: return "move";
    case CliRequest::Zip: return "zip";
    default: return "delete";
    }
}

QByteArray ParentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray Join(const QByteArray &folder, const QByteArray &rest)
{
    return folder.endsWith('/') ? folder + rest : folder + '/' + rest;
}

} // namespace

CCliAction::CCliAction(const CliRequest &request) : m_request(request) {}

QString CCliAction::ReasonText(const FileOpResult &result)
{
    switch (result.code) {
    case FileOpCode::Ok: return {};
    case FileOpCode::Gone: return CliText(IDS_CLI_REASON_GONE);
    case FileOpCode::Replaced:
    case FileOpCode::Changed: return CliText(IDS_CLI_REASON_REPLACED);
    case FileOpCode::Permission: return CliText(IDS_CLI_REASON_PERMISSION);
    case FileOpCode::LeftAside:
    case FileOpCode::AlreadyThere: return DescribeFileOp(result);
    case FileOpCode::Failed: break;
    }
    return SystemReason(result.error != 0 ? result.error : EIO);
}

bool CCliAction::LoadList()
{
    const QString shown = Shown(m_request.listPath);
    QByteArray text;
    int error = 0;
    if (!CPathInfo::ReadFile(m_request.listPath, kListLimit, text, error)) {
        PrintError(CliText(IDS_CLI_LIST_UNREADABLE, {shown, SystemReason(error)}));
        return false;
    }
    CListFile::Parsed parsed = CListFile::Parse(text);
    const QString line = QString::number(parsed.line);
    switch (parsed.error) {
    case CListFile::Error::None:
        break;
    case CListFile::Error::NotAList:
        PrintError(CliText(IDS_CLI_LIST_NOT_A_LIST, {shown}));
        return false;
    case CListFile::Error::Version:
        PrintError(CliText(IDS_CLI_LIST_VERSION, {shown, Shown(parsed.detail), QString::number(CListFile::kFormatVersion)}));
        return false;
    case CListFile::Error::BadLine:
        PrintError(CliText(IDS_CLI_LIST_BAD_LINE, {shown, line}));
        return false;
    case CListFile::Error::Truncated:
        PrintError(CliText(IDS_CLI_LIST_TRUNCATED, {shown}));
        return false;
    case CListFile::Error::OutsideRoot:
        PrintError(CliText(IDS_CLI_LIST_OUTSIDE_ROOT, {shown, line, Shown(parsed.root)}));
        return false;
    case CListFile::Error::Duplicate:
        PrintError(CliText(IDS_CLI_LIST_DUPLICATE, {shown, line}));
        return false;
    }
    m_root = parsed.root;
    m_entries = std::move(parsed.entries);
    return true;
}

bool CCliAction::ResolveTarget()
{
    m_target.driveRoot = m_root;
    m_target.preservePath = m_request.preservePath;
    int error = 0;
    if (m_request.command == CliRequest::Move) {
        m_target.folder = CPathInfo::Canonical(m_request.folder, error);
        if (m_target.folder.isEmpty()) {
            PrintError(CliText(IDS_CLI_NO_SUCH_PATH, {Shown(m_request.folder), SystemReason(error)}));
            return false;
        }
        if (CPathInfo::LookUp(m_target.folder).kind != PathInfo::Folder) {
            PrintError(CliText(IDS_CLI_NOT_A_FOLDER, {Shown(m_request.folder)}));
            return false;
        }
    }
    if (m_request.command == CliRequest::Zip) {
        // The archive's folder must exist; the archive itself may (it collects entries).
        const QByteArray absolute = CPathInfo::Absolute(m_request.archive);
        const qsizetype slash = absolute.lastIndexOf('/');
        const QByteArray name = absolute.mid(slash + 1);
        const QByteArray folder = CPathInfo::Canonical(ParentOf(absolute), error);
        if (folder.isEmpty()) {
            PrintError(CliText(IDS_CLI_NO_SUCH_PATH, {Shown(ParentOf(absolute)), SystemReason(error)}));
            return false;
        }
        if (name.isEmpty() || name == "." || name == "..") {
            PrintError(CliText(IDS_CLI_ARCHIVE_IS_FOLDER, {Shown(m_request.archive)}));
            return false;
        }
        m_target.archive = Join(folder, name);
        const PathInfo info = CPathInfo::LookUp(m_target.archive);
        if (info.kind == PathInfo::Folder) {
            PrintError(CliText(IDS_CLI_ARCHIVE_IS_FOLDER, {Shown(m_request.archive)}));
            return false;
        }
        // Writing the archive over a file it is to hold would destroy that
        // file: refuse the archive by its path and, when it exists, by who it is
        // (a link or a second name for a listed file).
        const QByteArray reached = info.kind == PathInfo::Missing ? QByteArray() : CPathInfo::Canonical(m_target.archive, error);
        const PathInfo target = reached.isEmpty() ? info : CPathInfo::LookUp(reached);
        for (const ListEntry &entry : m_entries) {
            const bool samePath = entry.path == m_target.archive || (!reached.isEmpty() && entry.path == reached);
            const bool sameFile = target.kind != PathInfo::Missing && entry.identity.device == target.identity.device
                                  && entry.identity.inode == target.identity.inode;
            if (samePath || sameFile) {
                PrintError(CliText(IDS_CLI_ARCHIVE_LISTED, {Shown(m_request.archive)}));
                return false;
            }
        }
    }
    return true;
}

void CCliAction::FillStore()
{
    WalkRecord record;
    for (const ListEntry &entry : m_entries) {
        const qsizetype slash = entry.path.lastIndexOf('/');
        record.folder = slash == 0 ? QByteArray("/") : entry.path.left(slash);
        record.name = entry.path.mid(slash + 1);
        record.identity = entry.identity;
        record.device = entry.identity.device;
        record.inode = entry.identity.inode;
        record.size = entry.identity.size;
        record.modifiedTime = entry.identity.modifiedNs / 1000000000;
        record.creationTime = entry.identity.hasBirth ? entry.identity.birthNs / 1000000000 : record.modifiedTime;
        record.accessedTime = 0;
        m_store.AddResult(record);
    }
}

QByteArray CCliAction::DestinationOf(int index) const
{
    const QByteArray path = m_store.GetPath(index);
    switch (m_request.command) {
    case CliRequest::Move:
        if (m_target.preservePath) {
            // The file's folders below the drive root are rebuilt below the folder.
            const QByteArray below = m_root == "/" ? path.mid(1) : path.mid(m_root.size() + 1);
            return Join(m_target.folder, below);
        }
        return Join(m_target.folder, m_store.GetPaths().GetName(index));
    case CliRequest::Zip:
        return m_target.archive;
    default:
        return {};
    }
}

void CCliAction::ReportFailure(int index, const QString &reason)
{
    PrintError(CliText(IDS_CLI_FILE_FAILED, {Shown(m_store.GetPath(index)), reason}));
}

bool CCliAction::FolderChainIntact(const QByteArray &folder)
{
    // The real steps reach a file from the drive root without following a
    // link; a folder swapped for a link since the scan makes them refuse the
    // file, so the dry run must not promise it.
    const auto known = m_folderIntact.constFind(folder);
    if (known != m_folderIntact.constEnd())
        return known.value();
    bool intact = CPathInfo::LookUp(folder).kind == PathInfo::Folder;
    if (intact && folder != m_root)
        intact = FolderChainIntact(ParentOf(folder));
    m_folderIntact.insert(folder, intact);
    return intact;
}

WalkRecord CCliAction::RecordOf(int index) const
{
    // What protection judges: where the file is and which file it is.
    WalkRecord record;
    record.folder = m_store.GetPaths().GetFolder(index);
    record.name = m_store.GetPaths().GetName(index);
    record.device = m_store.GetDevice(index);
    record.inode = m_store.GetInode(index);
    return record;
}

bool CCliAction::IsStillListedFile(int index, const PathInfo &now) const
{
    return now.kind != PathInfo::Missing && m_entries[std::size_t(index)].identity.SameFile(now.identity);
}

bool CCliAction::DryRunOne(int index, QByteArray &out, QString &reason)
{
    const QByteArray path = m_store.GetPath(index);
    const PathInfo now = CPathInfo::LookUp(path);
    // Protection judges the listed file: one that is gone or was replaced
    // is reported as such, whatever now holds its inode number.
    if (IsStillListedFile(index, now) && IsProtectedFile(m_root, RecordOf(index))) {
        reason = CliText(IDS_CLI_REASON_PROTECTED);
        return false;
    }
    if (now.kind == PathInfo::Missing) {
        reason = now.error == ENOENT || now.error == ENOTDIR ? CliText(IDS_CLI_REASON_GONE) : SystemReason(now.error);
        return false;
    }
    if (!m_entries[std::size_t(index)].identity.SameFile(now.identity)
        || !FolderChainIntact(m_store.GetPaths().GetFolder(index))) {
        reason = CliText(IDS_CLI_REASON_REPLACED);
        return false;
    }
    const QByteArray destination = DestinationOf(index);
    if (m_request.command == CliRequest::Move) {
        if (m_plannedDestinations.contains(destination)
            || CPathInfo::LookUp(destination).kind != PathInfo::Missing) {
            reason = CliText(IDS_CLI_REASON_DESTINATION_TAKEN);
            return false;
        }
        m_plannedDestinations.insert(destination);
    }
    out += CommandWord(m_request.command);
    out += '\t';
    out += EscapePath(path);
    if (!destination.isEmpty()) {
        out += '\t';
        out += EscapePath(destination);
    }
    out += '\n';
    return true;
}

int CCliAction::DryRun()
{
    COutput out(stdout);
    int done = 0;
    int failed = 0;
    for (int index = m_store.GetCount() - 1; index >= 0; --index) {
        QString reason;
        if (DryRunOne(index, out.Buffer(), reason)) {
            ++done;
        } else {
            out.Flush(); // keep the report in step with what was printed before it
            ReportFailure(index, reason);
            ++failed;
        }
        out.MaybeFlush();
    }
    out.Flush();
    if (!out.IsOk()) {
        PrintError(CliText(IDS_CLI_OUTPUT_FAILED, {SystemReason(out.Error())}));
        return kExitFailed;
    }
    return Finish(done, failed);
}

int CCliAction::RunSteps(CActionStep &step)
{
    int done = 0;
    int failed = 0;
    // From the last file to the first, as the results page visits its rows.
    for (int index = m_store.GetCount() - 1; index >= 0; --index) {
        if (!m_store.IsChecked(index))
            continue;
        if (IsStillListedFile(index, CPathInfo::LookUp(m_store.GetPath(index)))
            && IsProtectedFile(m_root, RecordOf(index))) {
            ReportFailure(index, CliText(IDS_CLI_REASON_PROTECTED));
            ++failed;
            continue;
        }
        const FileOpResult result = step.Run(index);
        if (result.ok()) {
            m_store.Unlist(index);
            ++done;
        } else {
            ReportFailure(index, ReasonText(result));
            ++failed;
        }
    }
    return Finish(done, failed);
}

int CCliAction::Finish(int done, int failed) const
{
    if (failed > 0) {
        PrintError(CliText(IDS_CLI_ACTION_DONE, {QString::fromLatin1(CommandWord(m_request.command)),
                                                 QString::number(done), QString::number(failed)}));
        return kExitFailed;
    }
    return kExitOk;
}

int CCliAction::Run()
{
    if (!LoadList() || !ResolveTarget())
        return kExitUsage;
    FillStore();
    if (m_request.dryRun)
        return DryRun();
    QString unavailable;
    const std::unique_ptr<CActionStep> step = CreateActionStep(m_request.command, m_store, m_target, unavailable);
    if (!step) {
        PrintError(unavailable);
        return kExitUsage;
    }
    return RunSteps(*step);
}
