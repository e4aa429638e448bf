#include "criteria/CDrivePage.h"

#include "controls/CComboItem.h"
#include "controls/CFlatFrameCombo.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/Bitmaps.h"
#include "res/ResourceIds.h"

#include <QFile>

namespace {

constexpr int kDriveImageWidth = 18;
constexpr int kHardDiskImage = 4;
constexpr int kDriveIndent = 1;

} // namespace

CDrivePage::CDrivePage(DriveSource source)
    : CWizardPage(IDD_DRIVE_PAGE)
    , m_source(std::move(source))
{
}

CDrivePage::~CDrivePage()
{
    // The combo box drops the images of its list when it goes, and it goes
    // after this page's members: let it forget the list first.
    if (m_cboDrives)
        m_cboDrives->SetImageList(nullptr);
}

void CDrivePage::SetDriveSource(DriveSource source)
{
    m_source = std::move(source);
}

QString CDrivePage::DriveEntryText(const FixedDrive &drive)
{
    return CFixedDrives::EntryText(drive);
}

void CDrivePage::OnInitDialog()
{
    m_cboDrives = nullptr;
    CWizardPage::OnInitDialog();
    SetBoldFont(GetDlgItem(IDC_DRIVE_TITLE));
    SetDlgItemText(IDC_DRIVE_TITLE, IDS_DRIVE_TITLE);
    SetDlgItemText(IDC_DRIVE_DESCRIPTION, IDS_DRIVE_DESCRIPTION);

    m_cboDrives = GetDlgItemAs<CFlatFrameCombo>(IDC_DRIVES);
    if (!m_cboDrives)
        return;
    m_cboDrives->SetOwnerDrawn(true);
    m_cboDrives->setMaxVisibleItems(8);
    m_imlDrives.Create(LoadBitmap(IDB_DRIVES), kDriveImageWidth, QColor(255, 255, 255));
    m_cboDrives->SetImageList(&m_imlDrives);

    FillDriveList();
    UpdateData(false);
}

void CDrivePage::FillDriveList()
{
    m_drives = m_source ? m_source() : CFixedDrives::List();
    for (const FixedDrive &drive : m_drives)
        m_cboDrives->AddItem(new CComboItem(DriveEntryText(drive), kHardDiskImage, kDriveIndent));
}

bool CDrivePage::UpdateData(bool bSaveAndValidate)
{
    if (!m_cboDrives)
        return true;
    if (bSaveAndValidate) {
        m_pScan->m_nDrive = m_cboDrives->currentIndex();
    } else {
        const int position = m_pScan->m_nDrive;
        m_cboDrives->setCurrentIndex(position >= 0 && position < m_cboDrives->count() ? position : -1);
    }
    return true;
}

void CDrivePage::OnNextButton()
{
    m_nNextPage = NextPage(*m_pScan, PAGE_DRIVE);
    if (!UpdateData(true))
        return;
    const int position = m_pScan->m_nDrive;
    // No entry chosen means there is no drive to search: stay.
    if (position < 0 || position >= m_drives.size())
        return;
    m_pScan->m_strDrive = QFile::decodeName(m_drives.at(position).mountPoint);
    GoToPage(m_nNextPage);
}

void CDrivePage::OnBackButton()
{
    m_nBackPage = BackPage(*m_pScan, PAGE_DRIVE);
    GoToPage(m_nBackPage);
}
