#include "core/CDpkgFileSource.h"

#include "core/CPathHashSet.h"
#include "platform/CDpkgReader.h"

#include <QList>
#include <utility>

CDpkgFileSource::CDpkgFileSource(QByteArray databaseFolder) : m_strFolder(std::move(databaseFolder)) {}

bool CDpkgFileSource::LoadOwnedPaths(CPathHashSet &owned)
{
    CDpkgReader reader(m_strFolder);
    if (!reader.Exists())
        return false;
    // A typical system lists about 150 paths per package, 60 bytes each.
    owned.Reserve(owned.GetCount() + 200000, 12 * 1024 * 1024);
    m_nLists = reader.ReadFileLists([&owned](const char *path, std::size_t length) { owned.Insert(path, length); });

    // A diverted file was installed at another path than its list names:
    // what stands at that other path is the package's file. The original
    // path stays protected too: the diverting package or the administrator
    // put a file there in its place, which the system uses just the same.
    QList<std::pair<QByteArray, QByteArray>> diversions;
    m_nDiversions = reader.ReadDiversions([&diversions](const QByteArray &from, const QByteArray &to) {
        diversions.append({from, to});
    });
    for (const auto &[from, to] : diversions) {
        if (owned.Contains(from.constData(), std::size_t(from.size())))
            owned.Insert(to.constData(), std::size_t(to.size()));
    }
    return true;
}
