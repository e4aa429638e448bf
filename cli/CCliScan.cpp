#include "cli/CCliScan.h"

#include "cli/CCommandLine.h"
#include "cli/CJsonListWriter.h"
#include "cli/CListFile.h"
#include "cli/COutput.h"
#include "cli/CliText.h"
#include "core/CCsvListWriter.h"
#include "core/CResultsSorter.h"
#include "core/CTrashGrouper.h"
#include "core/FreesText.h"
#include "core/MatchReason.h"
#include "core/PathEscape.h"
#include "core/SizeText.h"
#include "platform/CPathInfo.h"
#include "platform/IsoTime.h"
#include "platform/WalkRecord.h"
#include "res/ResourceIds.h"

#include <QDateTime>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <numeric>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr std::int64_t kProgressIntervalMs = 200;
// A list is read whole; anything this large is not one.
constexpr qint64 kListLimit = qint64(1) << 32;

QString Number(std::int64_t n)
{
    return QString::number(n);
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

CCliScan::CCliScan(const CliRequest &request) : m_request(request) {}

bool CCliScan::ParseNow(const QByteArray &text, std::int64_t &seconds)
{
    const QString trimmed = QString::fromLatin1(text).trimmed();
    // A date and a time, nothing less: a bare date is too easily a mistake.
    if (!trimmed.contains(QLatin1Char('T')))
        return false;
    const QDateTime time = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!time.isValid())
        return false;
    seconds = time.toSecsSinceEpoch();
    return true;
}

bool CCliScan::ReadNow(std::optional<std::int64_t> &now) const
{
    const QByteArray text = qgetenv("BRIMVALE_NOW");
    if (text.isEmpty())
        return true;
    std::int64_t seconds = 0;
    if (!ParseNow(text, seconds)) {
        PrintError(CliText(IDS_CLI_BAD_NOW, {QString::fromUtf8(EscapeForMessage(text))}));
        return false;
    }
    now = seconds;
    return true;
}

bool CCliScan::ResolveDrive()
{
    int error = 0;
    m_root = CPathInfo::Canonical(m_request.drive, error);
    if (m_root.isEmpty()) {
        PrintError(CliText(IDS_CLI_NO_SUCH_PATH, {QString::fromUtf8(EscapeForMessage(m_request.drive)),
                                                  SystemReason(error)}));
        return false;
    }
    if (CPathInfo::LookUp(m_root).kind != PathInfo::Folder) {
        PrintError(CliText(IDS_CLI_NOT_A_FOLDER, {QString::fromUtf8(EscapeForMessage(m_request.drive))}));
        return false;
    }
    return true;
}

bool CCliScan::CheckSaveTarget()
{
    if (m_request.savePath.isEmpty())
        return true;
    const QString shown = QString::fromUtf8(EscapeForMessage(m_request.savePath));
    const PathInfo info = CPathInfo::LookUp(m_request.savePath);
    if (info.kind == PathInfo::Missing) {
        // Found out now, not after a long walk: the folder must be there.
        int error = info.error;
        if (error == ENOENT) {
            const QByteArray absolute = CPathInfo::Absolute(m_request.savePath);
            const qsizetype slash = absolute.lastIndexOf('/');
            const QByteArray folder = CPathInfo::Canonical(slash <= 0 ? QByteArray("/") : absolute.left(slash), error);
            if (!folder.isEmpty() && CPathInfo::LookUp(folder).kind == PathInfo::Folder)
                return true;
            if (error == 0)
                error = ENOTDIR;
        }
        PrintError(CliText(IDS_CLI_SAVE_FAILED, {shown, SystemReason(error)}));
        return false;
    }
    // Only an earlier list is replaced: a mistyped name must not cost the
    // user a file of their own.
    QByteArray text;
    int error = 0;
    if (info.kind != PathInfo::File || !CPathInfo::ReadFile(m_request.savePath, kListLimit, text, error)
        || !CListFile::LooksLikeList(text)) {
        PrintError(CliText(IDS_CLI_SAVE_REFUSED, {shown}));
        return false;
    }
    return true;
}

