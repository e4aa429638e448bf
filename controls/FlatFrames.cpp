#include "controls/FlatFrames.h"

#include <QPainter>

void Draw3dRect(QPainter &painter, const QRect &rect, const QColor &topLeft, const QColor &bottomRight)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const int x = rect.x();
    const int y = rect.y();
    const int cx = rect.width();
    const int cy = rect.height();
    painter.fillRect(QRect(x, y, cx - 1, 1), topLeft);
    painter.fillRect(QRect(x, y, 1, cy - 1), topLeft);
    painter.fillRect(QRect(x + cx - 1, y, 1, cy), bottomRight);
    painter.fillRect(QRect(x, y + cy - 1, cx, 1), bottomRight);
}

void FrameRect(QPainter &painter, const QRect &rect, const QColor &color)
{
    Draw3dRect(painter, rect, color, color);
}

void DrawLineExclusive(QPainter &painter, const QPoint &from, const QPoint &to, const QColor &color)
{
    const int dx = (to.x() > from.x()) - (to.x() < from.x());
    const int dy = (to.y() > from.y()) - (to.y() < from.y());
    const int steps = qMax(qAbs(to.x() - from.x()), qAbs(to.y() - from.y()));
    QPoint point = from;
    for (int i = 0; i < steps; ++i) {
        painter.fillRect(QRect(point, QSize(1, 1)), color);
        point += QPoint(dx, dy);
    }
}

void DrawLabel(QPainter &painter, const QRect &rect, int flags, const QString &text, bool bDisabled,
               const QColor &color, const QColor &light, const QColor &dark)
{
    if (bDisabled) {
        painter.setPen(light);
        painter.drawText(rect.translated(1, 1), flags, text);
        painter.setPen(dark);
        painter.drawText(rect, flags, text);
    } else {
        painter.setPen(color);
        painter.drawText(rect, flags, text);
    }
}
