#pragma once

#include <QAbstractButton>
#include <QColor>

#include "controls/CFlatButtonBase.h"

// What the flat check box and the flat radio button share: a 13 by 13 pixel
// indicator at the left edge, the label 19 pixels from the left edge, the
// press that completes only when released over the control, and the label
// colours (blue while focused, embossed while disabled). A completed click or
// space press emits clicked() exactly once. The check state is the Qt
// button's own, so assistive tools read it and hear each change.
class CFlatToggleButton : public CFlatButtonBase<QAbstractButton>
{
    Q_OBJECT

public:
    static constexpr int kIndicatorSize = 13;
    static constexpr int kLabelOffset = 19;

    int GetCheck() const { return isChecked() ? 1 : 0; }
    bool IsInside() const { return m_bInside != 0; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    explicit CFlatToggleButton(const QString &text, QWidget *parent);

    // The indicator cell of `client`: at its left edge, vertically centred.
    static QRect IndicatorCell(const QRect &client);
    // Draws the indicator into `cell` (13 by 13 pixels).
    virtual void DrawIndicator(QPainter &painter, const QRect &cell) = 0;
    // A completed click, space press or mnemonic: the check box flips, the
    // radio button checks itself and unchecks the rest of its group.
    virtual void OnActivated() = 0;
    // Whether the well is shown in the face colour (pressed under the
    // mouse, or disabled).
    bool WellInFaceColor() const;

    void Complete() override;
    void OnSpaceReleased() override;
    // QAbstractButton::click() (an assistive tool's press) goes the same way
    // as a completed click.
    void nextCheckState() override;

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    // Whether a move outside clears `inside` even when not pressed.
    bool m_bLeaveClearsInside = false;
    QColor m_clrWell;
};
