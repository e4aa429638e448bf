#pragma once

#include <QElapsedTimer>
#include <QEventLoop>

// Keeps the window alive during a long loop on the one thread: between two
// steps the loop asks Due(), which costs a clock read, and only when the last
// pump lies an interval back are pending events processed. A walk of a
// million files then spends its time walking, not polling, and a Cancel is
// still seen at the first step after the event that set it.
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
    // Processes the pending events now and starts a new interval.
    void Pump(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
    // Pumps when an interval has passed; returns whether it did.
    bool PumpIfDue(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

    // Milliseconds between two pumps for pumps made from now on. Tests set
    // 0 so that every step pumps and a Cancel can land between any two.
    static void SetDefaultInterval(int milliseconds);
    static int DefaultInterval();

private:
    static constexpr int kStride = 8;

    QElapsedTimer m_timer;
    int m_nInterval;
    int m_nCountdown = kStride;
};
