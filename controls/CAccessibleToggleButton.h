#pragma once

#include <QAccessibleWidget>

class CFlatToggleButton;

// What a screen reader gets for the flat check box and radio button: the
// role of a stock check box or radio button, checkable and checked states,
// the label without its mnemonic mark, and a press/toggle action that acts
// like a click.
class CAccessibleToggleButton : public QAccessibleWidget
{
public:
    CAccessibleToggleButton(QWidget *widget, QAccessible::Role role);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    CFlatToggleButton *button() const;
};
