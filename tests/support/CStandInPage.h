#pragma once

#include "wizard/CWizardPage.h"

// Stands in for a page a test is not about: it shows its template's texts
// and takes part in the navigation like the real page would, without the
// page's own work (the results page's scan, above all).
class CStandInPage : public CWizardPage
{
    Q_OBJECT

public:
    CStandInPage(int nPage, int nTemplateId);

    int PageIndex() const { return m_nPage; }

    void OnNextButton() override;
    void OnBackButton() override;

private:
    int m_nPage;
};
