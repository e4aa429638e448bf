#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Turns the Exec= line of the default web browser's desktop entry into the
// argument vector that opens one address. Widget-free and without any
// system call, so every rule can be checked on plain strings.
class CBrowserCommand
{
public:
    // What a command line may hold, its terminating zero included. Longer
    // lines are refused rather than cut: a cut address opens the wrong page.
    static constexpr int kMaxCommandLine = 504;

    enum Status {
        Ok,
        NoCommand,  // the entry has no Exec= line, or it is empty
        Malformed,  // an unterminated quote or a stray backslash
        TooLong,    // the command line with the address exceeds kMaxCommandLine
    };

    struct Result
    {
        Status status = NoCommand;
        QStringList argv; // program first, the address last
    };

    // The value of Exec in the [Desktop Entry] group of a desktop file, with
    // the string escapes (\s \n \t \r \\) undone. Empty when there is none.
    static QString ExecFromDesktopEntry(const QByteArray &contents);

    // The line cut before the first URL or file field code: before the
    // opening quote when the code stands in double quotes of its own,
    // otherwise right before the code. A line without one is kept whole.
    static QString CutAtFieldCode(const QString &execLine);

    // Splits a command line into arguments by the desktop entry quoting
    // rules. Field codes are dropped, "%%" becomes "%". Returns false on an
    // unterminated quote or an escape outside the allowed set.
    static bool SplitArguments(const QString &commandLine, QStringList *argv);

    // The whole recipe: cut, check the length, split, append `address` as
    // one argument of its own.
    static Result Build(const QString &execLine, const QString &address);

    // Where a desktop file id may live below the data folders, in the order
    // they are searched ("a-b.desktop" may also be "a/b.desktop").
    static QStringList DesktopFileCandidates(const QString &desktopId, const QStringList &dataDirs);
};
