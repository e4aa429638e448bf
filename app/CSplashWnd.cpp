#include "app/CSplashWnd.h"

#include "res/Bitmaps.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

CSplashWnd::CSplashWnd(int nBitmapId, unsigned int nDelay)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_nBitmapId(nBitmapId)
    , m_nDelay(nDelay)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Showing it must not take the focus from whatever the user works in.
    setAttribute(Qt::WA_ShowWithoutActivating);
}

CSplashWnd::~CSplashWnd() = default;

bool CSplashWnd::ShowSplash()
{
    m_bmpSplash = LoadBitmap(m_nBitmapId);
    if (m_bmpSplash.isNull())
        return false;

    const QSize size = m_bmpSplash.deviceIndependentSize().toSize();
    setFixedSize(size);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
    show();
    // Paint now: the start-up waits without serving input right after this.
    repaint();
    m_nTimer = startTimer(static_cast<int>(m_nDelay));
    return true;
}

void CSplashWnd::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bmpSplash);
}

void CSplashWnd::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_nTimer && m_nTimer != 0) {
        Remove();
        return;
    }
    QWidget::timerEvent(event);
}

bool CSplashWnd::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        Remove();
        return true;
    default:
        return QWidget::event(event);
    }
}

void CSplashWnd::Remove()
{
    if (m_bRemoving)
        return;
    m_bRemoving = true;
    if (m_nTimer != 0) {
        killTimer(m_nTimer);
        m_nTimer = 0;
    }
    emit removed();
    hide();
    // Deleted once the event that removed it has been served.
    deleteLater();
}