void CCliScan::ShowProgress(bool force)
{
    const std::int64_t now = m_clock.elapsed();
    if (!force && now < m_nNextProgressMs)
        return;
    m_nNextProgressMs = now + kProgressIntervalMs;
    const std::int64_t rate = now > 0 ? m_nExamined * 1000 / now : 0;
    const QByteArray line = "\r" + CliText(IDS_CLI_PROGRESS, {Number(m_nExamined), Number(m_nListed), Number(rate)}).toUtf8()
                            + "\x1b[K";
    if (m_bOutOnTerminal) {
        // Output to the same terminal goes above the line, not after it.
        ClearProgress();
        m_pOut->Flush();
    }
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    std::fflush(stderr);
    m_bProgressShown = true;
}

void CCliScan::ClearProgress()
{
    if (!m_bProgressShown)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_bProgressShown = false;
}

void CCliScan::WriteLine(const char *path, qsizetype pathSize, std::int64_t size, std::int64_t modified,
                         const QString &reason, bool bChecked)
{
    QByteArray &out = m_pOut->Buffer();
    if (m_request.print0) {
        // Paths for another program to act on: only the files an action
        // would take.
        if (!bChecked)
            return;
        out.append(path, pathSize);
        out += '\0';
    } else {
        AppendEscapedPath(path, pathSize, out);
        out += '\t';
        out += QByteArray::number(qint64(size));
        out += '\t';
        AppendIsoLocalTime(modified, out);
        out += '\t';
        // A pattern may hold any character; the line stays one line.
        const QByteArray why = reason.toUtf8();
        AppendEscapedPath(why.constData(), why.size(), out);
        out += '\n';
    }
    FlushIfDue();
}

void CCliScan::WriteRow(const CCsvListWriter::Row &row)
{
    if (m_request.json)
        CJsonListWriter::AppendFile(row, m_nWritten == 0, m_pOut->Buffer());
    else
        CCsvListWriter::AppendRow(row, m_pOut->Buffer());
    ++m_nWritten;
    FlushIfDue();
}

void CCliScan::WriteCsvRecord(const WalkRecord &record, const QString &reason, bool bChecked, int item)
{
    CCsvListWriter::Row row;
    row.name = record.name.constData();
    row.nameSize = record.name.size();
    row.folder = record.folder.constData();
    row.folderSize = record.folder.size();
    row.size = record.size;
    row.allocated = record.allocatedBytes;
    row.created = record.creationTime;
    row.modified = record.modifiedTime;
    row.accessed = record.accessedTime;
    row.reason = &reason;
    row.checked = bChecked;
    row.freesMin = m_forecast.FreedBy({item}, &row.freesMax);
    WriteRow(row);
}

void CCliScan::FlushIfDue()
{
    if (m_pOut->IsDue()) {
        if (m_bOutOnTerminal)
            ClearProgress();
        m_pOut->Flush();
    }
}

void CCliScan::OnFileMet(const WalkRecord &)
{
    ++m_nExamined;
    if (m_bProgress && (m_nExamined & 255) == 0)
        ShowProgress(false);
}

void CCliScan::AddMatch(const ScanMatch &match)
{
    const WalkRecord &record = match.record;
    const bool locked = match.protection != ProtectionReason::None;
    const bool checked = !locked && !match.unchecked;
    ++m_nListed;
    m_nListedBytes += record.size;
    if (checked) {
        ++m_nSelected;
        m_nSelectedBytes += record.size;
    }
    const int item = m_forecast.AddFile(record.device, record.inode, record.allocatedBytes, record.linkCount,
                                        match.heldOpen, checked, &record.sharedExtents);
    if (m_bKeep) {
        if (locked)
            m_store.AddLockedResult(record, match.protection, match.heldOpen);
        else if (match.unchecked)
            m_store.AddUncheckedResult(record, match.why, match.heldOpen);
        else
            m_store.AddResult(record, match.why, match.heldOpen);
        m_identities.push_back(record.identity);
    }
    if (!m_bStream)
        return;
    const QString lockedWhy = locked ? LockedReasonText(match.protection) : QString();
    const QString &why = locked ? lockedWhy : match.why.text;
    if (m_request.csv || m_request.json) {
        WriteCsvRecord(record, why, checked, item);
    } else {
        m_path.clear();
        m_path += record.folder;
        if (!m_path.endsWith('/'))
            m_path += '/';
        m_path += record.name;
        WriteLine(m_path.constData(), m_path.size(), record.size, record.modifiedTime, why, checked);
    }
}

