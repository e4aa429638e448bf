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

bool CEventPump::PumpIfDue(QEventLoop::ProcessEventsFlags flags)
{
    if (!Due())
        return false;
    Pump(flags);
    return true;
}

void CEventPump::SetDefaultInterval(int milliseconds)
{
    g_nDefaultInterval = milliseconds < 0 ? 0 : milliseconds;
}

int CEventPump::DefaultInterval()
{
    return g_nDefaultInterval;
}
