#include "controls/CRestartProgressDlg.h"

#include "controls/CPercentProgressCtrl.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/ModelessWindow.h"

#include <QLabel>

CRestartProgressDlg::CRestartProgressDlg()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint)
    , m_progress(new CPercentProgressCtrl(this))
    , m_wndStatus(new QLabel(this))
{
    setFont(DialogFont());
    m_wndStatus->setTextFormat(Qt::PlainText);
    m_wndStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_RESTART_PROGRESS)) {
        setFixedSize(DialogPixelSize(*dialogTemplate));
        PlaceControl(m_wndStatus, *dialogTemplate, IDC_RESTART_TEXT);
        PlaceControl(m_progress, *dialogTemplate, IDC_RESTART_PROGRESS);
    }
}

void CRestartProgressDlg::Create(QWidget *owner)
{
    ShowCentredOver(this, owner);
    m_wndStatus->setText(LoadString(IDS_RESTARTING));
    m_progress->SetRange(0, 100);
    m_progress->SetPos(0);
}
