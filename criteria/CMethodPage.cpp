#include "criteria/CMethodPage.h"

#include "controls/CRadioButton.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

#include <QKeyEvent>

CMethodPage::CMethodPage()
    : CWizardPage(IDD_METHOD_PAGE)
{
    m_nBackPage = PAGE_METHOD;
    m_nNextPage = PAGE_DRIVE;
}

void CMethodPage::OnInitDialog()
{
    CWizardPage::OnInitDialog();
    SetBoldFont(GetDlgItem(IDC_METHOD_TITLE));
    m_btnExpress = GetDlgItemAs<CRadioButton>(IDC_EXPRESS);
    m_btnCustom = GetDlgItemAs<CRadioButton>(IDC_CUSTOM);

    SetDlgItemText(IDC_METHOD_TITLE, IDS_METHOD_TITLE);
    SetDlgItemText(IDC_METHOD_DESCRIPTION, IDS_METHOD_DESCRIPTION);
    SetDlgItemText(IDC_EXPRESS, IDS_EXPRESS);
    SetDlgItemText(IDC_EXPRESS_DESCRIPTION, IDS_EXPRESS_DESCRIPTION);
    SetDlgItemText(IDC_CUSTOM, IDS_CUSTOM);
    SetDlgItemText(IDC_CUSTOM_DESCRIPTION, IDS_CUSTOM_DESCRIPTION);

    if (m_btnExpress) {
        connect(m_btnExpress, &QAbstractButton::clicked, this, &CMethodPage::OnExpress);
        m_btnExpress->installEventFilter(this);
    }
    if (m_btnCustom) {
        connect(m_btnCustom, &QAbstractButton::clicked, this, &CMethodPage::OnCustom);
        m_btnCustom->installEventFilter(this);
    }
}

bool CMethodPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_btnExpress && m_btnCustom
        && (watched == m_btnExpress || watched == m_btnCustom)) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right: {
            // Only two buttons: every arrow leads to the other one.
            CRadioButton *other = watched == m_btnExpress ? m_btnCustom : m_btnExpress;
            other->setFocus(Qt::TabFocusReason);
            other->SetCheck(1);
            if (other == m_btnCustom)
                OnCustom();
            else
                OnExpress();
            return true;
        }
        default:
            break;
        }
    }
    return CWizardPage::eventFilter(watched, event);
}

// The descriptions stand between the two buttons, so they do not form one
// run of radio buttons: each clears the other itself.
void CMethodPage::OnExpress()
{
    if (m_btnCustom)
        m_btnCustom->SetCheck(0);
    m_pScan->m_bExpress = 1;
    m_nNextPage = PAGE_DRIVE;
}

void CMethodPage::OnCustom()
{
    if (m_btnExpress)
        m_btnExpress->SetCheck(0);
    m_pScan->m_bExpress = 0;
    m_nNextPage = PAGE_CRITERIA;
}

bool CMethodPage::OnSetActive()
{
    const bool result = CWizardPage::OnSetActive();
    const bool express = m_pScan->m_bExpress != 0;
    m_nNextPage = express ? PAGE_DRIVE : PAGE_CRITERIA;
    CRadioButton *chosen = express ? m_btnExpress : m_btnCustom;
    CRadioButton *other = express ? m_btnCustom : m_btnExpress;
    if (chosen)
        chosen->SetCheck(1);
    if (other)
        other->SetCheck(0);
    if (chosen)
        chosen->setFocus();
    return result;
}
