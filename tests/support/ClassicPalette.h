#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>

class QWidget;

// Fixed colours for the pixel tests of the controls, distinct enough that a
// test can tell which system colour a pixel was drawn with, and a font without
// anti-aliasing so that text has pixels of exactly the text colour.
namespace ClassicPalette {

inline const QColor kFace(200, 200, 200);       // button face and window background
inline const QColor kLight(255, 255, 255);      // highlight edge of 3D frames
inline const QColor kDark(128, 128, 128);       // shadow edge of 3D frames
inline const QColor kText(10, 20, 30);          // window frame and label text
inline const QColor kWindow(250, 250, 240);     // edit fields, wells, list background
inline const QColor kWindowText(0, 0, 0);       // text in edit fields and lists
inline const QColor kHighlight(0, 0, 128);      // selection and progress bar
inline const QColor kSentinel(255, 0, 255);     // what a control left unpainted shows

// Every colour above in its palette role, in all colour groups.
QPalette Palette();
// Makes Palette() the application's palette.
void Apply();
// A dark desktop theme, as the common dark palettes set it (disabled text
// as bright as the rest: the program must grey it itself).
QPalette DarkPalette();
// DejaVu Sans at `pixelSize` pixels, without anti-aliasing.
QFont SharpFont(int pixelSize = 12);
// What `widget` itself paints, over kSentinel.
QImage Render(QWidget *widget);

} // namespace ClassicPalette
