#pragma once

#include <QColor>
#include <QPushButton>

// A push button drawn flat on the button face with a thin raised frame. Under
// the mouse it shows a full raised button frame, held down a thin sunken one.
// A completed mouse click or space press emits clicked() exactly once.
class CFlatPushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CFlatPushButton(QWidget *parent = nullptr);
    explicit CFlatPushButton(const QString &text, QWidget *parent = nullptr);

    // The frame the button shows: 0 flat, 1 sunken (pressed under the mouse),
    // 2 raised (under the mouse, or focused under it).
    enum Frame { FrameFlat = 0, FrameSunken = 1, FrameRaised = 2 };
    int GetFrame() const { return m_nFrame; }
    bool IsPressed() const { return m_bPressed != 0; }
    bool IsHover() const { return m_bHover != 0; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Init();
    void LoadColors();
    bool IsCursorOver() const;
    void MouseOver(const QPoint &point);
    void SendClick();

    int m_bSpaceHeld = 0;
    int m_bHover = 0;
    int m_bDisabled = 0;
    int m_bFocused = 0;
    int m_bPressed = 0;
    int m_nFrame = FrameFlat;
    QColor m_clrFocusText;
    QColor m_clrText;
    QColor m_clrLight;
    QColor m_clrFace;
    QColor m_clrDark;
};
