#pragma once

class QWidget;

// Shows a progress window above `owner`'s window, centred on it. The window
// has no Qt parent on purpose: the long loops disable the wizard, and a
// disabled parent would disable its child windows too, Cancel button and
// all. The window system still keeps it above its owner.
void ShowCentredOver(QWidget *window, QWidget *owner);
