#pragma once

class QString;
class QWidget;

// Makes the accessibility layer describe the custom controls as the stock
// control of their kind (check box, radio button, progress bar, static text,
// link, combo box, table). Every custom control calls it when it is made, so
// that whatever builds the controls, a screen reader gets the right roles.
// Installing twice does nothing.
void EnsureAccessibleFactory();

// The text a screen reader reads for a control label: mnemonic marks taken
// out ("&&" stays as one "&").
QString StripMnemonic(const QString &text);

// Gives every interactive child of `container` that has no accessible name
// the text of the nearest static text before it (in child order, which is
// the template's and the tab order), as a label does for its buddy; a list
// takes the first static (a page's title); without any, the first static
// after it or the window's caption.
void NameControlsByLabels(QWidget *container);
