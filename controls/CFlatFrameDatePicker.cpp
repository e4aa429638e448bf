#include "controls/CFlatFrameDatePicker.h"

#include "controls/AccessibleFactory.h"
#include <QAccessible>
#include <QLocale>
#include <QPainter>

#include "controls/FlatFrames.h"
#include "controls/SystemColors.h"

namespace {

// The locale's short date format, with the year always in four digits so
// that a date typed in is never moved into another century.
QString ShortDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

} // namespace

CFlatFrameDatePicker::CFlatFrameDatePicker(QWidget *parent)
    : QDateTimeEdit(parent)
{
    EnsureAccessibleFactory();
    setCalendarPopup(false);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setDisplayFormat(ShortDateFormat());
    setTimeSpec(Qt::LocalTime);
    connect(this, &QDateTimeEdit::dateTimeChanged, this, &CFlatFrameDatePicker::KeepTimeOfDay);
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this] {
        QAccessibleValueChangeEvent event(this, text());
        QAccessible::updateAccessibility(&event);
    });
}

void CFlatFrameDatePicker::SetTime(const CTime &time)
{
    const QDateTime value = QDateTime::fromSecsSinceEpoch(time.GetTime(), Qt::LocalTime);
    m_timeOfDay = value.time();
    setDateTime(value);
}

CTime CFlatFrameDatePicker::GetTime() const
{
    const QTime timeOfDay = m_timeOfDay.isValid() ? m_timeOfDay : dateTime().time();
    return CTime(QDateTime(date(), timeOfDay, Qt::LocalTime).toSecsSinceEpoch());
}

void CFlatFrameDatePicker::KeepTimeOfDay()
{
    // The field shows only the date; editing it must not lose the time of
    // day of the value it was given.
    if (m_timeOfDay.isValid() && time() != m_timeOfDay)
        setTime(m_timeOfDay);
}

void CFlatFrameDatePicker::paintEvent(QPaintEvent *event)
{
    QDateTimeEdit::paintEvent(event);
    QPainter painter(this);
    const QRect r = rect();
    FrameRect(painter, r, GetSysColor(COLOR_BTNFACE));
    Draw3dRect(painter, r.adjusted(1, 1, -1, -1), GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
}
