#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class CResultsModel;
class QWidget;

// Save List on the results page: asks for a file name, then writes every
// listed row, in the order the list shows them, as comma-separated values.
// The file appears whole or not at all; a failure is told in the program's
// message box.
class CSaveListAction
{
public:
    static void Run(CResultsModel &model, QWidget *parent);
    // Writes the list to `path`; false after telling the user, over
    // `parent`, why not.
    static bool Save(CResultsModel &model, const QByteArray &path, QWidget *parent);

    // The save dialog (it asks before replacing a file); returns the chosen
    // name, empty when cancelled.
    static QString AskPath(QWidget *parent);
    // Stands in for the dialog, for tests; an empty hook restores it.
    using AskPathHook = std::function<QString(QWidget *parent)>;
    static void SetAskPathHook(AskPathHook hook);
};
