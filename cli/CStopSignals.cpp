#include "cli/CStopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_received = 0;
struct sigaction g_oldInt;
struct sigaction g_oldTerm;

extern "C" void NoteSignal(int signal)
{
    // The first signal is the one reported; a second one changes nothing.
    if (g_received == 0)
        g_received = signal;
}

} // namespace

CStopSignals::CStopSignals()
{
    g_received = 0;
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls carry on: the action itself decides where to stop.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &g_oldInt);
    ::sigaction(SIGTERM, &action, &g_oldTerm);
    // A signal the shell told us to ignore (a job started with nohup) stays
    // ignored.
    if (g_oldInt.sa_handler == SIG_IGN)
        ::sigaction(SIGINT, &g_oldInt, nullptr);
    if (g_oldTerm.sa_handler == SIG_IGN)
        ::sigaction(SIGTERM, &g_oldTerm, nullptr);
}

CStopSignals::~CStopSignals()
{
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
}

int CStopSignals::Received()
{
    return int(g_received);
}
