#include "criteria/CMethodPage.h"

#include "controls/CRadioButton.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

CMethodPage::CMethodPage()
    : CWizardPage(IDD_METHOD_PAGE)
{
    m_nBackPage = PAGE_METHOD;
    m_nNextPage = PAGE_DRIVE;
}

void CMethodPage::OnInitDialog()
{
    CWizardPage::OnInitDialog();
    SetBoldFont(GetDlgItem(IDC_METHOD_TITLE));
    m_btnExpress = GetDlgItemAs<CRadioButton>(IDC_EXPRESS);
    m_btnCustom = GetDlgItemAs<CRadioButton>(IDC_CUSTOM);

    SetDlgItemText(IDC_METHOD_TITLE, IDS_METHOD_TITLE);
    SetDlgItemText(IDC_METHOD_DESCRIPTION, IDS_METHOD_DESCRIPTION);
    SetDlgItemText(IDC_EXPRESS, IDS_EXPRESS);
    SetDlgItemText(IDC_EXPRESS_DESCRIPTION, IDS_EXPRESS_DESCRIPTION);
    SetDlgItemText(IDC_CUSTOM, IDS_CUSTOM);
    SetDlgItemText(IDC_CUSTOM_DESCRIPTION, IDS_CUSTOM_DESCRIPTION);

    if (m_btnExpress)
        connect(m_btnExpress, &QAbstractButton::clicked, this, &CMethodPage::OnExpress);
    if (m_btnCustom)
        connect(m_btnCustom, &QAbstractButton::clicked, this, &CMethodPage::OnCustom);
}

// The descriptions stand between the two buttons, so they do not form one
// run of radio buttons: each clears the other itself.
void CMethodPage::OnExpress()
{
    if (m_btnCustom)
        m_btnCustom->SetCheck(0);
    m_pScan->m_bExpress = 1;
    m_nNextPage = PAGE_DRIVE;
}

void CMethodPage::OnCustom()
{
    if (m_btnExpress)
        m_btnExpress->SetCheck(0);
    m_pScan->m_bExpress = 0;
    m_nNextPage = PAGE_CRITERIA;
}

bool CMethodPage::OnSetActive()
{
    const bool result = CWizardPage::OnSetActive();
    const bool express = m_pScan->m_bExpress != 0;
    m_nNextPage = express ? PAGE_DRIVE : PAGE_CRITERIA;
    CRadioButton *chosen = express ? m_btnExpress : m_btnCustom;
    CRadioButton *other = express ? m_btnCustom : m_btnExpress;
    if (chosen)
        chosen->SetCheck(1);
    if (other)
        other->SetCheck(0);
    if (chosen)
        chosen->setFocus();
    return result;
}
