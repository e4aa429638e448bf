#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's pictures by resource number (IDB_..., IDI_PROGRAM). Each is
// kept at two scales; the one that suits the screen is returned, with its
// device pixel ratio set, so it always covers the same logical size.
// An unknown number gives a null pixmap.
QPixmap LoadBitmap(int id);
// The same picture at 1x, whatever the screen: for code that cuts a strip
// into images of a fixed pixel width.
QPixmap LoadBitmapAtScale1(int id);
// The program icon at every size it is drawn at.
QIcon LoadProgramIcon();
// Resource path of a picture's 1x file, empty for an unknown number.
QString BitmapPath(int id);
