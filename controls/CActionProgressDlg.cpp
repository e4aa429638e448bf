#include "controls/CActionProgressDlg.h"

#include "controls/CPercentProgressCtrl.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"

#include <QLabel>

CActionProgressDlg::CActionProgressDlg()
    : CCancellableDlg(IDD_ACTION_PROGRESS, IDC_ACTION_PROGRESS)
    , m_wndStatus(new QLabel(this))
{
    m_wndStatus->setTextFormat(Qt::PlainText);
    m_wndStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_ACTION_PROGRESS))
        PlaceControl(m_wndStatus, *dialogTemplate, IDC_ACTION_TEXT);
}

void CActionProgressDlg::Create(QWidget *owner, const QString &statusText)
{
    m_wndStatus->setText(statusText);
    GetProgress()->SetPos(0);
    ShowOver(owner);
}
