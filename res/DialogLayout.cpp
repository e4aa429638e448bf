#include "res/DialogTemplate.h"

#include "res/DialogUnits.h"

#include <QWidget>

QFont DialogFont()
{
    // Layouts are in dialog units of this font, so its metrics decide every
    // pixel of every page. DejaVu Sans is installed wherever the program and
    // its tests run (fonts-dejavu-core), so pages look and measure the same on
    // every desktop and offscreen; a point size, not a pixel size, lets the
    // pages grow with the screen's resolution.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

void PlaceControl(QWidget *widget, const DialogControlTemplate &control)
{
    if (!widget)
        return;
    const CDialogUnits units(DialogFont());
    QRect pixels = units.toPixels(control.rect);
    // A combo box's template height is that of its open list; the closed box
    // is as high as its own font and style make it.
    if (control.kind == DialogControlKind::ComboBox)
        pixels.setHeight(widget->sizeHint().height());
    widget->setGeometry(pixels);
}

void PlaceControl(QWidget *widget, const DialogTemplate &dialogTemplate, int id)
{
    if (const DialogControlTemplate *control = dialogTemplate.control(id))
        PlaceControl(widget, *control);
}

QSize DialogPixelSize(const DialogTemplate &dialogTemplate)
{
    return CDialogUnits(DialogFont()).toPixels(dialogTemplate.size);
}
