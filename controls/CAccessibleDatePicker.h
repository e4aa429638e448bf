#pragma once

#include <QAccessibleWidget>

// The flat date-time picker as a stock date picker reads on this desktop:
// a combo box whose value is the date it shows.
class CAccessibleDatePicker : public QAccessibleWidget
{
public:
    explicit CAccessibleDatePicker(QWidget *widget);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
};
