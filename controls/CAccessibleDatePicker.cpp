#include "controls/CAccessibleDatePicker.h"

#include <QDateTimeEdit>

CAccessibleDatePicker::CAccessibleDatePicker(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::ComboBox)
{
}

QAccessible::State CAccessibleDatePicker::state() const
{
    QAccessible::State st = QAccessibleWidget::state();
    st.editable = true;
    return st;
}

QString CAccessibleDatePicker::text(QAccessible::Text t) const
{
    const auto *picker = static_cast<QDateTimeEdit *>(widget());
    if (t == QAccessible::Value)
        return picker->text();
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return picker->text();
    return QAccessibleWidget::text(t);
}
