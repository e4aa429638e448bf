#pragma once

#include "app/CWizardPage.h"

// Stands for a page whose own class is not written yet: it shows its
// template's texts and takes part in the navigation like the real page would.
class CPlaceholderPage : public CWizardPage
{
    Q_OBJECT

public:
    CPlaceholderPage(int nPage, int nTemplateId);

    int PageIndex() const { return m_nPage; }

    void OnNextButton() override;
    void OnBackButton() override;

private:
    int m_nPage;
};
