#include "controls/CFlatPushButton.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include "controls/FlatFrames.h"

CFlatPushButton::CFlatPushButton(QWidget *parent)
    : CFlatButtonBase(parent)
{
    Init();
}

CFlatPushButton::CFlatPushButton(const QString &text, QWidget *parent)
    : CFlatButtonBase(parent)
{
    setText(text);
    Init();
}

void CFlatPushButton::Init()
{
    // Hover changes the frame, so moves are needed without a button held.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CFlatPushButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(QString(text()).remove(QLatin1Char('&'))) + 2 * 5 + 16;
    return QSize(qMax(75, width), metrics.height() + 2 * 5 + 2);
}

QSize CFlatPushButton::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(2 * 5 + metrics.averageCharWidth(), metrics.height() + 2);
}

bool CFlatPushButton::IsCursorOver() const
{
    // Both in this button's own coordinates: the cursor mapped from the
    // screen, the button as (0, 0, width, height).
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

void CFlatPushButton::Complete()
{
    emit clicked(false);
}

void CFlatPushButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, m_clrFace);

    switch (m_nFrame) {
    case FrameSunken:
        Draw3dRect(painter, r, m_clrDark, m_clrLight);
        break;
    case FrameRaised:
        Draw3dRect(painter, r, m_clrDark, m_clrText);
        Draw3dRect(painter, r.adjusted(1, 1, -1, -1), m_clrLight, m_clrDark);
        break;
    default:
        Draw3dRect(painter, r, m_clrLight, m_clrDark);
        break;
    }

    QRect label = r.adjusted(5, 5, -5, -5);
    m_bDisabled = isEnabled() ? 0 : 1;
    if (!m_bDisabled && m_bPressed && m_bInside)
        label.translate(1, 1);
    DrawFlatLabel(painter, label, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic);
}

void CFlatPushButton::MouseOver(const QPoint &point)
{
    if (rect().contains(point)) {
        if (!m_bInside) {
            if (m_bPressed && !(QGuiApplication::mouseButtons() & Qt::LeftButton) && !m_bSpaceHeld)
                m_bPressed = 0;
            m_bInside = 1;
            m_nFrame = m_bPressed ? FrameSunken : FrameRaised;
            repaint();
        }
    } else if (m_bInside && !m_bSpaceHeld) {
        m_nFrame = FrameFlat;
        m_bInside = 0;
        repaint();
    }
}

void CFlatPushButton::mouseMoveEvent(QMouseEvent *event)
{
    MouseOver(event->position().toPoint());
}

void CFlatPushButton::enterEvent(QEnterEvent *event)
{
    CFlatButtonBase::enterEvent(event);
    // A disabled button takes no part in the mouse: Qt still tells it when
    // the pointer comes in (after a menu closes over it, for one), but it
    // must stay flat.
    if (isEnabled())
        MouseOver(event->position().toPoint());
}

void CFlatPushButton::leaveEvent(QEvent *event)
{
    CFlatButtonBase::leaveEvent(event);
    m_nFrame = FrameFlat;
    m_bInside = 0;
    repaint();
}

void CFlatPushButton::mousePressEvent(QMouseEvent *event)
{
    if (!IsLeftButton(event))
        return;
    if (rect().contains(event->position().toPoint())) {
        m_bPressed = 1;
        m_bInside = 1;
        m_nFrame = FrameSunken;
        repaint();
    }
    // The first press on an unfocused button only takes the focus; the
    // mouse stays with the button until the release, which completes it.
    if (!hasFocus() && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    event->accept();
}

void CFlatPushButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (!IsLeftButton(event))
        return;
    const bool inside = rect().contains(event->position().toPoint());
    const bool complete = inside && m_bPressed;
    m_bPressed = 0;
    m_bInside = inside ? 1 : 0;
    m_nFrame = inside ? FrameRaised : FrameFlat;
    repaint();
    event->accept();
    if (complete)
        Complete();
}

void CFlatPushButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!IsLeftButton(event))
        return;
    event->accept();
    if (!hasFocus()) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    // A double click counts once: the second press only flashes the button.
    m_bPressed = 1;
    m_nFrame = FrameSunken;
    repaint();
    m_bPressed = 0;
    m_nFrame = FrameFlat;
    repaint();
}

void CFlatPushButton::OnSpacePressed()
{
    m_nFrame = FrameSunken;
    repaint();
}

void CFlatPushButton::OnSpaceReleased()
{
    if (IsCursorOver()) {
        m_bInside = 1;
        m_nFrame = hasFocus() ? FrameRaised : m_nFrame;
    } else {
        m_bInside = 0;
        m_nFrame = FrameFlat;
    }
    repaint();
}

void CFlatPushButton::focusInEvent(QFocusEvent *event)
{
    m_bFocused = 1;
    if (IsCursorOver()) {
        m_bInside = 1;
        m_nFrame = m_bPressed ? FrameSunken : FrameRaised;
    }
    CFlatButtonBase::focusInEvent(event);
    repaint();
}

void CFlatPushButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        // Disabled under the mouse or half pressed: back to rest, so the
        // button shows the plain embossed look and not a hover frame.
        m_nFrame = FrameFlat;
        m_bInside = 0;
        m_bPressed = 0;
        m_bSpaceHeld = 0;
    }
    CFlatButtonBase::changeEvent(event);
}

void CFlatPushButton::focusOutEvent(QFocusEvent *event)
{
    m_nFrame = FrameFlat;
    m_bFocused = 0;
    m_bInside = 0;
    // A space press cut short by a focus change must not leave the button
    // stuck half pressed.
    if (m_bSpaceHeld) {
        m_bSpaceHeld = 0;
        m_bPressed = 0;
    }
    CFlatButtonBase::focusOutEvent(event);
    repaint();
}
