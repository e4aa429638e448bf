#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Hands an address or a file to the desktop's own opener (xdg-open, else
// gio open), run without a shell, and judges by how the opener ended: an
// opener that exits with 0, or is still running after a short wait (it
// started a program in the foreground), took the address; one that failed
// did not, and the next is tried. Starting an opener is not the same as
// opening: a desktop without a browser answers only through the exit status.
class CDesktopOpener
{
public:
    struct Result
    {
        bool opened = false;
        int startError = 0;  // errno of the last opener that could not be run (ENOENT: none installed)
        int exitStatus = -1; // exit status of the last opener that ran and failed, -1 when none did
    };

    static constexpr int kWaitMs = 3000;

    // The openers tried, in order; each gets the address as its last argument.
    static QList<QStringList> DefaultCommands();

    explicit CDesktopOpener(QList<QStringList> commands = DefaultCommands(), int waitMs = kWaitMs);

    Result Open(const QString &address) const;

    // The file URL of a raw path: every byte that is not plain ASCII or a
    // character URLs carry as is is percent-encoded, so a name that is not
    // valid UTF-8 reaches the opener unchanged.
    static QString FileUrl(const QByteArray &path);

private:
    QList<QStringList> m_commands;
    int m_nWaitMs;
};
