#include "core/CEventPump.h"

#include <QCoreApplication>

namespace {

// Short enough that painting and the Cancel button feel immediate.
int g_nDefaultInterval = 15;

} // namespace

CEventPump::CEventPump() : m_nInterval(g_nDefaultInterval)
{
    m_timer.start();
}

void CEventPump::Pump(QEventLoop::ProcessEventsFlags flags)
{
    QCoreApplication::processEvents(flags);
    m_timer.restart();
}

bool CEventPump::IntervalPassed(QElapsedTimer &timer, qint64 interval)
{
    if (timer.isValid() && timer.elapsed() < interval)
        return false;
    timer.start();
    return true;
}

void CEventPump::SetDefaultInterval(int milliseconds)
{
    g_nDefaultInterval = milliseconds < 0 ? 0 : milliseconds;
}
