#include "platform/CDpkgReader.h"

#include "platform/CCommandPipe.h"

#include <cstring>

namespace {

// Variables that would point the programs at another database than the
// one below the root we name.
const QList<QByteArray> kDpkgVariables = {QByteArrayLiteral("DPKG_ROOT"), QByteArrayLiteral("DPKG_ADMINDIR")};

QByteArray Trimmed(const QByteArray &path)
{
    const char *begin = path.constData();
    const char *end = begin + path.size();
    CDpkgReader::TrimPath(begin, end);
    return QByteArray(begin, end - begin);
}

} // namespace

CDpkgReader::CDpkgReader(QByteArray systemRoot, DpkgPrograms programs)
    : m_strRoot(std::move(systemRoot)), m_programs(std::move(programs))
{
}

QByteArray CDpkgReader::RootOption() const
{
    return "--root=" + (m_strRoot.isEmpty() ? QByteArrayLiteral("/") : m_strRoot);
}

int CDpkgReader::ReadFileLists(const PathHandler &handler)
{
    // A package's name on a line of its own, then its paths, each indented
    // by one space: the name lines count the packages.
    int packages = 0;
    CCommandPipe pipe(kDpkgVariables);
    const bool ok = pipe.Run(m_programs.query, {RootOption(), "--show", "--showformat=${binary:Package}\\n${db-fsys:Files}"},
                             [&](const char *line, std::size_t length) {
                                 if (length == 0)
                                     return;
                                 if (line[0] != ' ') {
                                     ++packages;
                                     return;
                                 }
                                 const char *begin = line + 1;
                                 const char *end = line + length;
                                 CDpkgReader::TrimPath(begin, end);
                                 if (end > begin && begin[0] == '/')
                                     handler(begin, std::size_t(end - begin));
                             });
    m_nBytesRead += pipe.GetBytesRead();
    if (!ok) {
        m_strError = pipe.GetError();
        return -1;
    }
    return packages;
}

bool CDpkgReader::ParseDiversion(const QByteArray &line, const DiversionHandler &handler)
{
    // "local diversion of FROM to TO" or "diversion of FROM to TO by PACKAGE",
    // as dpkg-divert writes them in the C locale. A package name holds no
    // space, so the last " by " starts it.
    static const QByteArray kLocal("local diversion of ");
    static const QByteArray kPackage("diversion of ");
    QByteArray paths;
    if (line.startsWith(kLocal)) {
        paths = line.mid(kLocal.size());
    } else if (line.startsWith(kPackage)) {
        const qsizetype by = line.lastIndexOf(" by ");
        if (by < kPackage.size())
            return false;
        paths = line.mid(kPackage.size(), by - kPackage.size());
    } else {
        return false;
    }
    bool found = false;
    for (qsizetype to = paths.indexOf(" to /"); to >= 0; to = paths.indexOf(" to /", to + 1)) {
        const QByteArray from = Trimmed(paths.left(to));
        const QByteArray divertedTo = Trimmed(paths.mid(to + 4));
        if (from.startsWith('/') && divertedTo.startsWith('/')) {
            handler(from, divertedTo);
            found = true;
        }
    }
    return found;
}

int CDpkgReader::ReadDiversions(const DiversionHandler &handler)
{
    int count = 0;
    CCommandPipe pipe(kDpkgVariables);
    const bool ok = pipe.Run(m_programs.divert, {RootOption(), "--list"}, [&](const char *line, std::size_t length) {
        if (ParseDiversion(QByteArray::fromRawData(line, qsizetype(length)), handler))
            ++count;
    });
    m_nBytesRead += pipe.GetBytesRead();
    if (!ok) {
        m_strError = pipe.GetError();
        return -1;
    }
    return count;
}

void CDpkgReader::TrimPath(const char *&begin, const char *&end)
{
    while (end > begin && (end[-1] == '\r' || end[-1] == ' '))
        --end;
    while (end - begin > 1 && end[-1] == '/')
        --end;
    if (end - begin == 2 && begin[0] == '/' && begin[1] == '.')
        --end;
}
