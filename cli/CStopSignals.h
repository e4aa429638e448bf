#pragma once

// SIGINT and SIGTERM as a request to stop, for as long as an object of this
// class lives: the handler only notes the signal (async-signal-safe), and
// the running action looks at it between files and between the blocks of a
// long copy, so that it stops with nothing half done. Before and after, the
// signals do what they did.
class CStopSignals
{
public:
    CStopSignals();
    ~CStopSignals();
    CStopSignals(const CStopSignals &) = delete;
    CStopSignals &operator=(const CStopSignals &) = delete;

    // The signal that asked to stop, 0 while none did.
    static int Received();
    // The exit status of a program a signal stopped: 128 + its number.
    static int ExitStatus(int signal) { return 128 + signal; }
};
