// What protecting files costs before a scan starts: asking the package
// manager for its file lists (dpkg-query and dpkg-divert) and reading the
// running processes' open files of this machine, once, as a scan of ROOT
// does. Prints the time and the memory it takes. The reference, on the same
// database in the same run: reading dpkg's info/*.list and diversions files
// straight from the disk, as the program did before it asked dpkg, into a
// path set of its own; both must own the same paths.
//
//   bench_protection [ROOT]                  time and memory of loading
//   bench_protection ROOT --list-express [--off]
//                                            walks ROOT with the Express rules
//                                            and prints every file it would
//                                            list, one path a line (protection
//                                            off with --off); counts on stderr
//   bench_protection ROOT --express-report [--plain]
//                                            scans ROOT with Express as the
//                                            program does and prints, per
//                                            rule, how many files are offered,
//                                            left unchecked and left out, and
//                                            why (--plain:
//                                            without the rules for locks,
//                                            backups, desktop sessions,
//                                            removability and live work)
#include "core/CDpkgFileSource.h"
#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CPathHashSet.h"
#include "core/CProcOpenFileSource.h"
#include "core/CProtection.h"
#include "core/CScanSession.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CDpkgReader.h"
#include "res/StringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

long StatusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0)
            return std::stol(line.substr(length));
    }
    return -1;
}

double Ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The former way, kept as the reference: every info/*.list file and the
// diversions file read straight from dpkg's database folder.
struct DirectRead
{
    int lists = 0;
    std::int64_t lines = 0;
    std::int64_t bytes = 0;
    std::int64_t missing = 0; // paths of the files that `compare` lacks
};

DirectRead ReadDatabaseFiles(const QByteArray &database, CPathHashSet &owned, const CPathHashSet *compare = nullptr)
{
    DirectRead read;
    owned.Reserve(200000, 12 * 1024 * 1024);
    const QDir info(QFile::decodeName(database + "/info"));
    for (const QString &name : info.entryList({QStringLiteral("*.list")}, QDir::Files)) {
        QFile file(info.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray content = file.readAll();
        ++read.lists;
        read.bytes += content.size();
        const char *cursor = content.constData();
        const char *end = cursor + content.size();
        while (cursor < end) {
            const char *newline = static_cast<const char *>(std::memchr(cursor, '\n', std::size_t(end - cursor)));
            const char *lineEnd = newline ? newline : end;
            const char *begin = cursor;
            const char *stop = lineEnd;
            CDpkgReader::TrimPath(begin, stop);
            if (stop > begin && begin[0] == '/') {
                ++read.lines;
                owned.Insert(begin, std::size_t(stop - begin));
                if (compare && !compare->Contains(begin, std::size_t(stop - begin)))
                    ++read.missing;
            }
            cursor = lineEnd + 1;
        }
    }
    QFile diversions(QFile::decodeName(database + "/diversions"));
    if (diversions.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = diversions.readAll().split('\n');
        for (qsizetype i = 0; i + 2 < lines.size(); i += 3) {
            if (owned.Contains(lines[i].constData(), std::size_t(lines[i].size())))
                owned.Insert(lines[i + 1].constData(), std::size_t(lines[i + 1].size()));
        }
    }
    return read;
}

int ListExpress(const QByteArray &root, bool protect)
{
    CFileScan scan;
    scan.m_strDrive = QFile::decodeName(root);
    CFileMatcher matcher(scan);
    std::unique_ptr<CProtection> protection = protect ? CProtection::ForDrive(root) : nullptr;
    if (protection)
        protection->Load();
    std::int64_t walked = 0;
    std::int64_t listed = 0;
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        ++walked;
        if (!matcher.MatchFile(record))
            return;
        if (protection && protection->Check(record) != ProtectionReason::None)
            return;
        ++listed;
        QByteArray path = record.folder;
        if (!path.endsWith('/'))
            path += '/';
        path += record.name;
        path += '\n';
        std::fwrite(path.constData(), 1, std::size_t(path.size()), stdout);
    });
    walker.Walk(root);
    std::fprintf(stderr, "walked %lld files, listed %lld (protection %s)\n", (long long)walked, (long long)listed,
                 protect ? "on" : "off");
    if (protection) {
        const CProtection::Counts &counts = protection->GetCounts();
        std::fprintf(stderr, "left out: %s\n", qPrintable(CProtection::SummaryText(counts, false, 0)));
    }
    return 0;
}

// Files of one rule or reason.
struct Tally
{
    std::int64_t offered = 0;
    std::int64_t unchecked = 0;
    std::int64_t leftOut = 0;
};

// Tallies what the scan session hands on, by the Express rule that matched
// each file: a live file comes with the reason it was left unchecked, so
// its rule is asked of a matcher of its own.
class CReportSink : public CMatchSink
{
public:
    explicit CReportSink(const CFileScan &criteria) : m_matcher(criteria) {}

    void AddMatch(const ScanMatch &match) override
    {
        m_matcher.MatchFile(match.record);
        Tally &tally = m_byRule[m_matcher.GetReason(match.record).group];
        if (match.protection != ProtectionReason::None)
            ++tally.leftOut;
        else if (match.unchecked)
            ++tally.unchecked;
        else
            ++tally.offered;
    }

    const std::map<QString, Tally> &ByRule() const { return m_byRule; }

private:
    CFileMatcher m_matcher;
    std::map<QString, Tally> m_byRule;
};

// The scan the program runs, with every protected file listed locked so
// that it can be counted by rule; `linuxRules` false leaves out the rules
// for locks, backups, desktop sessions, removability and live work.
int ExpressReport(const QByteArray &root, bool linuxRules)
{
    CFileScan scan;
    scan.m_strDrive = QFile::decodeName(root);
    scan.m_bExpress = 1;
    CScanSession session(scan, root);
    session.SetProtectionFactory([linuxRules](const QByteArray &drive) {
        std::unique_ptr<CProtection> protection = CProtection::ForDrive(drive);
        protection->SetLinuxRules(linuxRules);
        return protection;
    });
    session.SetListProtectedLocked(true);
    session.SetReadSharedData(false);
    CReportSink sink(scan);
    CScanProgress progress;
    const ScanOutcome outcome = session.Run(sink, progress);
    std::printf("Express on %s as user %u, %s: %lld files walked, %lld folders unreadable\n", root.constData(),
                unsigned(::geteuid()), linuxRules ? "every rule" : "without the Linux rules",
                (long long)outcome.examined, (long long)outcome.skippedFolders);
    std::printf("%-40s %10s %10s %10s\n", "rule", "offered", "unchecked", "left out");
    Tally total;
    for (const auto &[rule, tally] : sink.ByRule()) {
        std::printf("%-40s %10lld %10lld %10lld\n", qPrintable(rule), (long long)tally.offered,
                    (long long)tally.unchecked, (long long)tally.leftOut);
        total.offered += tally.offered;
        total.unchecked += tally.unchecked;
        total.leftOut += tally.leftOut;
    }
    std::printf("%-40s %10lld %10lld %10lld\n", "all", (long long)total.offered, (long long)total.unchecked,
                (long long)total.leftOut);
    const CProtection::Counts &counts = outcome.protectedCounts;
    std::printf("left out, by reason:");
    for (int reason = 1; reason < kProtectionReasonCount; ++reason)
        std::printf(" %s %lld%s", qPrintable(LoadString(ProtectionReasonTextId(ProtectionReason(reason)))),
                    (long long)counts[std::size_t(reason)], reason + 1 < kProtectionReasonCount ? "," : "\n");
    std::printf("left unchecked as live work: %lld\n", (long long)counts[CProtection::kLeftUnchecked]);
    return outcome.rootUnavailable ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray root = argc > 1 ? QByteArray(argv[1]) : QByteArray("/");
    bool list = false;
    bool off = false;
    bool report = false;
    bool plain = false;
    for (int i = 2; i < argc; ++i) {
        list = list || std::strcmp(argv[i], "--list-express") == 0;
        off = off || std::strcmp(argv[i], "--off") == 0;
        report = report || std::strcmp(argv[i], "--express-report") == 0;
        plain = plain || std::strcmp(argv[i], "--plain") == 0;
    }
    if (report)
        return ExpressReport(root, !plain);
    if (list)
        return ListExpress(root, !off);

    // The reference: dpkg's files read straight from its database folder.
    const QByteArray database = (root == "/" ? QByteArray() : root) + "/var/lib/dpkg";
    QElapsedTimer timer;
    timer.start();
    CPathHashSet direct;
    const DirectRead read = ReadDatabaseFiles(database, direct);
    const double directMs = Ms(timer);

    const long rssBefore = StatusKb("VmRSS:");
    timer.restart();
    std::unique_ptr<CProtection> protection = CProtection::ForDrive(root);
    protection->Load();
    const double loadMs = Ms(timer);
    const long rssAfter = StatusKb("VmRSS:");

    // Each source on its own.
    timer.restart();
    CPathHashSet owned;
    CDpkgFileSource packages(root);
    packages.LoadOwnedPaths(owned);
    const double packagesMs = Ms(timer);
    timer.restart();
    const COpenFileSource::OpenFiles open = CProcOpenFileSource().LoadOpenFiles();
    const double openMs = Ms(timer);
    struct rusage children {};
    ::getrusage(RUSAGE_CHILDREN, &children);

    std::printf("dpkg's files read directly (before): %d lists, %lld lines, %.1f MB; %zu distinct paths owned; "
                "%.1f ms; path set %.1f MB\n",
                read.lists, (long long)read.lines, double(read.bytes) / 1048576.0, direct.GetCount(), directMs,
                double(direct.GetMemoryBytes()) / 1048576.0);
    std::printf("dpkg-query and dpkg-divert (now): %d packages, %d diversions, %.1f MB of output; %zu distinct paths "
                "owned; %.1f ms; path set %.1f MB; the programs' peak %.1f MB%s%s\n",
                packages.GetPackageCount(), packages.GetDiversionCount(), double(packages.GetBytesRead()) / 1048576.0,
                owned.GetCount(), packagesMs, double(owned.GetMemoryBytes()) / 1048576.0,
                double(children.ru_maxrss) / 1024.0, packages.GetError().isEmpty() ? "" : "; error: ",
                qPrintable(packages.GetError()));
    CPathHashSet again;
    const DirectRead check = ReadDatabaseFiles(database, again, &owned);
    std::printf("owned paths: %zu before, %zu now, %lld of the files' paths missing now (%s); time now / before %.2f\n",
                direct.GetCount(), owned.GetCount(), (long long)check.missing,
                owned.GetCount() == direct.GetCount() && check.missing == 0 ? "the same" : "DIFFERENT",
                directMs > 0 ? packagesMs / directMs : 0.0);
    std::printf("open files: %zu distinct files of %d processes (%d not readable), %zu reports\n",
                protection->GetOpenFileCount(), protection->GetProcessCount(), protection->GetUnreadableProcesses(),
                open.files.size());
    std::printf("load: %.1f ms (package lists %.1f ms, open files %.1f ms)\n", loadMs, packagesMs, openMs);
    std::printf("memory: %.1f MB held for lookups, resident set grew by %.1f MB (peak %.1f MB)\n",
                double(protection->GetMemoryBytes()) / 1048576.0, double(rssAfter - rssBefore) / 1024.0,
                double(StatusKb("VmHWM:")) / 1024.0);
    return 0;
}
