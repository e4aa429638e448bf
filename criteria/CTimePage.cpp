#include "criteria/CTimePage.h"

#include "controls/CComboItem.h"
#include "controls/CFlatFrameCombo.h"
#include "controls/CFlatFrameDatePicker.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

CTimePage::CTimePage(const Texts &texts)
    : CWizardPage(texts.nTemplateId)
    , m_texts(texts)
{
    // Nothing follows the last time page but the results.
    if (m_texts.nPage == PAGE_ACCESSED)
        m_nNextPage = PAGE_RESULTS;
}

QWidget *CTimePage::CreateControl(const DialogControlTemplate &control)
{
    if (control.id == IDC_DATE_FROM || control.id == IDC_DATE_TO) {
        auto *picker = new CFlatFrameDatePicker(this);
        (control.id == IDC_DATE_FROM ? m_dtpFrom : m_dtpTo) = picker;
        return picker;
    }
    QWidget *widget = CWizardPage::CreateControl(control);
    if (control.id == IDC_MODE)
        m_cboMode = qobject_cast<CFlatFrameCombo *>(widget);
    return widget;
}

void CTimePage::OnInitDialog()
{
    CWizardPage::OnInitDialog();
    SetBoldFont(GetDlgItem(m_texts.nTitleId));
    SetDlgItemText(m_texts.nTitleId, m_texts.nTitleText);
    SetDlgItemText(m_texts.nDescriptionId, m_texts.nDescriptionText);
    SetDlgItemText(IDC_AND, IDS_AND);

    if (m_cboMode) {
        m_cboMode->clear();
        for (int text : {IDS_OLDER_THAN, IDS_TIME_BETWEEN, IDS_RECENT_THAN})
            m_cboMode->AddItem(new CComboItem(LoadString(text), 0, 0));
        m_cboMode->setCurrentIndex(m_pScan ? Mode() : ModeOlderThan);
        connect(m_cboMode, &QComboBox::activated, this, &CTimePage::OnModeChange);
    }
}

bool CTimePage::UpdateData(bool bSaveAndValidate)
{
    if (!m_pScan)
        return true;
    if (!bSaveAndValidate) {
        if (m_cboMode)
            m_cboMode->setCurrentIndex(Mode());
        if (m_dtpFrom)
            m_dtpFrom->SetTime(From());
        if (m_dtpTo)
            m_dtpTo->SetTime(To());
        return true;
    }
    // A picker always holds a valid date: nothing here can be refused.
    if (m_cboMode)
        Mode() = m_cboMode->currentIndex();
    if (m_dtpFrom)
        From() = m_dtpFrom->GetTime();
    if (m_dtpTo)
        To() = m_dtpTo->GetTime();
    return true;
}

void CTimePage::ShowSecondDate(bool bShow)
{
    for (int id : {IDC_AND, IDC_DATE_TO}) {
        if (QWidget *control = GetDlgItem(id))
            control->setVisible(bShow);
    }
}

bool CTimePage::OnSetActive()
{
    const bool result = CWizardPage::OnSetActive();
    ShowSecondDate(Mode() == ModeBetween);
    m_timeSavedTo = To();
    return result;
}

void CTimePage::OnModeChange()
{
    UpdateData(true);
    if (Mode() == ModeBetween) {
        To() = m_timeSavedTo;
        ShowSecondDate(true);
    } else {
        ShowSecondDate(false);
        m_timeSavedTo = To();
        // Unused outside Between; the hidden picker still holds the date and
        // the next exchange writes it back.
        To() = CTime::GetCurrentTime();
    }
}

void CTimePage::OnNextButton()
{
    if (m_texts.nPage != PAGE_ACCESSED)
        m_nNextPage = NextPage(*m_pScan, m_texts.nPage);
    GoToPage(m_nNextPage);
}

void CTimePage::OnBackButton()
{
    m_nBackPage = BackPage(*m_pScan, m_texts.nPage);
    GoToPage(m_nBackPage);
}
