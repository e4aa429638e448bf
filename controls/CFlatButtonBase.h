#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPushButton>

class QKeyEvent;
class QMouseEvent;
class QPainter;

// What every flat button shares, whatever Qt button it is built on: the
// colours it draws with (reloaded when the palette changes), the label drawn
// blue while focused and embossed while disabled, the space key that holds
// the button down until released, and the mnemonic that completes it at once.
// The subclass decides what its frame shows and what a completed press does.
template <class QtButton>
class CFlatButtonBase : public QtButton
{
public:
    bool IsPressed() const { return m_bPressed != 0; }

protected:
    explicit CFlatButtonBase(QWidget *parent);

    // A completed click, space press or mnemonic: whatever the button does,
    // then clicked() exactly once.
    virtual void Complete() = 0;
    // The space key went down on the focused button: `m_bPressed` and
    // `m_bInside` are set; show the button held down.
    virtual void OnSpacePressed();
    // The space key that held the button came up: `m_bPressed` is already
    // clear. Complete() follows.
    virtual void OnSpaceReleased() = 0;

    // False (and the event ignored, so it goes on to the parent) unless the
    // event is about the left mouse button.
    static bool IsLeftButton(QMouseEvent *event);

    void LoadColors();
    // The label in `rect`: the focus colour while focused, embossed while
    // disabled.
    void DrawFlatLabel(QPainter &painter, const QRect &rect, int flags);

    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

    int m_bDisabled = 0;
    int m_bFocused = 0;
    int m_bPressed = 0;
    // The pointer is over the button (while it matters to the drawing).
    int m_bInside = 0;
    // The press was made with the space key, not the mouse.
    int m_bSpaceHeld = 0;
    QColor m_clrFocusText;
    QColor m_clrText;
    QColor m_clrLight;
    QColor m_clrFace;
    QColor m_clrDark;
};

extern template class CFlatButtonBase<QPushButton>;
extern template class CFlatButtonBase<QAbstractButton>;
