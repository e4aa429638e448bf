#pragma once

#include <QStringList>
#include <functional>

class QWidget;

// The wizard's Help button: finds the user guide and hands it to the
// desktop. When there is none, or the desktop cannot show it, the user is
// told so and nothing else changes.
class CHelpCommand
{
public:
    // Opens the file at a full path; true when it was taken.
    using Opener = std::function<bool(const QString &path)>;

    // The current folder, the program's folder and the installed one, and
    // the desktop's "open".
    CHelpCommand();
    CHelpCommand(QStringList folders, Opener opener);

    static QStringList DefaultFolders();

    // Opens the guide, or shows the error box over `owner`. Returns whether
    // the guide was opened.
    bool Run(QWidget *owner) const;

    // The error shown when the guide cannot be opened, naming its file.
    static QString ErrorText();

private:
    QStringList m_folders;
    Opener m_opener;
};
