#pragma once

#include <QPushButton>

#include "controls/CFlatButtonBase.h"

// A push button drawn flat on the button face with a thin raised frame. Under
// the mouse it shows a full raised button frame, held down a thin sunken one.
// A completed mouse click or space press emits clicked() exactly once.
class CFlatPushButton : public CFlatButtonBase<QPushButton>
{
    Q_OBJECT

public:
    explicit CFlatPushButton(QWidget *parent = nullptr);
    explicit CFlatPushButton(const QString &text, QWidget *parent = nullptr);

    // The frame the button shows: 0 flat, 1 sunken (pressed under the mouse),
    // 2 raised (under the mouse, or focused under it).
    enum Frame { FrameFlat = 0, FrameSunken = 1, FrameRaised = 2 };
    int GetFrame() const { return m_nFrame; }
    bool IsHover() const { return m_bInside != 0; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void Complete() override;
    void OnSpacePressed() override;
    void OnSpaceReleased() override;

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Init();
    bool IsCursorOver() const;
    void MouseOver(const QPoint &point);

    int m_nFrame = FrameFlat;
};
