#include "platform/CDesktopServices.h"

#include "platform/CDesktopOpener.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

bool CDesktopServices::OpenUrl(const QUrl &url)
{
    // Asked ourselves, so that the opener's exit status is heard: the
    // framework's own open reports success as soon as the opener starts.
    return url.isValid() && CDesktopOpener().Open(url.toString(QUrl::FullyEncoded)).opened;
}

bool CDesktopServices::OpenDocument(const QString &path)
{
    return !path.isEmpty() && CDesktopOpener().Open(CDesktopOpener::FileUrl(QFile::encodeName(path))).opened;
}

QString CDesktopServices::DefaultApplication(const QString &mimeType)
{
    QProcess query;
    query.setProgram(QStringLiteral("xdg-mime"));
    query.setArguments({QStringLiteral("query"), QStringLiteral("default"), mimeType});
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start();
    // The answer comes from a few files; a tool that hangs is no answer.
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return QString();
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return QString();
    const QList<QByteArray> lines = query.readAllStandardOutput().split('\n');
    return lines.isEmpty() ? QString() : QString::fromUtf8(lines.first().trimmed());
}

QStringList CDesktopServices::DataDirs()
{
    return QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
}
