#pragma once

#include <QAccessibleWidget>

class CLinkStatic;

// The hyperlink as a stock link: its text as the name, its address as the
// description and a press action that opens it as a click does.
class CAccessibleLink : public QAccessibleWidget
{
public:
    explicit CAccessibleLink(QWidget *widget);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    CLinkStatic *link() const;
};
