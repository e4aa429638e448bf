#pragma once

#include <QStringList>

class QWidget;

// What a screen reader would find wrong with the controls of `window`: every
// visible control (buttons, check boxes, radio buttons, combo boxes, date
// pickers, edits, lists, links, progress bars, painted statics) must have a
// non-empty accessible name and the role and states of its kind. Each fault
// is one line naming the control; an empty list means none.
QStringList AccessibleFaults(QWidget *window);

// How many controls AccessibleFaults looked at in `window`.
int AccessibleControlCount(QWidget *window);
