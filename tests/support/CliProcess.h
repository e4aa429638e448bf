#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

// A program run to its end, as the command-line tests see it.
struct ProcessRun
{
    int exitCode = -1; // -1 when it did not end normally in time
    QByteArray out;
    QByteArray err;
};

ProcessRun RunProcess(const QString &program, const QStringList &args,
                      const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                      int timeoutMs = 60000);

// The environment of this test with `name` set to `value`.
QProcessEnvironment EnvironmentWith(const QString &name, const QString &value);

#ifdef BV_CLI_PATH
// brimvale-cli, for the test targets that are given its path.
inline ProcessRun RunCli(const QStringList &args,
                         const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                         int timeoutMs = 60000)
{
    return RunProcess(QStringLiteral(BV_CLI_PATH), args, environment, timeoutMs);
}
#endif
