#pragma once

#include <QElapsedTimer>
#include <QEventLoop>

// The rhythm of every long loop on the one thread (the scan, the actions):
// between two steps the loop asks Due(), which costs a clock read, and only
// when the last pump lies an interval back are pending events processed. A
// walk of a million files then spends its time walking, not polling, and a
// Cancel is still seen at the first step after the event that set it.
//
// Redrawing is slower than pumping: laying out text and telling a list about
// new or removed rows cost far more than a pump, and nobody reads a path that
// stays 15 ms. So at a pump the loop also asks TextDue() (path line, totals:
// a few times a second) and ListDue() (rows inserted or removed: about four
// times a second). This class is the one place that sets that rhythm.
class CEventPump
{
public:
    CEventPump();

    // Reads the clock only every few calls: a step of the walk is shorter
    // than the clock read would be worth.
    bool Due()
    {
        if (m_nInterval > 0 && --m_nCountdown > 0)
            return false;
        m_nCountdown = kStride;
        return m_timer.elapsed() >= m_nInterval;
    }
    // The same, reading the clock at every call: for steps long enough (a
    // block of a long copy) that the stride would hide a Cancel.
    bool DueNow()
    {
        m_nCountdown = kStride;
        return m_timer.elapsed() >= m_nInterval;
    }
    // Processes the pending events now and starts a new interval.
    void Pump(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

    // Whether texts shown during the loop should be redrawn now, and whether
    // the list should hear of its changed rows now; each answers true at most
    // once per its own interval (always true the first time).
    bool TextDue() { return IntervalPassed(m_textTimer, kTextIntervalMs); }
    bool ListDue() { return IntervalPassed(m_listTimer, kListIntervalMs); }

    // Milliseconds between two pumps for pumps made from now on. Tests set
    // 0 so that every step pumps and a Cancel can land between any two.
    static void SetDefaultInterval(int milliseconds);

private:
    static constexpr int kStride = 8;
    static constexpr qint64 kTextIntervalMs = 100;
    static constexpr qint64 kListIntervalMs = 250;

    static bool IntervalPassed(QElapsedTimer &timer, qint64 interval);

    QElapsedTimer m_timer;
    QElapsedTimer m_textTimer;
    QElapsedTimer m_listTimer;
    int m_nInterval;
    int m_nCountdown = kStride;
};
