#pragma once

#include "wizard/CWizardPage.h"

class CCheckButton;

// Custom method only: which of the seven criteria the search uses. The
// record's flags change only when the user goes on with Next; Back forgets
// what was ticked since.
class CCriteriaPage : public CWizardPage
{
    Q_OBJECT

public:
    CCriteriaPage();

    bool OnSetActive() override;
    void OnNextButton() override;
    void OnBackButton() override;

    CCheckButton *m_chkSize = nullptr;
    CCheckButton *m_chkName = nullptr;
    CCheckButton *m_chkModified = nullptr;
    CCheckButton *m_chkExtension = nullptr;
    CCheckButton *m_chkLocation = nullptr;
    CCheckButton *m_chkCreation = nullptr;
    CCheckButton *m_chkAccessed = nullptr;

protected:
    void OnInitDialog() override;

private:
    struct Criterion {
        CCheckButton *CCriteriaPage::*box;
        int CFileScan::*flag;
    };
    static const Criterion kCriteria[7];

    bool AnyChecked() const;
    void UpdateNextButton();
};
