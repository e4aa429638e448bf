#include "scan/CScanDlg.h"

#include "controls/CEllipsisStatic.h"
#include "controls/CPercentProgressCtrl.h"
#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CMatchSink.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CDiskSpace.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QFile>

namespace {

constexpr qint64 kDisplayRefreshMs = 100;

} // namespace

CScanDlg::CScanDlg(const CFileScan *pScan, CMatchSink *pSink)
    : CCancellableDlg(IDD_SCAN, IDC_SCAN_PROGRESS)
    , m_wndPath(new CEllipsisStatic(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, 1, this))
    , m_pScan(pScan)
    , m_pSink(pSink)
{
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_SCAN))
        PlaceControl(m_wndPath, *dialogTemplate, IDC_SCAN_PATH);
    m_wndPath->SetWindowText(LoadString(IDS_SCAN));
}

CScanDlg::~CScanDlg() = default;

void CScanDlg::Create(QWidget *owner, const QByteArray &drive)
{
    const DiskSpace space = CDiskSpace::Query(drive);
    // Without a figure for the drive the bar simply stands at 100.
    m_nTotalBytes = space.ok && space.UsedBytes() > 0 ? std::uint64_t(space.UsedBytes()) : 0;
    m_nDoneBytes = 0;
    m_bCancel = 0;
    ShowOver(owner);
}

void CScanDlg::AddProgress(std::uint64_t nSize)
{
    m_nDoneBytes += nSize;
    if (m_nTotalBytes != 0 && m_nDoneBytes <= m_nTotalBytes)
        m_progress->SetPos(int(m_nDoneBytes * 100 / m_nTotalBytes));
    else
        m_progress->SetPos(100);
}

void CScanDlg::FinishProgress()
{
    for (int pos = m_progress->GetPos(); pos < 100;)
        m_progress->SetPos(++pos);
}

int CScanDlg::ScanFolder(const QByteArray &folder)
{
    if (m_pScan)
        m_pMatcher = std::make_unique<CFileMatcher>(*m_pScan);
    CDirectoryWalker walker;
    walker.SetFileHandler([this](const WalkRecord &record) { OnFile(record); });
    walker.SetCancelCheck([this] { return OnBetweenEntries(); });
    const CDirectoryWalker::Result result = walker.Walk(folder);
    m_nSkippedFolders = walker.GetSkippedFolders();
    return result == CDirectoryWalker::Result::RootUnavailable ? 0 : 1;
}

void CScanDlg::OnFile(const WalkRecord &record)
{
    // The path line only changes on screen when events are pumped, so it is
    // only composed for the first file after each pump.
    if (m_bShowNextPath) {
        m_bShowNextPath = false;
        QByteArray path = record.folder;
        if (!path.endsWith('/'))
            path += '/';
        path += record.name;
        m_wndPath->SetWindowText(QFile::decodeName(path));
    }
    // The progress counts every file met, whether it matches or not.
    AddProgress(record.size > 0 ? std::uint64_t(record.size) : 0);
    if (m_pMatcher && m_pMatcher->MatchFile(record) && m_pSink)
        m_pSink->AddResult(record);
}

bool CScanDlg::OnBetweenEntries()
{
    if (m_bCancel)
        return true;
    if (m_pump.Due()) {
        // Events are pumped often so that Cancel acts at once, but the texts
        // change only a few times a second: laying out text is what a pump
        // costs, and nobody reads a path that stays 15 ms.
        if (!m_refreshClock.isValid() || m_refreshClock.elapsed() >= kDisplayRefreshMs) {
            if (m_pSink)
                m_pSink->RefreshWhileBusy();
            m_bShowNextPath = true;
            m_refreshClock.start();
        }
        m_pump.Pump();
    }
    return m_bCancel != 0;
}
