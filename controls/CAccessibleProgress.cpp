#include "controls/CAccessibleProgress.h"

#include "controls/CPercentProgressCtrl.h"

#include <QLabel>

CAccessibleProgress::CAccessibleProgress(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::ProgressBar)
{
}

CPercentProgressCtrl *CAccessibleProgress::progress() const
{
    return static_cast<CPercentProgressCtrl *>(widget());
}

void *CAccessibleProgress::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString CAccessibleProgress::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return QStringLiteral("%1%").arg(progress()->Percent());
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
        // A progress window says what it is doing in a line beside the
        // bar ("Deleting ..."): that line names the bar.
        if (const QWidget *parent = widget()->parentWidget()) {
            for (const QLabel *label : parent->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
                if (!label->text().isEmpty() && label->pixmap().isNull())
                    return label->text();
            }
        }
        return widget()->window()->windowTitle();
    }
    return QAccessibleWidget::text(t);
}

QVariant CAccessibleProgress::currentValue() const
{
    return progress()->GetPos();
}

QVariant CAccessibleProgress::maximumValue() const
{
    int lower = 0;
    int upper = 0;
    progress()->GetRange(lower, upper);
    return upper;
}

QVariant CAccessibleProgress::minimumValue() const
{
    int lower = 0;
    int upper = 0;
    progress()->GetRange(lower, upper);
    return lower;
}
