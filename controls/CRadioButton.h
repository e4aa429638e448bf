#pragma once

#include "controls/CFlatToggleButton.h"

// A radio button with a 13 by 13 pixel round well and a dot. Its group is the
// run of consecutive CRadioButton siblings (in the parent's child order) that
// contains it; checking it by the user unchecks the rest of that run.
class CRadioButton : public CFlatToggleButton
{
    Q_OBJECT

public:
    explicit CRadioButton(QWidget *parent = nullptr);
    explicit CRadioButton(const QString &text, QWidget *parent = nullptr);

    // Nonzero checks the button; zero unchecks it and also takes it out of
    // the tab order (it comes back when the button gains the focus).
    void SetCheck(int nCheck);
    bool HasTabStop() const;

    // The other buttons of this button's group, in child order.
    QList<CRadioButton *> GroupSiblings() const;

protected:
    void DrawIndicator(QPainter &painter, const QRect &cell) override;
    void OnActivated() override;
    void focusInEvent(QFocusEvent *event) override;
};
