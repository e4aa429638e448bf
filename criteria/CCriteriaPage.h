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
    // Custom with no criterion would match nothing: there is no going on.
    bool IsComplete() const override { return AnyChecked(); }

    CCheckButton *GetSizeCheck() const { return m_chkSize; }
    CCheckButton *GetNameCheck() const { return m_chkName; }
    CCheckButton *GetModifiedCheck() const { return m_chkModified; }
    CCheckButton *GetExtensionCheck() const { return m_chkExtension; }
    CCheckButton *GetLocationCheck() const { return m_chkLocation; }
    CCheckButton *GetCreationCheck() const { return m_chkCreation; }
    CCheckButton *GetAccessedCheck() const { return m_chkAccessed; }

protected:
    void OnInitDialog() override;

private:
    CCheckButton *m_chkSize = nullptr;
    CCheckButton *m_chkName = nullptr;
    CCheckButton *m_chkModified = nullptr;
    CCheckButton *m_chkExtension = nullptr;
    CCheckButton *m_chkLocation = nullptr;
    CCheckButton *m_chkCreation = nullptr;
    CCheckButton *m_chkAccessed = nullptr;
    struct Criterion {
        CCheckButton *CCriteriaPage::*box;
        int CFileScan::*flag;
    };
    static const Criterion kCriteria[7];

    bool AnyChecked() const;
};
