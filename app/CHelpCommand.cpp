#include "app/CHelpCommand.h"

#include "controls/CMessageBoxDlg.h"
#include "core/CHelpFile.h"
#include "platform/CDesktopServices.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QCoreApplication>
#include <QDir>

CHelpCommand::CHelpCommand()
    : CHelpCommand(DefaultFolders(), {})
{
}

CHelpCommand::CHelpCommand(QStringList folders, Opener opener)
    : m_folders(std::move(folders)),
      m_opener(opener ? std::move(opener) : Opener(&CDesktopServices::OpenDocument))
{
}

QStringList CHelpCommand::DefaultFolders()
{
    return CHelpFile::SearchFolders(QDir::currentPath(), QCoreApplication::applicationDirPath());
}

bool CHelpCommand::Run(QWidget *owner) const
{
    const QString path = CHelpFile::Find(m_folders);
    if (!path.isEmpty() && m_opener(path))
        return true;
    CMessageBoxDlg::Show(owner, CMessageBoxDlg::StyleOk, ErrorText());
    return false;
}

QString CHelpCommand::ErrorText()
{
    // The text names the compiled help of another system; the user is told
    // the name of the file that is really looked for.
    return LoadString(IDS_HELP_ERROR).replace(QLatin1String("BVHelp.chm"), CHelpFile::FileName());
}
