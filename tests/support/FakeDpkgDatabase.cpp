#include "FakeDpkgDatabase.h"

#include "RawFiles.h"

#include <QDir>
#include <QFile>

bool WriteDpkgDatabase(const QByteArray &root, const QList<FakePackage> &packages, const QByteArray &diversions)
{
    const QByteArray database = root + "/var/lib/dpkg";
    if (!QDir().mkpath(QFile::decodeName(database + "/info")) || !QDir().mkpath(QFile::decodeName(database + "/updates")))
        return false;
    // Format 1 names the lists of Multi-Arch: same packages with their architecture.
    bool ok = WriteFile(database + "/info/format", "1\n");
    QByteArray status;
    for (const FakePackage &package : packages) {
        const qsizetype colon = package.name.indexOf(':');
        const QByteArray name = colon < 0 ? package.name : package.name.left(colon);
        status += "Package: " + name + "\n";
        status += package.installed ? "Status: install ok installed\n" : "Status: deinstall ok config-files\n";
        status += "Maintainer: Test <test@example.org>\n";
        status += colon < 0 ? QByteArray("Architecture: all\n") : "Architecture: " + package.name.mid(colon + 1) + "\nMulti-Arch: same\n";
        status += "Version: 1.0\nDescription: test package\n\n";
        ok = ok && WriteFile(database + "/info/" + package.name + ".list", package.list);
    }
    ok = ok && WriteFile(database + "/status", status);
    if (!diversions.isEmpty())
        ok = ok && WriteFile(database + "/diversions", diversions);
    return ok;
}
