#include "platform/RealPath.h"

#include "platform/CPathInfo.h"

#include <pwd.h>
#include <unistd.h>

QByteArray RealPath(const QByteArray &path)
{
    if (QByteArray resolved = CPathInfo::Canonical(path); !resolved.isEmpty())
        return resolved;
    QByteArray result = path;
    while (result.size() > 1 && result.endsWith('/'))
        result.chop(1);
    return result;
}

QByteArray HomeFolder()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return home;
    if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return QByteArray(entry->pw_dir);
    return QByteArray();
}
