#include "CStandInPage.h"

#include "core/CFileScan.h"
#include "core/PageSequence.h"

CStandInPage::CStandInPage(int nPage, int nTemplateId)
    : CWizardPage(nTemplateId)
    , m_nPage(nPage)
{
}

void CStandInPage::OnNextButton()
{
    // Next on the last page starts over from the defaults.
    if (m_nPage == PAGE_RESULTS)
        m_pScan->Reset();
    m_nNextPage = NextPage(*m_pScan, m_nPage);
    GoToPage(m_nNextPage);
}

void CStandInPage::OnBackButton()
{
    m_nBackPage = BackPage(*m_pScan, m_nPage);
    GoToPage(m_nBackPage);
}
