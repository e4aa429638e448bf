#pragma once

#include "controls/CFlatToggleButton.h"

// A check box with a flat 13 by 13 pixel box and a black tick. It keeps its
// own checked flag, flips it on a completed click or space press and then
// emits clicked().
class CCheckButton : public CFlatToggleButton
{
    Q_OBJECT

public:
    explicit CCheckButton(QWidget *parent = nullptr);
    explicit CCheckButton(const QString &text, QWidget *parent = nullptr);

    // Sets the check state and repaints at once.
    void SetCheck(int nCheck);

protected:
    void DrawIndicator(QPainter &painter, const QRect &cell) override;
    void OnActivated() override;
};
