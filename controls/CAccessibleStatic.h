#pragma once

#include <QAccessibleWidget>

// A painted static text read as a stock label: its whole text, even where
// the painting shortens it with an ellipsis.
class CAccessibleStatic : public QAccessibleWidget
{
public:
    explicit CAccessibleStatic(QWidget *widget);

    QString text(QAccessible::Text t) const override;
};
