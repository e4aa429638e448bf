#include "results/CActionProgressDlg.h"

#include "controls/CFlatPushButton.h"
#include "controls/CPercentProgressCtrl.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "scan/ModelessWindow.h"

#include <QKeyEvent>
#include <QLabel>

CActionProgressDlg::CActionProgressDlg()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint)
    , m_progress(new CPercentProgressCtrl(this))
    , m_btnCancel(new CFlatPushButton(LoadString(IDS_CANCEL), this))
    , m_wndStatus(new QLabel(this))
{
    setFont(DialogFont());
    m_wndStatus->setTextFormat(Qt::PlainText);
    m_wndStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_ACTION_PROGRESS)) {
        setFixedSize(DialogPixelSize(*dialogTemplate));
        PlaceControl(m_wndStatus, *dialogTemplate, IDC_ACTION_TEXT);
        PlaceControl(m_progress, *dialogTemplate, IDC_ACTION_PROGRESS);
        PlaceControl(m_btnCancel, *dialogTemplate, IDCANCEL);
    }
    m_btnCancel->setAutoDefault(false);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &CActionProgressDlg::OnCancel);
}

void CActionProgressDlg::Create(QWidget *owner, const QString &statusText)
{
    m_wndStatus->setText(statusText);
    m_btnCancel->setText(LoadString(IDS_CANCEL));
    m_progress->SetRange(0, 100);
    m_progress->SetPos(0);
    ShowCentredOver(this, owner);
    m_btnCancel->setFocus();
}

void CActionProgressDlg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnCancel();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
