#pragma once

#include <QStringList>

// Starts a program that lives on after this one: no shell in between, its
// own session, reaped by init rather than by us.
class CDetachedProcess
{
public:
    // argv[0] is the program, looked up in PATH unless it holds a slash;
    // the rest are passed as they are. Returns 0 once the program runs,
    // otherwise the errno that stopped it (the program's own exec failure
    // included).
    static int Start(const QStringList &argv);

private:
    // The file exec would run for `program`, or empty with *error set.
    static QByteArray Resolve(const QByteArray &program, int *error);
};
