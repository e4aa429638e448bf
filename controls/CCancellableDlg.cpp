#include "controls/CCancellableDlg.h"

#include "controls/CFlatPushButton.h"
#include "controls/CPercentProgressCtrl.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/ModelessWindow.h"

#include <QKeyEvent>

CCancellableDlg::CCancellableDlg(int nDialogId, int nProgressId)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint)
    , m_progress(new CPercentProgressCtrl(this))
    , m_btnCancel(new CFlatPushButton(LoadString(IDS_CANCEL), this))
{
    setFont(DialogFont());
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(nDialogId)) {
        setFixedSize(DialogPixelSize(*dialogTemplate));
        PlaceControl(m_progress, *dialogTemplate, nProgressId);
        PlaceControl(m_btnCancel, *dialogTemplate, IDCANCEL);
    }
    m_btnCancel->setAutoDefault(false);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &CCancellableDlg::OnCancel);
}

void CCancellableDlg::ShowOver(QWidget *owner)
{
    m_btnCancel->setText(LoadString(IDS_CANCEL));
    m_progress->SetRange(0, 100);
    ShowCentredOver(this, owner);
    m_btnCancel->setFocus();
}

void CCancellableDlg::keyPressEvent(QKeyEvent *event)
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
