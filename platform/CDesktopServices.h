#pragma once

#include <QString>
#include <QStringList>

class QUrl;

// What the desktop offers for opening things: its own "open", the default
// application per MIME type, and where application entries are installed.
class CDesktopServices
{
public:
    // Hands `url` to the desktop's "open" (CDesktopOpener); false when it
    // could not be opened.
    static bool OpenUrl(const QUrl &url);
    // A local file through the desktop's "open".
    static bool OpenDocument(const QString &path);
    // The desktop file id of the default application for `mimeType`, as
    // xdg-mime reports it; empty when none is set or the tool is missing.
    static QString DefaultApplication(const QString &mimeType);
    // The XDG data folders, the user's own first.
    static QStringList DataDirs();
};
