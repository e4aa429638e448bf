#pragma once

#include <QSize>

class QWidget;

// Whether the text of `widget` (a static text, push button, check box or
// radio button) shows whole in its rectangle at its font: every line and
// every word within the width, all lines within the height. Other widgets
// always fit.
bool TextFits(const QWidget *widget);

// The width a flat push button needs to show `text` whole.
int PushButtonWidthFor(const QWidget *button, const QString &text);

// Makes every static text and button directly inside `container` show its
// whole text, for texts longer than the template planned (a translation):
// a static that wraps takes the lines it needs, one that cannot wrap and a
// button get wider. What stands below a grown control moves down and what
// stands right of it on its row moves right, and the container grows by as
// much. Returns by how much the container grew.
QSize FitTextsInside(QWidget *container);
