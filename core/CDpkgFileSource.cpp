#include "core/CDpkgFileSource.h"

#include "core/CPathHashSet.h"

#include <QList>
#include <utility>

CDpkgFileSource::CDpkgFileSource(QByteArray systemRoot, DpkgPrograms programs)
    : m_strRoot(std::move(systemRoot)), m_programs(std::move(programs))
{
}

bool CDpkgFileSource::LoadOwnedPaths(CPathHashSet &owned)
{
    CDpkgReader reader(m_strRoot, m_programs);
    // The paths handed over before a failure stay owned: protecting a file
    // too many is safe, offering one too many is not.
    bool reserved = false;
    m_nPackages = reader.ReadFileLists([&owned, &reserved](const char *path, std::size_t length) {
        // A typical system lists about 150 paths per package, 60 bytes
        // each. Made room for at the first path: a drive without a package
        // database (most drives) would pay 8 MB of zeroed table for nothing,
        // on a thread that runs beside the walk.
        if (!reserved) {
            owned.Reserve(owned.GetCount() + 200000, 12 * 1024 * 1024);
            reserved = true;
        }
        owned.Insert(path, length);
    });
    if (m_nPackages < 0) {
        m_strError = reader.GetError();
        m_nBytesRead = reader.GetBytesRead();
        return owned.GetCount() > 0;
    }
    if (m_nPackages == 0) {
        m_nBytesRead = reader.GetBytesRead();
        return false;
    }

    // A diverted file was installed at another path than its list names:
    // what stands at that other path is the package's file. The original
    // path stays protected too: the diverting package or the administrator
    // put a file there in its place, which the system uses just the same.
    QList<std::pair<QByteArray, QByteArray>> diversions;
    m_nDiversions = reader.ReadDiversions([&diversions](const QByteArray &from, const QByteArray &to) {
        diversions.append({from, to});
    });
    if (m_nDiversions < 0)
        m_strError = reader.GetError();
    for (const auto &[from, to] : diversions) {
        if (owned.Contains(from.constData(), std::size_t(from.size())))
            owned.Insert(to.constData(), std::size_t(to.size()));
    }
    m_nBytesRead = reader.GetBytesRead();
    return true;
}
