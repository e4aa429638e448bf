#include "controls/AccessibleFactory.h"

#include "controls/CAccessibleCheckList.h"
#include "controls/CAccessibleDatePicker.h"
#include "controls/CAccessibleLink.h"
#include "controls/CAccessibleProgress.h"
#include "controls/CAccessibleStatic.h"
#include "controls/CAccessibleToggleButton.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

// Called with each class name of the object's class chain, most derived
// first; the first interface returned wins, so the stock interfaces of the
// Qt base classes apply only where none of ours does.
QAccessibleInterface *CreateInterface(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("CCheckButton"))
        return new CAccessibleToggleButton(widget, QAccessible::CheckBox);
    if (className == QLatin1String("CRadioButton"))
        return new CAccessibleToggleButton(widget, QAccessible::RadioButton);
    if (className == QLatin1String("CPercentProgressCtrl"))
        return new CAccessibleProgress(widget);
    if (className == QLatin1String("CEllipsisStatic"))
        return new CAccessibleStatic(widget);
    if (className == QLatin1String("CLinkStatic"))
        return new CAccessibleLink(widget);
    if (className == QLatin1String("CFlatFrameDatePicker"))
        return new CAccessibleDatePicker(widget);
    if (className == QLatin1String("CCheckBoxListCtrl"))
        return new CAccessibleCheckList(widget);
    return nullptr;
}

QString LabelText(const QLabel *label)
{
    if (label->text().isEmpty() || !label->pixmap().isNull())
        return QString();
    return StripMnemonic(label->text()).simplified();
}

bool NeedsLabel(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QComboBox *>(widget)
           || qobject_cast<const QAbstractSpinBox *>(widget) || qobject_cast<const QAbstractItemView *>(widget)
           || widget->inherits("CUpDownCtrl");
}

} // namespace

void EnsureAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(&CreateInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

QString StripMnemonic(const QString &text)
{
    QString stripped;
    stripped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) {
            stripped.append(text.at(i));
        } else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
            stripped.append(QLatin1Char('&'));
            ++i;
        }
    }
    return stripped;
}

void NameControlsByLabels(QWidget *container)
{
    QList<QWidget *> widgets;
    for (QObject *child : container->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->isWindow())
            widgets.append(widget);
    }
    auto labelText = [](QWidget *widget) {
        auto *label = qobject_cast<QLabel *>(widget);
        return label ? LabelText(label) : QString();
    };
    for (qsizetype i = 0; i < widgets.size(); ++i) {
        QWidget *widget = widgets.at(i);
        if (!NeedsLabel(widget) || !widget->accessibleName().isEmpty())
            continue;
        // A list is named by the first static (a page's title); the others
        // by the nearest static before them. Else the first after it (a
        // dialog may make its message after its list), else the caption.
        QString name;
        if (qobject_cast<QAbstractItemView *>(widget)) {
            for (qsizetype first = 0; first < widgets.size() && name.isEmpty(); ++first)
                name = labelText(widgets.at(first));
        }
        for (qsizetype before = i - 1; before >= 0 && name.isEmpty(); --before)
            name = labelText(widgets.at(before));
        for (qsizetype after = i + 1; after < widgets.size() && name.isEmpty(); ++after)
            name = labelText(widgets.at(after));
        if (name.isEmpty())
            name = StripMnemonic(container->window()->windowTitle());
        if (!name.isEmpty())
            widget->setAccessibleName(name);
    }
}
