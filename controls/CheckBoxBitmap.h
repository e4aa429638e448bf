#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>

// The strip of check-box images of the check-box list: three 16 by 16 cells
// side by side (empty box, box with a dark red tick, box with a black tick)
// on a yellow background that serves as the transparency key.
QImage CheckBoxBitmap();

// Image `nImage` of that strip (0 empty, 1 checked, 2 black tick) drawn for
// a screen with `ratio` device pixels per pixel: at 1 exactly the bitmap's
// cell; at any other ratio painted at the device's own pixels (box edges on
// whole pixels, the tick smoothed), so that 1.25, 1.5 or 2 look as crisp as
// 1 instead of a resampled 16 by 16 cell. Transparent around the box.
QPixmap CheckBoxCell(int nImage, qreal ratio);

// The key colour of CheckBoxBitmap(): pixels of this colour are transparent.
inline QColor CheckBoxBitmapMask()
{
    return QColor(255, 255, 0);
}
