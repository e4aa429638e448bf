#include "controls/CAccessibleStatic.h"

#include "controls/CEllipsisStatic.h"

CAccessibleStatic::CAccessibleStatic(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::StaticText)
{
}

QString CAccessibleStatic::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return static_cast<CEllipsisStatic *>(widget())->GetWindowText();
    return QAccessibleWidget::text(t);
}
