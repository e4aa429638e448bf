#include "scan/CScanDlg.h"

#include "controls/CEllipsisStatic.h"
#include "controls/CPercentProgressCtrl.h"
#include "platform/CDiskSpace.h"
#include "platform/WalkRecord.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QFile>

CScanDlg::CScanDlg()
    : CCancellableDlg(IDD_SCAN, IDC_SCAN_PROGRESS)
    , m_wndPath(new CEllipsisStatic(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, 1, this))
{
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_SCAN))
        PlaceControl(m_wndPath, *dialogTemplate, IDC_SCAN_PATH);
    m_wndPath->SetWindowText(LoadString(IDS_SCAN));
    // The window has no caption and its only line shows the path.
    GetProgress()->setAccessibleName(LoadString(IDS_SCAN));
}

CScanDlg::~CScanDlg() = default;

void CScanDlg::Create(QWidget *owner, const QByteArray &drive)
{
    // The walk's time goes by entries, not by bytes: a large file is met as
    // fast as a small one, so a bar of entries moves as the wait does. Where
    // the file system keeps no count of its entries, the bar measures what
    // the files really occupy: blocks in use, reserve included, against
    // each file's allocated bytes (a sparse file counts what it holds, not
    // its length). Without a figure it stands at 100.
    const std::int64_t entries = QueryEntriesInUse(drive);
    m_bCountBytes = entries <= 0;
    const std::int64_t total = m_bCountBytes ? QueryBytesInUse(drive) : entries;
    m_nTotal = total > 0 ? std::uint64_t(total) : 0;
    m_nDone = 0;
    ResetCancel();
    ShowOver(owner);
}

void CScanDlg::AddProgress(std::uint64_t nMet)
{
    m_nDone += nMet;
    if (m_nTotal != 0 && m_nDone <= m_nTotal)
        GetProgress()->SetPos(int(m_nDone * 100 / m_nTotal));
    else
        GetProgress()->SetPos(100);
}

void CScanDlg::FinishProgress()
{
    for (int pos = GetProgress()->GetPos(); pos < 100;)
        GetProgress()->SetPos(++pos);
}

void CScanDlg::OnFileMet(const WalkRecord &record)
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
    if (!m_bCountBytes)
        AddProgress(1);
    else
        AddProgress(record.allocatedBytes > 0 ? std::uint64_t(record.allocatedBytes) : 0);
}

void CScanDlg::OnFolderMet()
{
    if (!m_bCountBytes)
        AddProgress(1);
}

void CScanDlg::WhileWaiting()
{
    // Called after every wait of the walk for a folder, often far shorter
    // than a pump's interval.
    if (!m_pump.DueNow())
        return;
    m_pump.Pump();
}

std::int64_t CScanDlg::QueryEntriesInUse(const QByteArray &drive) const
{
    return CDiskSpace::Query(drive).entriesInUse;
}

std::int64_t CScanDlg::QueryBytesInUse(const QByteArray &drive) const
{
    const DiskSpace space = CDiskSpace::Query(drive);
    return space.ok ? space.BytesInUse() : 0;
}

bool CScanDlg::OnBetweenEntries(CMatchSink &sink)
{
    if (IsCancelled())
        return true;
    if (m_pump.Due()) {
        const bool bText = m_pump.TextDue();
        const bool bRows = m_pump.ListDue();
        if (bText)
            m_bShowNextPath = true;
        if (bText || bRows)
            sink.RefreshWhileBusy(bRows);
        m_pump.Pump();
    }
    return IsCancelled();
}
