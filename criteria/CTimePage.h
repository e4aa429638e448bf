#pragma once

#include "wizard/CWizardPage.h"
#include "platform/CTime.h"

class CFileScan;
class CFlatFrameCombo;
class CFlatFrameDatePicker;

// A time criterion: a mode (older than, between, more recent than) and two
// dates. The second date shows only in the mode Between and is kept aside
// while another mode hides it. The pickers show the date alone; the time of
// day of the loaded value comes back with the date the user picks.
class CTimePage : public CWizardPage
{
    Q_OBJECT

public:
    enum Mode { ModeOlderThan = 0, ModeBetween = 1, ModeRecentThan = 2 };

    // What tells the creation, modified and accessed pages apart.
    struct Texts
    {
        int nPage;            // the page's position in the sheet
        int nTemplateId;
        int CFileScan::*pMode;
        CTime CFileScan::*pFrom;
        CTime CFileScan::*pTo;
        int nTitleId;
        int nTitleText;
        int nDescriptionId;
        int nDescriptionText;
    };

    explicit CTimePage(const Texts &texts);

    bool OnSetActive() override;
    void OnNextButton() override;
    void OnBackButton() override;
    bool UpdateData(bool bSaveAndValidate = true) override;

    // The mode combo box's choice, as the user makes it.
    void OnModeChange();

    CFlatFrameDatePicker *GetFromPicker() const { return m_dtpFrom; }
    CFlatFrameDatePicker *GetToPicker() const { return m_dtpTo; }
    CFlatFrameCombo *GetModeCombo() const { return m_cboMode; }

protected:
    void OnInitDialog() override;
    QWidget *CreateControl(const DialogControlTemplate &control) override;

private:
    CFlatFrameDatePicker *m_dtpFrom = nullptr;
    CFlatFrameDatePicker *m_dtpTo = nullptr;
    CFlatFrameCombo *m_cboMode = nullptr;
    CTime m_timeSavedTo;
    int &Mode() const { return m_pScan->*m_texts.pMode; }
    CTime &From() const { return m_pScan->*m_texts.pFrom; }
    CTime &To() const { return m_pScan->*m_texts.pTo; }
    void ShowSecondDate(bool bShow);

    Texts m_texts;
};
