#include "AccessibleAudit.h"

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CCheckButton.h"
#include "controls/CEllipsisStatic.h"
#include "controls/CFlatFrameDatePicker.h"
#include "controls/CLinkStatic.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CRadioButton.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QTreeView>

namespace {

struct Expectation
{
    QList<QAccessible::Role> roles;
    bool checkable = false;
};

bool Expect(const QWidget *widget, Expectation &expected)
{
    if (qobject_cast<const CCheckButton *>(widget))
        expected = {{QAccessible::CheckBox}, true};
    else if (qobject_cast<const CRadioButton *>(widget))
        expected = {{QAccessible::RadioButton}, true};
    else if (qobject_cast<const QAbstractButton *>(widget))
        expected = {{QAccessible::Button}, false};
    else if (qobject_cast<const CFlatFrameDatePicker *>(widget) || qobject_cast<const QComboBox *>(widget))
        expected = {{QAccessible::ComboBox}, false};
    else if (qobject_cast<const QLineEdit *>(widget))
        expected = {{QAccessible::EditableText}, false};
    else if (qobject_cast<const CCheckBoxListCtrl *>(widget))
        expected = {{QAccessible::Table}, false};
    else if (qobject_cast<const QAbstractItemView *>(widget))
        expected = {{QAccessible::Tree, QAccessible::List, QAccessible::Table}, false};
    else if (qobject_cast<const CLinkStatic *>(widget))
        expected = {{QAccessible::Link}, false};
    else if (qobject_cast<const CPercentProgressCtrl *>(widget))
        expected = {{QAccessible::ProgressBar}, false};
    else if (qobject_cast<const CEllipsisStatic *>(widget))
        expected = {{QAccessible::StaticText}, false};
    else
        return false;
    return true;
}

// The controls of `window` a screen reader lists, without the parts inside
// them (a combo box's edit, a list's header and scroll bars).
QList<QWidget *> Controls(QWidget *window)
{
    QList<QWidget *> found;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        Expectation expected;
        if (!widget->isVisibleTo(window) || !Expect(widget, expected))
            continue;
        bool inside = false;
        for (QWidget *up = widget->parentWidget(); up && up != window; up = up->parentWidget())
            inside = inside || Expect(up, expected);
        if (!inside)
            found.append(widget);
    }
    return found;
}

QString Describe(const QWidget *widget)
{
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(widget->metaObject()->className()),
                                           widget->objectName());
}

} // namespace

QStringList AccessibleFaults(QWidget *window)
{
    QStringList faults;
    for (QWidget *widget : Controls(window)) {
        Expectation expected;
        Expect(widget, expected);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
        if (!iface) {
            faults << Describe(widget) + QStringLiteral(": no interface");
            continue;
        }
        const QString name = iface->text(QAccessible::Name);
        if (name.trimmed().isEmpty())
            faults << Describe(widget) + QStringLiteral(": no name");
        if (!expected.roles.contains(iface->role()))
            faults << Describe(widget) + QStringLiteral(" \"%1\": role 0x%2").arg(name).arg(int(iface->role()), 0, 16);
        const QAccessible::State state = iface->state();
        if (bool(state.checkable) != expected.checkable)
            faults << Describe(widget) + QStringLiteral(" \"%1\": checkable %2").arg(name).arg(bool(state.checkable));
        if (const auto *button = qobject_cast<const CFlatToggleButton *>(widget)) {
            if (bool(state.checked) != (button->GetCheck() != 0))
                faults << Describe(widget) + QStringLiteral(" \"%1\": checked state differs").arg(name);
        }
        if (bool(state.disabled) == widget->isEnabled())
            faults << Describe(widget) + QStringLiteral(" \"%1\": disabled state differs").arg(name);
    }
    return faults;
}

int AccessibleControlCount(QWidget *window)
{
    return Controls(window).size();
}
