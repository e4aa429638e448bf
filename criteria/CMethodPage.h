#pragma once

#include "wizard/CWizardPage.h"

class CRadioButton;

// First page: Express (a fixed search for commonly discardable files) or
// Custom (a search by criteria chosen on the next page).
class CMethodPage : public CWizardPage
{
    Q_OBJECT

public:
    CMethodPage();

    bool OnSetActive() override;

    CRadioButton *GetExpressButton() const { return m_btnExpress; }
    CRadioButton *GetCustomButton() const { return m_btnCustom; }

protected:
    void OnInitDialog() override;
    // The arrow keys move between Express and Custom, as in a radio group.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CRadioButton *m_btnExpress = nullptr;
    CRadioButton *m_btnCustom = nullptr;
    void OnExpress();
    void OnCustom();
};
