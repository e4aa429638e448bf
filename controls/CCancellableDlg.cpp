#include "controls/CCancellableDlg.h"

#include "controls/CFlatPushButton.h"
#include "controls/CPercentProgressCtrl.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/ModelessWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWindow>

namespace {

// Long enough for a window manager to map a new window, short enough that a
// headless run never notices.
constexpr qint64 kExposeWaitMs = 300;

} // namespace

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
    // Escape and Enter must reach this window, not the disabled sheet.
    activateWindow();
    m_btnCancel->setFocus();
    PaintNow();
}

void CCancellableDlg::PaintNow()
{
    // The loop that follows keeps the thread for itself between pumps: a
    // window the window system has not mapped yet would stay an unpainted
    // rectangle for a short loop's whole life. Wait briefly for it to be
    // shown, then draw it completely once.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < kExposeWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
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
