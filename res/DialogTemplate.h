#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class QWidget;

// What a control of a dialog template is; the dialog decides which widget
// class stands for it.
enum class DialogControlKind {
    Static,        // text
    Picture,       // bitmap or icon
    Frame,         // etched or sunken frame, no text
    PushButton,
    DefPushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    Edit,
    ComboBox,
    ListView,
    TreeView,
    DatePicker,
    UpDown,
    Progress,
};

// One control of a template: rectangle in dialog units; the text is the
// template's own (dialogs usually replace it from the string table).
struct DialogControlTemplate
{
    int id;
    DialogControlKind kind;
    QRect rect;
    QString text;
};

struct DialogTemplate
{
    int number = 0;
    QSize size;          // in dialog units
    QString caption;
    std::vector<DialogControlTemplate> controls;

    // The control with `id`, or nullptr. Controls without an id (-1) are
    // found by position in `controls`.
    const DialogControlTemplate *control(int id) const;
};

// The template with `number`, or nullptr when there is none.
const DialogTemplate *FindDialogTemplate(int number);

// The font every template is laid out in.
QFont DialogFont();

// Places `widget` at the rectangle of control `id` of `dialogTemplate`,
// converted to pixels through DialogFont() (see CDialogUnits).
void PlaceControl(QWidget *widget, const DialogTemplate &dialogTemplate, int id);
// Pixel size of the whole template.
QSize DialogPixelSize(const DialogTemplate &dialogTemplate);
