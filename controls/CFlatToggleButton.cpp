#include "controls/CFlatToggleButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/FlatFrames.h"
#include "controls/SystemColors.h"

CFlatToggleButton::CFlatToggleButton(const QString &text, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
    m_clrFocusText = QColor(0, 0, 235);
    // The well keeps the colour it had when the control was made; the rest
    // follow palette changes.
    m_clrWell = GetSysColor(COLOR_WINDOW);
    LoadColors();
    m_bDisabled = isEnabled() ? 0 : 1;
}

void CFlatToggleButton::LoadColors()
{
    m_clrText = GetSysColor(COLOR_WINDOWFRAME);
    m_clrLight = GetSysColor(COLOR_BTNHIGHLIGHT);
    m_clrFace = GetSysColor(COLOR_BTNFACE);
    m_clrDark = GetSysColor(COLOR_BTNSHADOW);
}

QSize CFlatToggleButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(QString(text()).remove(QLatin1Char('&')));
    return QSize(kLabelOffset + textWidth + 4, qMax(kIndicatorSize, metrics.height()) + 4);
}

QSize CFlatToggleButton::minimumSizeHint() const
{
    return QSize(kIndicatorSize, kIndicatorSize);
}

QRect CFlatToggleButton::IndicatorCell(const QRect &client)
{
    return QRect(client.left(), client.top() + (client.height() - kIndicatorSize) / 2, kIndicatorSize,
                 kIndicatorSize);
}

bool CFlatToggleButton::WellInFaceColor() const
{
    return (m_bPressed && m_bInside) || m_bDisabled;
}

void CFlatToggleButton::SendClick()
{
    emit clicked(m_bChecked != 0);
}

void CFlatToggleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect();
    m_bDisabled = isEnabled() ? 0 : 1;
    DrawIndicator(painter, IndicatorCell(r));

    QRect label = r.adjusted(1, 1, -1, -1);
    label.setLeft(label.left() + 5 + kIndicatorSize);
    painter.setFont(font());
    DrawLabel(painter, label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
              text(), m_bDisabled != 0, m_bFocused ? m_clrFocusText : m_clrText, m_clrLight, m_clrDark);
}

void CFlatToggleButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (!rect().contains(event->position().toPoint()))
        return;
    m_bPressed = 1;
    m_bInside = 1;
    if (!hasFocus() && focusPolicy() != Qt::NoFocus) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    repaint();
}

void CFlatToggleButton::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (rect().contains(event->position().toPoint())) {
        if (!m_bInside && m_bPressed) {
            m_bInside = 1;
            if (!(event->buttons() & Qt::LeftButton))
                m_bPressed = 0;
            repaint();
        }
    } else {
        if (m_bInside && m_bPressed) {
            m_bInside = 0;
            repaint();
        }
        if (m_bLeaveClearsInside)
            m_bInside = 0;
    }
}

void CFlatToggleButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_bInside = 0;
    if (m_bPressed)
        repaint();
}

void CFlatToggleButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    m_bInside = 0;
    const bool complete = m_bPressed && rect().contains(event->position().toPoint());
    m_bPressed = 0;
    if (complete) {
        OnActivated();
        repaint();
        SendClick();
    } else {
        repaint();
    }
}

void CFlatToggleButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QAbstractButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || m_bPressed)
        return;
    m_bPressed = 1;
    m_bInside = 1;
    if (!hasFocus()) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    repaint();
}

void CFlatToggleButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QAbstractButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || !m_bPressed)
        return;
    m_bPressed = 0;
    m_bInside = 0;
    OnActivated();
    repaint();
    SendClick();
}

void CFlatToggleButton::focusInEvent(QFocusEvent *event)
{
    m_bFocused = 1;
    QAbstractButton::focusInEvent(event);
    repaint();
}

void CFlatToggleButton::focusOutEvent(QFocusEvent *event)
{
    m_bFocused = 0;
    m_bPressed = 0;
    QAbstractButton::focusOutEvent(event);
    repaint();
}

void CFlatToggleButton::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
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

bool CFlatToggleButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        // A mnemonic acts like a completed click.
        if (focusPolicy() != Qt::NoFocus)
            setFocus(Qt::ShortcutFocusReason);
        OnActivated();
        repaint();
        SendClick();
        return true;
    }
    return QAbstractButton::event(event);
}
