#include "criteria/CCriteriaPage.h"

#include "controls/CCheckButton.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

// In the order the boxes stand on the page.
const CCriteriaPage::Criterion CCriteriaPage::kCriteria[7] = {
    {&CCriteriaPage::m_chkLocation, &CFileScan::m_bLocation},
    {&CCriteriaPage::m_chkName, &CFileScan::m_bName},
    {&CCriteriaPage::m_chkExtension, &CFileScan::m_bExtension},
    {&CCriteriaPage::m_chkSize, &CFileScan::m_bSize},
    {&CCriteriaPage::m_chkCreation, &CFileScan::m_bCreation},
    {&CCriteriaPage::m_chkModified, &CFileScan::m_bModified},
    {&CCriteriaPage::m_chkAccessed, &CFileScan::m_bAccessed},
};

CCriteriaPage::CCriteriaPage()
    : CWizardPage(IDD_CRITERIA_PAGE)
{
    m_nBackPage = PAGE_METHOD;
    m_nNextPage = PAGE_DRIVE;
}

void CCriteriaPage::OnInitDialog()
{
    CWizardPage::OnInitDialog();
    SetBoldFont(GetDlgItem(IDC_CRITERIA_TITLE));
    SetDlgItemText(IDC_CRITERIA_TITLE, IDS_CRITERIA_TITLE);
    SetDlgItemText(IDC_CRITERIA_DESCRIPTION, IDS_CRITERIA_DESCRIPTION);

    m_chkSize = GetDlgItemAs<CCheckButton>(IDC_CHK_SIZE);
    m_chkName = GetDlgItemAs<CCheckButton>(IDC_CHK_NAME);
    m_chkModified = GetDlgItemAs<CCheckButton>(IDC_CHK_MODIFIED);
    m_chkExtension = GetDlgItemAs<CCheckButton>(IDC_CHK_EXTENSION);
    m_chkLocation = GetDlgItemAs<CCheckButton>(IDC_CHK_LOCATION);
    m_chkCreation = GetDlgItemAs<CCheckButton>(IDC_CHK_CREATION);
    m_chkAccessed = GetDlgItemAs<CCheckButton>(IDC_CHK_ACCESSED);

    const struct { int id; int text; } labels[] = {
        {IDC_CHK_SIZE, IDS_CRITERION_SIZE},         {IDC_CHK_NAME, IDS_CRITERION_NAME},
        {IDC_CHK_MODIFIED, IDS_CRITERION_MODIFIED}, {IDC_CHK_EXTENSION, IDS_CRITERION_EXTENSION},
        {IDC_CHK_LOCATION, IDS_CRITERION_LOCATION}, {IDC_CHK_CREATION, IDS_CRITERION_CREATION},
        {IDC_CHK_ACCESSED, IDS_CRITERION_ACCESSED},
    };
    for (const auto &label : labels)
        SetDlgItemText(label.id, label.text);

    for (const Criterion &criterion : kCriteria) {
        if (CCheckButton *box = this->*criterion.box)
            connect(box, &QAbstractButton::clicked, this, &CWizardPage::completeChanged);
    }
}

bool CCriteriaPage::AnyChecked() const
{
    for (const Criterion &criterion : kCriteria) {
        const CCheckButton *box = this->*criterion.box;
        if (box && box->GetCheck())
            return true;
    }
    return false;
}

bool CCriteriaPage::OnSetActive()
{
    const bool result = CWizardPage::OnSetActive();
    for (const Criterion &criterion : kCriteria) {
        if (CCheckButton *box = this->*criterion.box)
            box->SetCheck(m_pScan->*criterion.flag ? 1 : 0);
    }
    emit completeChanged();
    return result;
}

void CCriteriaPage::OnNextButton()
{
    if (!AnyChecked())
        return;
    for (const Criterion &criterion : kCriteria) {
        const CCheckButton *box = this->*criterion.box;
        m_pScan->*criterion.flag = box && box->GetCheck() ? 1 : 0;
    }
    GoToPage(m_nNextPage);
}

