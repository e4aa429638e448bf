#include "controls/CFlatButtonBase.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/FlatFrames.h"
#include "controls/SystemColors.h"

template <class QtButton>
CFlatButtonBase<QtButton>::CFlatButtonBase(QWidget *parent)
    : QtButton(parent)
{
    LoadColors();
    m_bDisabled = this->isEnabled() ? 0 : 1;
}

template <class QtButton>
void CFlatButtonBase<QtButton>::LoadColors()
{
    m_clrText = GetSysColor(COLOR_WINDOWFRAME);
    m_clrLight = GetSysColor(COLOR_BTNHIGHLIGHT);
    m_clrFace = GetSysColor(COLOR_BTNFACE);
    m_clrDark = GetSysColor(COLOR_BTNSHADOW);
    // The design's focus blue, unless the face is too dark for it.
    m_clrFocusText = ContrastingColor(QColor(0, 0, 235), m_clrFace, m_clrText);
}

template <class QtButton>
void CFlatButtonBase<QtButton>::DrawFlatLabel(QPainter &painter, const QRect &rect, int flags)
{
    painter.setFont(this->font());
    DrawLabel(painter, rect, flags, this->text(), m_bDisabled != 0, m_bFocused ? m_clrFocusText : m_clrText,
              m_clrLight, m_clrDark);
}

template <class QtButton>
bool CFlatButtonBase<QtButton>::IsLeftButton(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        return true;
    event->ignore();
    return false;
}

template <class QtButton>
void CFlatButtonBase<QtButton>::OnSpacePressed()
{
    this->repaint();
}

template <class QtButton>
void CFlatButtonBase<QtButton>::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QtButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || m_bPressed)
        return;
    m_bSpaceHeld = 1;
    m_bPressed = 1;
    m_bInside = 1;
    // An unfocused button only takes the focus; the focus change repaints it.
    if (!this->hasFocus()) {
        this->setFocus(Qt::OtherFocusReason);
        return;
    }
    OnSpacePressed();
}

template <class QtButton>
void CFlatButtonBase<QtButton>::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QtButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || !m_bPressed)
        return;
    m_bSpaceHeld = 0;
    m_bPressed = 0;
    OnSpaceReleased();
    // Exactly one click per press of the space key, wherever the mouse is.
    Complete();
}

template <class QtButton>
void CFlatButtonBase<QtButton>::changeEvent(QEvent *event)
{
    QtButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        m_bDisabled = this->isEnabled() ? 0 : 1;
        this->update();
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        LoadColors();
        this->update();
        break;
    default:
        break;
    }
}

template <class QtButton>
bool CFlatButtonBase<QtButton>::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        // A mnemonic completes the button at once, like a click.
        if (this->focusPolicy() != Qt::NoFocus)
            this->setFocus(Qt::ShortcutFocusReason);
        Complete();
        return true;
    }
    return QtButton::event(event);
}

template class CFlatButtonBase<QPushButton>;
template class CFlatButtonBase<QAbstractButton>;
