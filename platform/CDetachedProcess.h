#pragma once

#include <QStringList>

// Starts a program that lives on after this one: no shell in between, its
// own session, reaped by init (or by a watcher process that reports its
// exit status) rather than by us.
class CDetachedProcess
{
public:
    // argv[0] is the program, looked up in PATH unless it holds a slash;
    // the rest are passed as they are. Returns 0 once the program runs,
    // otherwise the errno that stopped it (the program's own exec failure
    // included).
    static int Start(const QStringList &argv);

    // How a program started by StartAndWait fared within the wait.
    struct Waited
    {
        int startError = 0;    // the errno that kept it from running, 0 when it ran
        bool finished = false; // it ended within the wait
        int exitStatus = -1;   // its exit status when it ended; -1 when a signal ended it
    };
    // Starts the program as Start does and waits at most `waitMs` for it to
    // end, to learn whether it did what it was asked. A program still
    // running after the wait lives on by itself, as with Start.
    static Waited StartAndWait(const QStringList &argv, int waitMs);

private:
    // The file exec would run for `program`, or empty with *error set.
    static QByteArray Resolve(const QByteArray &program, int *error);
};
