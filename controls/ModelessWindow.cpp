#include "controls/ModelessWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

void ShowCentredOver(QWidget *window, QWidget *owner)
{
    if (!window)
        return;
    QWidget *ownerWindow = owner ? owner->window() : nullptr;
    window->winId(); // creates the native window, so it can be given an owner
    if (ownerWindow && ownerWindow->windowHandle() && window->windowHandle())
        window->windowHandle()->setTransientParent(ownerWindow->windowHandle());

    QRect area;
    if (ownerWindow && ownerWindow->isVisible())
        area = ownerWindow->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    QRect frame(QPoint(0, 0), window->size());
    if (area.isValid())
        frame.moveCenter(area.center());
    window->move(frame.topLeft());
    window->show();
}
