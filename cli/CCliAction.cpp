#include "cli/CCliAction.h"

#include "cli/CCommandLine.h"
#include "cli/CDryRunStep.h"
#include "cli/COutput.h"
#include "cli/CStopSignals.h"
#include "cli/CliText.h"
#include "core/CActionStep.h"
#include "core/CCompressStep.h"
#include "core/CMatchSink.h"
#include "core/CProtection.h"
#include "core/CRecordChain.h"
#include "core/CTrashGrouper.h"
#include "core/FileOpReason.h"
#include "core/MatchReason.h"
#include "core/PathEscape.h"
#include "core/PathJoin.h"
#include "platform/CPathInfo.h"
#include "platform/WalkRecord.h"
#include "res/ResourceIds.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Where the files of a list read back go: straight into the store.
class CStoreAdder : public CMatchSink
{
public:
    explicit CStoreAdder(CResultStore &store) : m_store(store) {}
    void AddMatch(const ScanMatch &match) override { m_store.AddResult(match.record, match.why); }

private:
    CResultStore &m_store;
};

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

} // namespace

CCliAction::CCliAction(const CliRequest &request) : m_request(request) {}

CCliAction::~CCliAction() = default;

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
    case FileOpCode::Protected: return CliText(IDS_CLI_REASON_PROTECTED);
    case FileOpCode::Failed: break;
    }
    if (result.error == EEXIST)
        return CliText(IDS_CLI_REASON_DESTINATION_TAKEN);
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
        const QByteArray folder = CPathInfo::Canonical(ParentFolderOf(absolute), error);
        if (folder.isEmpty()) {
            PrintError(CliText(IDS_CLI_NO_SUCH_PATH, {Shown(ParentFolderOf(absolute)), SystemReason(error)}));
            return false;
        }
        if (name.isEmpty() || name == "." || name == "..") {
            PrintError(CliText(IDS_CLI_ARCHIVE_IS_FOLDER, {Shown(m_request.archive)}));
            return false;
        }
        m_target.archive = JoinPath(folder, name);
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
    // The files join the store's folder tree as walked files do, so that
    // the folders an action empties are known by their depth; the files
    // of a trash entry become its one row again.
    CRecordChain chain(m_root);
    CStoreAdder adder(m_store);
    CTrashGrouper trash(adder, m_store, m_store.GetTrash(), m_root, CTrashGrouper::HomeTrash());
    MatchReason why;
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
        chain.Attach(record);
        why.folderLevel = entry.ruleDepth;
        trash.AddMatch(ScanMatch{record, why});
    }
    trash.Flush();
}

ActionOutcome CCliAction::RunStep(CActionStep &step, CProtection *protection)
{
    // Every listed file, in list order; the runner visits the last first,
    // as the results page visits its rows.
    std::vector<ActionRow> rows;
    rows.reserve(std::size_t(m_store.GetCount()));
    for (int index = 0; index < m_store.GetCount(); ++index) {
        if (m_store.IsChecked(index))
            rows.push_back({-1, index});
    }
    CActionRunner runner(step, m_store, m_root);
    runner.SetProtection(protection);
    return runner.Run(rows, *this);
}

bool CCliAction::IsCancelled()
{
    return CStopSignals::Received() != 0;
}

void CCliAction::OnRowDone(const ActionRow &row)
{
    m_store.Unlist(row.item);
}

void CCliAction::OnRowFailed(const ActionRow &, const FailedFile &failed)
{
    if (m_pOut)
        m_pOut->Flush(); // keep the report in step with what was printed before it
    PrintError(CliText(IDS_CLI_FILE_FAILED, {Shown(failed.path), ReasonText(failed.result)}));
}

void CCliAction::OnBetweenRows()
{
    if (m_pOut)
        m_pOut->MaybeFlush();
}

int CCliAction::Report(const ActionOutcome &outcome) const
{
    const QString word = QString::fromLatin1(CommandWord(m_request.command));
    const QString done = QString::number(outcome.done);
    const QString failed = QString::number(outcome.GetFailedCount());
    if (outcome.cancelled) {
        const int signal = CStopSignals::Received();
        PrintError(CliText(IDS_CLI_ACTION_CANCELLED, {word, done, failed}));
        return signal != 0 ? CStopSignals::ExitStatus(signal) : kExitFailed;
    }
    if (outcome.refused)
        return kExitUsage; // the step said why; nothing was touched
    if (outcome.GetFailedCount() > 0) {
        PrintError(CliText(IDS_CLI_ACTION_DONE, {word, done, failed}));
        return kExitFailed;
    }
    return kExitOk;
}

bool CCliAction::ArchiveTakesFiles() const
{
    if (m_request.command != CliRequest::Zip)
        return true;
    QString unavailable;
    const std::unique_ptr<CActionStep> step = CreateActionStep(m_request.command, m_store, m_target, unavailable);
    auto *compress = dynamic_cast<CCompressStep *>(step.get());
    // Without the plug-in the dry run still lists what would be stored.
    return !compress || compress->CheckArchiveOnce();
}

bool CCliAction::Prepare()
{
    if (!LoadList() || !ResolveTarget())
        return false;
    FillStore();
    return true;
}

int CCliAction::Run()
{
    if (!Prepare())
        return kExitUsage;
    // Files that installed software or a running program needs are refused
    // even when a list names them.
    const std::unique_ptr<CProtection> protection = CProtection::ForDrive(m_root);
    protection->Load();
    const CStopSignals stopSignals;
    if (m_request.dryRun) {
        if (!ArchiveTakesFiles())
            return kExitUsage; // said why, once, as the real run would
        COutput out(stdout);
        m_pOut = &out;
        CDryRunStep step(m_store, m_request.command, m_target, out.Buffer());
        const ActionOutcome outcome = RunStep(step, protection.get());
        out.Flush();
        m_pOut = nullptr;
        if (!out.IsOk()) {
            PrintError(CliText(IDS_CLI_OUTPUT_FAILED, {SystemReason(out.Error())}));
            return kExitFailed;
        }
        return Report(outcome);
    }
    QString unavailable;
    const std::unique_ptr<CActionStep> step = CreateActionStep(m_request.command, m_store, m_target, unavailable);
    if (!step) {
        PrintError(unavailable);
        return kExitUsage;
    }
    const ActionOutcome outcome = RunStep(*step, protection.get());
    if (m_request.summary) {
        const QByteArray line =
            CliText(IDS_FOLDERS_REMOVED, {QString::number(step->GetRemovedFolders())}).toUtf8() + '\n';
        std::fflush(stdout);
        std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    }
    return Report(outcome);
}
