#pragma once

#include <QStringList>

class QWidget;

// Every visible static text and button of `window` whose text does not show
// whole (see TextFits), one line each with its text and sizes.
QStringList ClippedTexts(QWidget *window);
