#include "ClipAudit.h"

#include "controls/TextFit.h"

#include <QAbstractButton>
#include <QLabel>

QStringList ClippedTexts(QWidget *window)
{
    QStringList clipped;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window) || TextFits(widget))
            continue;
        // A line cut at the edge on purpose keeps its whole text in its tooltip.
        if (!widget->toolTip().isEmpty() && widget->toolTip() == widget->property("text").toString())
            continue;
        clipped << QStringLiteral("%1 \"%2\" %3x%4")
                       .arg(QString::fromLatin1(widget->metaObject()->className()),
                            widget->property("text").toString())
                       .arg(widget->width())
                       .arg(widget->height());
    }
    return clipped;
}