void CCliScan::WriteStored(const std::vector<int> &order)
{
    QByteArray name;
    QByteArray folder;
    for (int index : order) {
        if (m_request.csv || m_request.json) {
            WriteRow(CCsvListWriter::StoreRow(m_store, index, name, folder));
            continue;
        }
        const QByteArray path = m_store.GetPath(index);
        WriteLine(path.constData(), path.size(), m_store.GetSize(index), m_store.GetModifiedTime(index),
                  m_store.GetReasonText(index), m_store.IsChecked(index));
    }
}

bool CCliScan::SaveList(const std::vector<int> &order)
{
    QByteArray text;
    CListFile::AppendHeader(text, m_root);
    for (int index : order) {
        if (m_store.GetTrash().Find(index)) {
            AppendTrashEntry(text, index);
            continue;
        }
        const QByteArray path = m_store.GetPath(index);
        const CListFile::State state = m_store.IsLocked(index)     ? CListFile::State::Locked
                                       : m_store.IsChecked(index) ? CListFile::State::Checked
                                                                  : CListFile::State::Unchecked;
        CListFile::AppendEntry(text, path.constData(), path.size(), m_identities[std::size_t(index)],
                               m_store.GetRuleFolderDepth(m_store.GetPaths().GetFolderIndex(index)), state);
    }
    CListFile::AppendFooter(text);
    int error = 0;
    if (!CPathInfo::ReplaceFile(m_request.savePath, text, error)) {
        PrintError(CliText(IDS_CLI_SAVE_FAILED, {QString::fromUtf8(EscapeForMessage(m_request.savePath)),
                                                 SystemReason(error)}));
        return false;
    }
    return true;
}

void CCliScan::AppendTrashEntry(QByteArray &text, int index) const
{
    const CTrashItem &item = *m_store.GetTrash().Find(index);
    const QByteArray row = m_store.GetPath(index);
    if (item.isFolder) {
        for (const CTrashItem::Member &member : item.members) {
            const QByteArray path = row + '/' + member.relativePath;
            CListFile::AppendEntry(text, path.constData(), path.size(), member.identity);
        }
    } else {
        CListFile::AppendEntry(text, row.constData(), row.size(), m_identities[std::size_t(index)]);
    }
    if (item.hasInfo) {
        const QByteArray info = item.InfoFolder() + '/' + item.InfoName();
        CListFile::AppendEntry(text, info.constData(), info.size(), item.infoIdentity);
    }
}

void CCliScan::PrintSummary(const ScanOutcome &outcome) const
{
    const std::int64_t unreadable = outcome.skippedFolders + (outcome.rootUnavailable ? 1 : 0);
    const QString free = GetFreeSpaceText(m_root);
    QStringList lines = {
        // The results page's totals line: what the files take, and what
        // removing them would really give back.
        CliText(IDS_SELECTION_FORMAT, {FormatSize(m_nSelectedBytes), Number(m_nSelected)}) + QLatin1String("  ")
            + FormatFrees(m_forecast.GetForecast(), m_forecast.GetUpTo()),
        CliText(IDS_FREE_SPACE_FORMAT, {free.isEmpty() ? QStringLiteral("?") : free}),
        CliText(IDS_CLI_SUMMARY_LISTED, {Number(m_nListed), Number(m_nListedBytes)}),
        CliText(IDS_CLI_SUMMARY_EXAMINED, {Number(m_nExamined)}),
        CliText(IDS_CLI_SUMMARY_UNREADABLE, {Number(unreadable)}),
        CliText(IDS_CLI_SUMMARY_PROTECTED, {Number(outcome.LeftOutCount())}),
    };
    const QString why =
        CProtection::SummaryText(outcome.protectedCounts, outcome.protectedLocked, outcome.unreadableProcesses);
    if (!why.isEmpty())
        lines.append(why);
    lines.append(outcome.GetSpaceNotes());
    const QByteArray text = lines.join(QLatin1Char('\n')).toUtf8() + '\n';
    std::fflush(stdout);
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stderr);
    std::fflush(stderr);
}

