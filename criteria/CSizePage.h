#pragma once

#include "wizard/CWizardPage.h"

class CFlatFrameCombo;
class CUpDownCtrl;
class QLabel;
class QLineEdit;

// The size criterion: a mode (less than, between, larger than) and one or two
// sizes in kilobytes. The arrows step the sizes by 10 and 100 and wrap at a
// million; the second size shows only in the mode Between and is kept aside
// while another mode hides it.
class CSizePage : public CWizardPage
{
    Q_OBJECT

public:
    enum Mode { ModeLessThan = 0, ModeBetween = 1, ModeLargerThan = 2 };

    CSizePage();

    bool OnSetActive() override;
    void OnNextButton() override;
    void OnBackButton() override;
    bool UpdateData(bool bSaveAndValidate = true) override;

    // The mode combo box's choice, as the user makes it.
    void OnModeChange();
    // One step of the first or second size's arrows (or arrow keys).
    void OnStepFrom(bool bUp);
    void OnStepTo(bool bUp);

    // Reads a whole decimal number with blanks and tabs around it; false for
    // anything else, an empty text included, and for a number beyond 32 bits.
    static bool ReadInteger(const QString &text, long &value);

    CFlatFrameCombo *GetModeCombo() const { return m_cboMode; }

    QLineEdit *GetFromEdit() const { return m_editFrom; }
    QLineEdit *GetToEdit() const { return m_editTo; }
    CUpDownCtrl *GetFromSpin() const { return m_spinFrom; }
    CUpDownCtrl *GetToSpin() const { return m_spinTo; }

protected:
    void OnInitDialog() override;
    QWidget *CreateControl(const DialogControlTemplate &control) override;

private:
    CFlatFrameCombo *m_cboMode = nullptr;
    long m_nSavedSizeTo = 0;
    QLineEdit *m_editFrom = nullptr;
    QLineEdit *m_editTo = nullptr;
    CUpDownCtrl *m_spinFrom = nullptr;
    CUpDownCtrl *m_spinTo = nullptr;
    // Reads `edit` into `value`; on failure tells the user and leaves the
    // focus on the edit with its text selected.
    bool ExchangeNumber(QLineEdit *edit, long &value);
    void ShowSecondSize(bool bShow);
};
