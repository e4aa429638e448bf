#pragma once

// Building blocks of the template tables; only the tables include this.

#include "res/DialogTemplateData.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <vector>

// The wizard pages (102 to 110, 112, 113).
std::vector<DialogTemplate> PageTemplates();
// The dialogs (100, 133, 135 to 138, 150).
std::vector<DialogTemplate> DialogBoxTemplates();

namespace TemplateTable {

// A control at x, y, width, height in dialog units. With a string id and no
// literal text, the template text is that string, so a dialog built straight
// from the template already reads right.
inline DialogControlTemplate Control(int id, DialogControlKind kind, int x, int y, int width, int height,
                                     int textId = 0, const char *text = nullptr)
{
    DialogControlTemplate control{id, kind, QRect(x, y, width, height), QString(), textId};
    if (text)
        control.text = QString::fromUtf8(text);
    else if (textId)
        control.text = LoadString(textId);
    return control;
}

inline DialogControlTemplate Aligned(DialogControlTemplate control, Qt::Alignment alignment)
{
    control.alignment = alignment;
    return control;
}

inline DialogControlTemplate Disabled(DialogControlTemplate control)
{
    control.disabled = true;
    return control;
}

inline DialogControlTemplate SunkenPicture(int imageId, int x, int y, int width, int height)
{
    DialogControlTemplate control = Control(IDC_STATIC, DialogControlKind::Picture, x, y, width, height);
    control.imageId = imageId;
    control.sunken = true;
    return control;
}

inline DialogControlTemplate Icon(int x, int y, int width, int height)
{
    DialogControlTemplate control = Control(IDC_STATIC, DialogControlKind::Picture, x, y, width, height);
    control.imageId = IDI_PROGRAM;
    return control;
}

inline DialogTemplate Template(int number, int width, int height, const QString &caption,
                               std::vector<DialogControlTemplate> controls)
{
    return DialogTemplate{number, QSize(width, height), caption, std::move(controls)};
}

} // namespace TemplateTable
