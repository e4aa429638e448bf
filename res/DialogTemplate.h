#pragma once

#include "res/DialogTemplateData.h"

#include <QFont>

class QWidget;

// The font every template is laid out in.
QFont DialogFont();

// Places `widget` at the rectangle of control `id` of `dialogTemplate`,
// converted to pixels through DialogFont() (see CDialogUnits). A combo box
// keeps its own height: the template's height is that of its dropped list.
// An unknown id leaves the widget where it is.
void PlaceControl(QWidget *widget, const DialogTemplate &dialogTemplate, int id);
// Places `widget` at `control`'s rectangle; for controls without an id.
void PlaceControl(QWidget *widget, const DialogControlTemplate &control);
// Pixel size of the whole template.
QSize DialogPixelSize(const DialogTemplate &dialogTemplate);
