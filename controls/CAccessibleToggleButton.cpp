#include "controls/CAccessibleToggleButton.h"

#include "controls/AccessibleFactory.h"
#include "controls/CFlatToggleButton.h"

#include <QKeySequence>

CAccessibleToggleButton::CAccessibleToggleButton(QWidget *widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role)
{
}

CFlatToggleButton *CAccessibleToggleButton::button() const
{
    return static_cast<CFlatToggleButton *>(widget());
}

QAccessible::State CAccessibleToggleButton::state() const
{
    QAccessible::State st = QAccessibleWidget::state();
    st.checkable = true;
    st.checked = button()->GetCheck() != 0;
    if (button()->IsPressed())
        st.pressed = true;
    return st;
}

QString CAccessibleToggleButton::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        if (!widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        return StripMnemonic(button()->text());
    case QAccessible::Accelerator: {
        const QKeySequence key = QKeySequence::mnemonic(button()->text());
        return key.isEmpty() ? QString() : key.toString(QKeySequence::NativeText);
    }
    default:
        return QAccessibleWidget::text(t);
    }
}

QStringList CAccessibleToggleButton::actionNames() const
{
    QStringList names;
    if (widget()->isEnabled())
        names << (role() == QAccessible::CheckBox ? toggleAction() : pressAction());
    return names + QAccessibleWidget::actionNames();
}

void CAccessibleToggleButton::doAction(const QString &actionName)
{
    if (!widget()->isEnabled())
        return;
    if (actionName == pressAction() || actionName == toggleAction())
        button()->click();
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList CAccessibleToggleButton::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == pressAction() || actionName == toggleAction())
        return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
