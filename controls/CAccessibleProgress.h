#pragma once

#include <QAccessibleWidget>

class CPercentProgressCtrl;

// The percent progress bar as a screen reader expects a progress bar: its
// position, range and the percentage it shows as the value text.
class CAccessibleProgress : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit CAccessibleProgress(QWidget *widget);

    void *interface_cast(QAccessible::InterfaceType t) override;
    QString text(QAccessible::Text t) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 0; }

private:
    CPercentProgressCtrl *progress() const;
};
