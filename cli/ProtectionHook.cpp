#include "cli/ProtectionHook.h"

bool IsProtectedFile(const QByteArray &folder, const QByteArray &name)
{
    Q_UNUSED(folder);
    Q_UNUSED(name);
    return false;
}
