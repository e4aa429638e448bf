#include "app/CPlaceholderPage.h"

#include "criteria/CFileScan.h"
#include "criteria/PageSequence.h"

CPlaceholderPage::CPlaceholderPage(int nPage, int nTemplateId)
    : CWizardPage(nTemplateId)
    , m_nPage(nPage)
{
}

void CPlaceholderPage::OnNextButton()
{
    // Next on the last page starts over from the defaults.
    if (m_nPage == PAGE_RESULTS)
        m_pScan->Reset();
    m_nNextPage = NextPage(*m_pScan, m_nPage);
    GoToPage(m_nNextPage);
}

void CPlaceholderPage::OnBackButton()
{
    m_nBackPage = BackPage(*m_pScan, m_nPage);
    GoToPage(m_nBackPage);
}
