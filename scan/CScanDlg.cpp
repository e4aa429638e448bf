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
    // The bar measures what the files really occupy: blocks in use, reserve
    // included, against each file's allocated bytes (a sparse file counts
    // what it holds, not its length). Without a figure it stands at 100.
    const std::int64_t inUse = QueryBytesInUse(drive);
    m_nTotalBytes = inUse > 0 ? std::uint64_t(inUse) : 0;
    m_nDoneBytes = 0;
    ResetCancel();
    ShowOver(owner);
}

void CScanDlg::AddProgress(std::uint64_t nSize)
{
    m_nDoneBytes += nSize;
    if (m_nTotalBytes != 0 && m_nDoneBytes <= m_nTotalBytes)
        GetProgress()->SetPos(int(m_nDoneBytes * 100 / m_nTotalBytes));
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
    AddProgress(record.allocatedBytes > 0 ? std::uint64_t(record.allocatedBytes) : 0);
}

void CScanDlg::WhileWaiting()
{
    // Called after every wait of the walk for a folder, often far shorter
    // than a pump's interval.
    if (!m_pump.DueNow())
        return;
    m_pump.Pump();
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
