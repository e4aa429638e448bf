#include "controls/CFlatToggleButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/AccessibleFactory.h"
#include "controls/SystemColors.h"

CFlatToggleButton::CFlatToggleButton(const QString &text, QWidget *parent)
    : CFlatButtonBase(parent)
{
    EnsureAccessibleFactory();
    setCheckable(true);
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
    // The well keeps the colour it had when the control was made; the rest
    // follow palette changes.
    m_clrWell = GetSysColor(COLOR_WINDOW);
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

void CFlatToggleButton::Complete()
{
    OnActivated();
    repaint();
    emit clicked(isChecked());
}

void CFlatToggleButton::nextCheckState()
{
    OnActivated();
}

void CFlatToggleButton::OnSpaceReleased()
{
    m_bInside = 0;
}

void CFlatToggleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect();
    m_bDisabled = isEnabled() ? 0 : 1;
    DrawIndicator(painter, IndicatorCell(r));

    QRect label = r.adjusted(1, 1, -1, -1);
    label.setLeft(label.left() + 5 + kIndicatorSize);
    DrawFlatLabel(painter, label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic);
}

void CFlatToggleButton::mousePressEvent(QMouseEvent *event)
{
    if (!IsLeftButton(event))
        return;
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

void CFlatToggleButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click arrives as this event instead of
    // a press. Treating it as a press would flip the box back on its
    // release, so a double click counts as the single click it began with.
    if (IsLeftButton(event))
        event->accept();
}

void CFlatToggleButton::leaveEvent(QEvent *event)
{
    CFlatButtonBase::leaveEvent(event);
    m_bInside = 0;
    if (m_bPressed)
        repaint();
}

void CFlatToggleButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (!IsLeftButton(event))
        return;
    event->accept();
    m_bInside = 0;
    const bool complete = m_bPressed && rect().contains(event->position().toPoint());
    m_bPressed = 0;
    if (complete)
        Complete();
    else
        repaint();
}

void CFlatToggleButton::focusInEvent(QFocusEvent *event)
{
    m_bFocused = 1;
    CFlatButtonBase::focusInEvent(event);
    repaint();
}

void CFlatToggleButton::focusOutEvent(QFocusEvent *event)
{
    m_bFocused = 0;
    m_bPressed = 0;
    m_bSpaceHeld = 0;
    CFlatButtonBase::focusOutEvent(event);
    repaint();
}
