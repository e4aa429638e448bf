#include "controls/CAccessibleLink.h"

#include "controls/CLinkStatic.h"

CAccessibleLink::CAccessibleLink(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::Link)
{
}

CLinkStatic *CAccessibleLink::link() const
{
    return static_cast<CLinkStatic *>(widget());
}

QAccessible::State CAccessibleLink::state() const
{
    QAccessible::State st = QAccessibleWidget::state();
    st.linked = true;
    st.traversed = link()->IsVisited();
    st.hotTracked = link()->IsOver();
    return st;
}

QString CAccessibleLink::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return widget()->accessibleName().isEmpty() ? link()->text() : widget()->accessibleName();
    case QAccessible::Description:
        return link()->GetURL();
    default:
        return QAccessibleWidget::text(t);
    }
}

QStringList CAccessibleLink::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void CAccessibleLink::doAction(const QString &actionName)
{
    if (actionName == pressAction())
        link()->OnClicked();
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList CAccessibleLink::keyBindingsForAction(const QString &actionName) const
{
    return actionName == pressAction() ? QStringList() : QAccessibleWidget::keyBindingsForAction(actionName);
}
