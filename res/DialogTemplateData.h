#pragma once

// The dialog templates as plain data, without any Gui dependency, so that
// widget-free code and tests can read layouts too. res/DialogTemplate.h adds
// the conversion to pixels.

#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>
#include <vector>

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
    ComboBox,      // the rectangle's height includes the dropped-down list
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
    // String id the dialog puts into the control when it initialises (0:
    // none, the template text stays). `text` already holds that string.
    int textId = 0;
    // Bitmap or icon a Picture shows (0: none).
    int imageId = 0;
    // Text alignment of a Static; left and top when not given.
    Qt::Alignment alignment = {};
    bool sunken = false;   // sunken edge (pictures)
    bool disabled = false; // disabled until the dialog enables it

    // The text to show now: string `textId` through the installed
    // translation (which may have come after the templates were read), else
    // the template's own text.
    QString Text() const;
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

// Every template of the program, in ascending number order.
const std::vector<DialogTemplate> &AllDialogTemplates();
