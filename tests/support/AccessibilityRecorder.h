#pragma once

#include <QAccessible>
#include <QList>
#include <QPointer>
#include <QVariant>

// Switches the accessibility layer on as a screen reader would, and keeps
// every event the widgets send while the recorder lives.
class AccessibilityRecorder
{
public:
    struct Event
    {
        QAccessible::Event type;
        QPointer<QObject> object;
        int child;
        QAccessible::State changed; // StateChanged only
        QVariant value;             // ValueChanged only
    };

    AccessibilityRecorder();
    ~AccessibilityRecorder();

    const QList<Event> &events() const;
    void clear();
    // The events of `type` sent for `object` (and `child`, unless -2).
    QList<Event> of(QAccessible::Event type, const QObject *object, int child = -2) const;
};
