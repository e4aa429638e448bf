#include "controls/CFlatPushButton.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/FlatFrames.h"
#include "controls/SystemColors.h"

CFlatPushButton::CFlatPushButton(QWidget *parent)
    : QPushButton(parent)
{
    Init();
}

CFlatPushButton::CFlatPushButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    Init();
}

void CFlatPushButton::Init()
{
    // Hover changes the frame, so moves are needed without a button held.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_clrFocusText = QColor(0, 0, 235);
    LoadColors();
    m_bDisabled = isEnabled() ? 0 : 1;
}

void CFlatPushButton::LoadColors()
{
    m_clrText = GetSysColor(COLOR_WINDOWFRAME);
    m_clrLight = GetSysColor(COLOR_BTNHIGHLIGHT);
    m_clrFace = GetSysColor(COLOR_BTNFACE);
    m_clrDark = GetSysColor(COLOR_BTNSHADOW);
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

void CFlatPushButton::SendClick()
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
    if (!m_bDisabled && m_bPressed && m_bHover)
        label.translate(1, 1);
    painter.setFont(font());
    DrawLabel(painter, label, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text(),
              m_bDisabled != 0, m_bFocused ? m_clrFocusText : m_clrText, m_clrLight, m_clrDark);
}

void CFlatPushButton::MouseOver(const QPoint &point)
{
    if (rect().contains(point)) {
        if (!m_bHover) {
            if (m_bPressed && !(QGuiApplication::mouseButtons() & Qt::LeftButton) && !m_bSpaceHeld)
                m_bPressed = 0;
            m_bHover = 1;
            m_nFrame = m_bPressed ? FrameSunken : FrameRaised;
            repaint();
        }
    } else if (m_bHover && !m_bSpaceHeld) {
        m_nFrame = FrameFlat;
        m_bHover = 0;
        repaint();
    }
}

void CFlatPushButton::mouseMoveEvent(QMouseEvent *event)
{
    MouseOver(event->position().toPoint());
}

void CFlatPushButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    MouseOver(event->position().toPoint());
}

void CFlatPushButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    m_nFrame = FrameFlat;
    m_bHover = 0;
    repaint();
}

void CFlatPushButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (rect().contains(event->position().toPoint())) {
        m_bPressed = 1;
        m_bHover = 1;
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
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    const bool complete = inside && m_bPressed;
    m_bPressed = 0;
    m_bHover = inside ? 1 : 0;
    m_nFrame = inside ? FrameRaised : FrameFlat;
    repaint();
    event->accept();
    if (complete)
        SendClick();
}

void CFlatPushButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
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

void CFlatPushButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || m_bPressed)
        return;
    m_bSpaceHeld = 1;
    m_bPressed = 1;
    m_bHover = 1;
    if (!hasFocus()) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    m_nFrame = FrameSunken;
    repaint();
}

void CFlatPushButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QPushButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || !m_bPressed)
        return;
    m_bSpaceHeld = 0;
    m_bPressed = 0;
    if (IsCursorOver()) {
        m_bHover = 1;
        m_nFrame = hasFocus() ? FrameRaised : m_nFrame;
    } else {
        m_bHover = 0;
        m_nFrame = FrameFlat;
    }
    repaint();
    // Exactly one click per press of the space key, wherever the mouse is.
    SendClick();
}

void CFlatPushButton::focusInEvent(QFocusEvent *event)
{
    m_bFocused = 1;
    if (IsCursorOver()) {
        m_bHover = 1;
        m_nFrame = m_bPressed ? FrameSunken : FrameRaised;
    }
    QPushButton::focusInEvent(event);
    repaint();
}

void CFlatPushButton::focusOutEvent(QFocusEvent *event)
{
    m_nFrame = FrameFlat;
    m_bFocused = 0;
    m_bHover = 0;
    // A space press cut short by a focus change must not leave the button
    // stuck half pressed.
    if (m_bSpaceHeld) {
        m_bSpaceHeld = 0;
        m_bPressed = 0;
    }
    QPushButton::focusOutEvent(event);
    repaint();
}

void CFlatPushButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        m_bDisabled = isEnabled() ? 0 : 1;
        update();
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        LoadColors();
        update();
        break;
    default:
        break;
    }
}

bool CFlatPushButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        // A mnemonic completes the button at once, like a click.
        if (focusPolicy() != Qt::NoFocus)
            setFocus(Qt::ShortcutFocusReason);
        SendClick();
        return true;
    }
    return QPushButton::event(event);
}