int CCliScan::Run()
{
    std::optional<std::int64_t> now;
    if (!ResolveDrive() || !CheckSaveTarget() || !ReadNow(now))
        return kExitUsage;

    CFileScan criteria = m_request.criteria;
    criteria.m_strDrive = QFile::decodeName(m_root);
    COutput out(stdout);
    m_pOut = &out;

    // --reverse alone turns the walk's order round.
    const bool sorted = m_request.sortColumn >= 0 || m_request.reverse;
    m_bKeep = sorted || !m_request.savePath.isEmpty();
    m_bStream = !sorted;
    // A progress line is drawn with control sequences: only on a terminal
    // that takes them, and never into a file or a pipe.
    m_bProgress = !m_request.noProgress && COutput::TakesControlSequences(2);
    m_bOutOnTerminal = m_bProgress && CPathInfo::IsTerminal(1);
    m_clock.start();
    if (m_request.csv)
        CCsvListWriter::AppendHeader(out.Buffer());
    if (m_request.json)
        CJsonListWriter::AppendStart(m_root, out.Buffer());

    // Express leaves protected files out and Custom lists them locked, as
    // the session decides for every front end.
    CScanSession session(criteria, m_root);
    if (now)
        session.SetNow(*now);
    // A trash entry is one line, as on the results page.
    CTrashGrouper trash(*this, m_store, m_store.GetTrash(), m_root, CTrashGrouper::HomeTrash());
    const ScanOutcome outcome = session.Run(trash, *this);
    trash.Flush();
    if (m_bProgress)
        ShowProgress(true);

    std::vector<int> order(std::size_t(m_store.GetCount()));
    std::iota(order.begin(), order.end(), 0);
    if (sorted) {
        // The results page sorts its rows ascending first; a reversed sort is
        // the same keys taken the other way, equal keys kept in walk order.
        if (m_request.sortColumn >= 0)
            order = CResultsSorter(m_store, m_request.sortColumn).Sort(order, !m_request.reverse);
        else
            std::reverse(order.begin(), order.end());
        WriteStored(order);
    }
    if (m_request.json) {
        CJsonListWriter::Figures figures;
        figures.examined = m_nExamined;
        figures.listed = m_nListed;
        figures.listedBytes = m_nListedBytes;
        figures.unreadableFolders = outcome.skippedFolders + (outcome.rootUnavailable ? 1 : 0);
        figures.protectedFiles = outcome.LeftOutCount();
        CJsonListWriter::AppendEnd(figures, out.Buffer());
    }
    ClearProgress();
    out.Flush();

    bool ok = true;
    if (!out.IsOk()) {
        PrintError(CliText(IDS_CLI_OUTPUT_FAILED, {SystemReason(out.Error())}));
        ok = false;
    }
    // A drive that could not be read leaves an earlier list as it was.
    if (!m_request.savePath.isEmpty() && !outcome.rootUnavailable && !SaveList(order))
        ok = false;
    if (m_request.summary)
        PrintSummary(outcome);
    if (outcome.rootUnavailable) {
        // As a missing drive: nothing could be listed, nothing was touched.
        PrintError(CliText(IDS_CLI_NO_SUCH_PATH, {QString::fromUtf8(EscapeForMessage(m_request.drive)),
                                                  SystemReason(EACCES)}));
        return kExitUsage;
    }
    // Folders that could not be read leave the list incomplete: a script
    // must not take it for the whole drive (as du and find say too).
    return ok && outcome.skippedFolders == 0 ? kExitOk : kExitFailed;
}
