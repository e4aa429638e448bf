#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

// The one-pixel frames of the flat look. Every frame lies inside its
// rectangle: `topLeft` paints the top edge without its right-most pixel and
// the left edge without its bottom pixel; `bottomRight` paints the whole
// right and bottom edges.
void Draw3dRect(QPainter &painter, const QRect &rect, const QColor &topLeft, const QColor &bottomRight);
// A one-pixel frame of one colour inside `rect`.
void FrameRect(QPainter &painter, const QRect &rect, const QColor &color);
// A straight line of single pixels from `from` up to, but not including,
// `to`; horizontal, vertical or at 45 degrees.
void DrawLineExclusive(QPainter &painter, const QPoint &from, const QPoint &to, const QColor &color);
// Draws `text` in `rect` with Qt `flags`, embossed when `bDisabled` (a light
// copy one pixel down and right, then a dark copy in place), else once in
// `color`.
void DrawLabel(QPainter &painter, const QRect &rect, int flags, const QString &text, bool bDisabled,
               const QColor &color, const QColor &light, const QColor &dark);
