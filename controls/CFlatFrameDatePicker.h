#pragma once

#include <QDateTimeEdit>

#include "platform/CTime.h"

// A date field in the locale's short date format with up-down arrows (no
// calendar pop-up), painted with a thin, flat outer frame. The time of day
// of the value it was given is kept when the user changes the date.
class CFlatFrameDatePicker : public QDateTimeEdit
{
    Q_OBJECT

public:
    explicit CFlatFrameDatePicker(QWidget *parent = nullptr);

    // Shows `time` (local calendar date) and remembers its time of day.
    void SetTime(const CTime &time);
    // The shown date at the time of day of the value last set.
    CTime GetTime() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void KeepTimeOfDay();

    QTime m_timeOfDay;
};
