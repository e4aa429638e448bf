#include "platform/CDesktopOpener.h"

#include "platform/CDetachedProcess.h"

QList<QStringList> CDesktopOpener::DefaultCommands()
{
    return {{QStringLiteral("xdg-open")}, {QStringLiteral("gio"), QStringLiteral("open")}};
}

CDesktopOpener::CDesktopOpener(QList<QStringList> commands, int waitMs)
    : m_commands(std::move(commands)), m_nWaitMs(waitMs)
{
}

CDesktopOpener::Result CDesktopOpener::Open(const QString &address) const
{
    Result result;
    for (const QStringList &command : m_commands) {
        if (command.isEmpty())
            continue;
        const CDetachedProcess::Waited waited = CDetachedProcess::StartAndWait(command + QStringList{address}, m_nWaitMs);
        if (waited.startError != 0) {
            result.startError = waited.startError;
            continue;
        }
        if (!waited.finished || waited.exitStatus == 0) {
            result.opened = true;
            return result;
        }
        result.exitStatus = waited.exitStatus;
    }
    return result;
}

QString CDesktopOpener::FileUrl(const QByteArray &path)
{
    return QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/"));
}
