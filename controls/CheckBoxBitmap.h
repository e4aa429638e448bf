#pragma once

#include <QColor>
#include <QImage>

// The strip of check-box images of the check-box list: three 16 by 16 cells
// side by side (empty box, box with a dark red tick, box with a black tick)
// on a yellow background that serves as the transparency key.
QImage CheckBoxBitmap();

// The key colour of CheckBoxBitmap(): pixels of this colour are transparent.
inline QColor CheckBoxBitmapMask()
{
    return QColor(255, 255, 0);
}
