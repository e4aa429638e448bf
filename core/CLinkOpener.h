#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// Opens a web address: first through the desktop's own "open"; when that
// fails, by starting the default web browser named in its desktop entry.
// Every contact with the system goes through Services, so the whole road
// can be driven without a desktop, a browser or a process.
class CLinkOpener
{
public:
    // Result codes of an attempt: above 32 means opened; the others are the
    // failures the hyperlink's error texts are keyed by.
    enum ResultCode : int {
        LINK_OUT_OF_RESOURCES = 0,
        LINK_FILE_NOT_FOUND = 2,
        LINK_PATH_NOT_FOUND = 3,
        LINK_ACCESS_DENIED = 5,
        LINK_OUT_OF_MEMORY = 8,
        LINK_BAD_FORMAT = 11,
        LINK_SHARING_VIOLATION = 26,
        LINK_ASSOC_INCOMPLETE = 27,
        LINK_NO_ASSOC = 31,
        LINK_OPENED = 33,
    };

    struct Services
    {
        // The desktop's "open"; true when it took the address.
        std::function<bool(const QString &address)> openWithDesktop;
        // The desktop file id of the default application for a MIME type,
        // empty when none is set.
        std::function<QString(const QString &mimeType)> defaultApplication;
        // The XDG data folders, most important first.
        std::function<QStringList()> dataDirs;
        // Reads a whole file; false when it cannot be read. Plain QFile
        // when not set.
        std::function<bool(const QString &path, QByteArray *contents)> readFile;
        // Starts a program detached, argv[0] the program; 0 when it runs,
        // otherwise the errno of the failure.
        std::function<int(const QStringList &argv)> startDetached;
    };

    explicit CLinkOpener(Services services);

    // Returns the result code of the attempt (see ResultCode).
    int OpenLink(const QString &address) const;

    // The browser's command for `address`, as OpenLink would start it.
    // Empty with `*result` set to the failure when there is none.
    QStringList BrowserCommand(const QString &address, int *result) const;

    static bool Succeeded(int result) { return result > 32; }
    // The result code that stands for a failed start with this errno.
    static int ResultFromErrno(int error);

private:
    QString FindDesktopFile(const QString &desktopId) const;

    Services m_services;
};
