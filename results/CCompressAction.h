#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

class CResultsHost;
class QWidget;

// Compress on the results page: asks for the archive in the "Save As Zip"
// dialog, loads the compression plug-in, and stores every checked file in
// the archive through the page's action loop, one plug-in call per file.
class CCompressAction
{
public:
    // Stands in for the save dialog: returns the archive's full path, or an
    // empty string for Cancel.
    using AskPathHook = std::function<QString(QWidget *parent)>;

    // Replaces the save dialog (an empty hook brings it back).
    static void SetAskPathHook(AskPathHook hook);
    // Replaces the folders looked in for the plug-in (empty: the program's
    // own folders).
    static void SetLibraryFolders(const QList<QByteArray> &folders);

    // The save dialog: title, filters and default name from the string
    // table; a name typed without an extension gets ".zip"; naming an
    // existing archive asks nothing, since the archive collects entries.
    static QString AskArchivePath(QWidget *parent);

    static void Run(CResultsHost &host);
};
