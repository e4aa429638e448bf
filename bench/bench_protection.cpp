// What protecting files costs before a scan starts: reading the package
// manager's file lists and the running processes' open files of this
// machine, once, as a scan of ROOT does. Prints the time and the memory it
// takes, with reading the same lists' bytes and nothing else as reference.
//
//   bench_protection [ROOT]                  time and memory of loading
//   bench_protection ROOT --list-express [--off]
//                                            walks ROOT with the Express rules
//                                            and prints every file it would
//                                            list, one path a line (protection
//                                            off with --off); counts on stderr
//   bench_protection ROOT --express-report [--plain]
//                                            walks ROOT with the Express rules
//                                            and prints, per rule, how many
//                                            files are offered, left unchecked
//                                            and left out, and why (--plain:
//                                            without the rules for locks,
//                                            backups, desktop sessions,
//                                            removability and live work)
#include "core/CDpkgFileSource.h"
#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CPathHashSet.h"
#include "core/CProcOpenFileSource.h"
#include "core/CProtection.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CDpkgReader.h"
#include "res/StringTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
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

// Files and bytes of one rule or reason.
struct Tally
{
    std::int64_t offered = 0;
    std::int64_t unchecked = 0;
    std::int64_t leftOut = 0;
};

int ExpressReport(const QByteArray &root, bool linuxRules)
{
    CFileScan scan;
    scan.m_strDrive = QFile::decodeName(root);
    CFileMatcher matcher(scan);
    std::unique_ptr<CProtection> protection = CProtection::ForDrive(root);
    protection->SetLinuxRules(linuxRules);
    protection->Load();
    std::map<QString, Tally> byRule;
    std::int64_t walked = 0;
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        ++walked;
        if (!matcher.MatchFile(record))
            return;
        Tally &tally = byRule[matcher.GetReason(record).group];
        if (protection->Check(record) != ProtectionReason::None)
            ++tally.leftOut;
        else
            ++tally.offered;
    });
    walker.Walk(root);
    std::printf("Express on %s as user %u, %s: %lld files walked\n", root.constData(), unsigned(::geteuid()),
                linuxRules ? "every rule" : "without the Linux rules", (long long)walked);
    std::printf("%-40s %10s %10s %10s\n", "rule", "offered", "unchecked", "left out");
    Tally total;
    for (const auto &[rule, tally] : byRule) {
        std::printf("%-40s %10lld %10lld %10lld\n", qPrintable(rule), (long long)tally.offered,
                    (long long)tally.unchecked, (long long)tally.leftOut);
        total.offered += tally.offered;
        total.unchecked += tally.unchecked;
        total.leftOut += tally.leftOut;
    }
    std::printf("%-40s %10lld %10lld %10lld\n", "all", (long long)total.offered, (long long)total.unchecked,
                (long long)total.leftOut);
    const CProtection::Counts &counts = protection->GetCounts();
    std::printf("left out, by reason:");
    for (int reason = 1; reason < kProtectionReasonCount; ++reason)
        std::printf(" %s %lld%s", qPrintable(LoadString(ProtectionReasonTextId(ProtectionReason(reason)))),
                    (long long)counts[std::size_t(reason)], reason + 1 < kProtectionReasonCount ? "," : "\n");
    std::printf("left unchecked as live work: %lld\n", (long long)counts[CProtection::kLeftUnchecked]);
    return 0;
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

    // The reference: the lists' bytes read and split into lines, kept nowhere.
    const QByteArray database = (root == "/" ? QByteArray() : root) + "/var/lib/dpkg";
    QElapsedTimer timer;
    timer.start();
    CDpkgReader reader(database);
    std::int64_t lines = 0;
    const int lists = reader.ReadFileLists([&lines](const char *, std::size_t) { ++lines; });
    const double rawMs = Ms(timer);

    const long rssBefore = StatusKb("VmRSS:");
    timer.restart();
    std::unique_ptr<CProtection> protection = CProtection::ForDrive(root);
    protection->Load();
    const double loadMs = Ms(timer);
    const long rssAfter = StatusKb("VmRSS:");

    // Each source on its own.
    timer.restart();
    CPathHashSet owned;
    CDpkgFileSource(database).LoadOwnedPaths(owned);
    const double packagesMs = Ms(timer);
    timer.restart();
    const COpenFileSource::OpenFiles open = CProcOpenFileSource().LoadOpenFiles();
    const double openMs = Ms(timer);

    std::printf("package lists: %d lists, %lld lines, %.1f MB read; %zu distinct paths owned\n", lists,
                (long long)lines, double(reader.GetBytesRead()) / 1048576.0, protection->GetOwnedPathCount());
    std::printf("open files: %zu distinct files of %d processes (%d not readable), %zu reports\n",
                protection->GetOpenFileCount(), protection->GetProcessCount(), protection->GetUnreadableProcesses(),
                open.files.size());
    std::printf("load: %.1f ms (package lists %.1f ms, open files %.1f ms); reading the lists alone %.1f ms; "
                "ratio load / reading %.2f\n",
                loadMs, packagesMs, openMs, rawMs, rawMs > 0 ? loadMs / rawMs : 0.0);
    std::printf("memory: %.1f MB held for lookups, resident set grew by %.1f MB (peak %.1f MB)\n",
                double(protection->GetMemoryBytes()) / 1048576.0, double(rssAfter - rssBefore) / 1024.0,
                double(StatusKb("VmHWM:")) / 1024.0);
    return 0;
}
