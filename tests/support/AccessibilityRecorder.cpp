#include "AccessibilityRecorder.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

QList<AccessibilityRecorder::Event> &Recorded()
{
    static QList<AccessibilityRecorder::Event> events;
    return events;
}

void Record(QAccessibleEvent *event)
{
    AccessibilityRecorder::Event kept{event->type(), event->object(), event->child(), {}, {}};
    if (event->type() == QAccessible::StateChanged)
        kept.changed = static_cast<QAccessibleStateChangeEvent *>(event)->changedStates();
    if (event->type() == QAccessible::ValueChanged)
        kept.value = static_cast<QAccessibleValueChangeEvent *>(event)->value();
    Recorded().append(kept);
}

QPlatformAccessibility *Platform()
{
    QPlatformIntegration *integration = QGuiApplicationPrivate::platformIntegration();
    return integration ? integration->accessibility() : nullptr;
}

} // namespace

AccessibilityRecorder::AccessibilityRecorder()
{
    Recorded().clear();
    QAccessible::installUpdateHandler(&Record);
    if (QPlatformAccessibility *platform = Platform())
        platform->setActive(true);
}

AccessibilityRecorder::~AccessibilityRecorder()
{
    if (QPlatformAccessibility *platform = Platform())
        platform->setActive(false);
    QAccessible::installUpdateHandler(nullptr);
    Recorded().clear();
}

const QList<AccessibilityRecorder::Event> &AccessibilityRecorder::events() const
{
    return Recorded();
}

void AccessibilityRecorder::clear()
{
    Recorded().clear();
}

QList<AccessibilityRecorder::Event> AccessibilityRecorder::of(QAccessible::Event type, const QObject *object,
                                                             int child) const
{
    QList<Event> found;
    for (const Event &event : Recorded()) {
        if (event.type == type && event.object == object && (child == -2 || event.child == child))
            found.append(event);
    }
    return found;
}
