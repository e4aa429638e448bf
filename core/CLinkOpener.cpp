#include "core/CLinkOpener.h"

#include "core/CBrowserCommand.h"

#include <QFile>
#include <cerrno>

CLinkOpener::CLinkOpener(Services services)
    : m_services(std::move(services))
{
}

int CLinkOpener::OpenLink(const QString &address) const
{
    if (m_services.openWithDesktop && m_services.openWithDesktop(address))
        return LINK_OPENED;

    int result = LINK_NO_ASSOC;
    const QStringList argv = BrowserCommand(address, &result);
    if (argv.isEmpty())
        return result;
    if (!m_services.startDetached)
        return LINK_NO_ASSOC;
    const int error = m_services.startDetached(argv);
    return error == 0 ? LINK_OPENED : ResultFromErrno(error);
}

QStringList CLinkOpener::BrowserCommand(const QString &address, int *result) const
{
    // When the desktop cannot open the address, what the user sees is that
    // no program is associated with web pages, unless a browser is found.
    *result = LINK_NO_ASSOC;
    if (!m_services.defaultApplication)
        return {};

    QString desktopFile;
    for (const QString &mimeType : {QStringLiteral("x-scheme-handler/https"), QStringLiteral("text/html")}) {
        const QString desktopId = m_services.defaultApplication(mimeType).trimmed();
        if (desktopId.isEmpty())
            continue;
        desktopFile = FindDesktopFile(desktopId);
        if (!desktopFile.isEmpty())
            break;
    }
    if (desktopFile.isEmpty())
        return {};

    QByteArray contents;
    const bool bRead = m_services.readFile ? m_services.readFile(desktopFile, &contents) : [&] {
        QFile file(desktopFile);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        contents = file.readAll();
        return true;
    }();
    if (!bRead) {
        *result = LINK_ACCESS_DENIED;
        return {};
    }

    const CBrowserCommand::Result command =
        CBrowserCommand::Build(CBrowserCommand::ExecFromDesktopEntry(contents), address);
    switch (command.status) {
    case CBrowserCommand::Ok:
        *result = LINK_OPENED;
        return command.argv;
    case CBrowserCommand::TooLong:
        *result = LINK_OUT_OF_MEMORY;
        return {};
    case CBrowserCommand::NoCommand:
    case CBrowserCommand::Malformed:
        break;
    }
    *result = LINK_ASSOC_INCOMPLETE;
    return {};
}

QString CLinkOpener::FindDesktopFile(const QString &desktopId) const
{
    const QStringList dirs = m_services.dataDirs ? m_services.dataDirs() : QStringList();
    for (const QString &candidate : CBrowserCommand::DesktopFileCandidates(desktopId, dirs))
        if (QFile::exists(candidate))
            return candidate;
    return QString();
}

int CLinkOpener::ResultFromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return LINK_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return LINK_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
        return LINK_ACCESS_DENIED;
    case ENOMEM:
    case E2BIG:
        return LINK_OUT_OF_MEMORY;
    case ENOEXEC:
    case ELIBBAD:
        return LINK_BAD_FORMAT;
    case ETXTBSY:
        return LINK_SHARING_VIOLATION;
    default:
        // Out of processes (EAGAIN) and anything else the system ran out of.
        return LINK_OUT_OF_RESOURCES;
    }
}
