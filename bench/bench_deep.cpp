// A chain of nested folders with one file in each, the shape that makes any
// cost per level grow with the square of the depth. Prints, for one chain:
// the walk alone (time, memory peak, files listed), the walk with Express
// matching of every file against the walk alone, the scan the program runs
// (Express with this machine's protection, its lists read beforehand) with
// and without the rules for locks, backups, desktop sessions, removability
// and live work, and the walk storing every file in the results store
// (memory peak), then sorts that by Location.
//
//   bench_deep [levels (20000)] [parent folder (/tmp)]

#include "ChildProcess.h"
#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CResultStore.h"
#include "core/CResultsSorter.h"
#include "core/CScanSession.h"
#include "core/ResultColumns.h"
#include "platform/CDirectoryWalker.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Folders alternate between a plain name and "Temp", so that Express has
// folder verdicts to work out all the way down.
bool MakeChain(const QByteArray &root, int levels)
{
    if (::mkdir(root.constData(), 0755) != 0)
        return false;
    int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; fd >= 0 && level < levels; ++level) {
        const char *name = level % 1000 == 999 ? "Temp" : "d";
        if (::mkdirat(fd, name, 0755) != 0)
            return false;
        const int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        const int file = fd < 0 ? -1 : ::openat(fd, "file.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (file < 0)
            return false;
        ::close(file);
    }
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

struct Run
{
    double seconds = 0;
    std::int64_t peakMb = 0;
    std::int64_t files = 0;
    std::int64_t matched = 0;
};

template <class Handler> Run TimeWalk(const QByteArray &root, Handler handler)
{
    Run run;
    ResetPeakMemory();
    const std::int64_t before = CurrentMemoryKb();
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        ++run.files;
        run.matched += handler(record) ? 1 : 0;
    });
    QElapsedTimer clock;
    clock.start();
    walker.Walk(root);
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.peakMb = (PeakMemoryKb() - before) / 1024;
    return run;
}

// The scan session over the chain, its protection's lists read before the
// clock starts; counts what it hands on.
Run TimeSession(const CFileScan &criteria, const QByteArray &root, bool linuxRules)
{
    struct Counter : CMatchSink
    {
        std::int64_t matched = 0;
        void AddMatch(const ScanMatch &) override { ++matched; }
    } sink;
    std::unique_ptr<CProtection> protection = CProtection::ForDrive(root);
    protection->SetLinuxRules(linuxRules);
    protection->Load();
    CScanSession session(criteria, root);
    session.SetProtectionFactory([&protection](const QByteArray &) { return std::move(protection); });
    session.SetListProtectedLocked(true);
    // A clock far ahead: nothing is recent, so the live-work rule looks at
    // every item and lets each go.
    session.SetNow(4102444800); // 2100-01-01
    CScanProgress progress;
    Run run;
    QElapsedTimer clock;
    clock.start();
    const ScanOutcome outcome = session.Run(sink, progress);
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.files = outcome.examined;
    run.matched = sink.matched;
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int levels = argc > 1 ? std::atoi(argv[1]) : 20000;
    const QByteArray parent = argc > 2 ? QByteArray(argv[2]) : QByteArray("/tmp");
    QByteArray base = parent + "/bench-deep-XXXXXX";
    if (!::mkdtemp(base.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const QByteArray root = base + "/chain";
    if (!MakeChain(root, levels)) {
        std::perror("making the chain");
        return 1;
    }

    CFileScan scan;
    scan.m_bExpress = 1;
    scan.m_strDrive = QFile::decodeName(root);
    CFileMatcher matcher(scan);
    CResultStore store;

    TimeWalk(root, [](const WalkRecord &) { return false; }); // warm the cache
    const Run walk = TimeWalk(root, [](const WalkRecord &) { return false; });
    const Run match = TimeWalk(root, [&](const WalkRecord &record) { return matcher.MatchFile(record); });
    const Run session = TimeSession(scan, root, true);
    const Run plain = TimeSession(scan, root, false);
    const Run stored = TimeWalk(root, [&](const WalkRecord &record) {
        store.AddResult(record);
        return true;
    });
    std::vector<int> rows(std::size_t(store.GetCount()));
    std::iota(rows.begin(), rows.end(), 0);
    QElapsedTimer clock;
    clock.start();
    const std::vector<int> sorted = CResultsSorter(store, kColumnLocation).Sort(rows, true);
    const double sortSeconds = clock.nsecsElapsed() / 1e9;

    std::printf("chain of %d folders, one file each\n", levels);
    std::printf("walk:                 %.3f s, %lld files listed, peak +%lld MB (target <= 100 MB, every file)\n",
                walk.seconds, static_cast<long long>(walk.files), static_cast<long long>(walk.peakMb));
    std::printf("walk + Express match: %.3f s, %lld matched, ratio to the walk %.2f\n", match.seconds,
                static_cast<long long>(match.matched), match.seconds / walk.seconds);
    std::printf("scan, every rule:     %.3f s, %lld listed, ratio to the walk %.2f\n", session.seconds,
                static_cast<long long>(session.matched), session.seconds / walk.seconds);
    std::printf("scan, no Linux rules: %.3f s, %lld listed, ratio to the walk %.2f; every rule / none %.2f\n",
                plain.seconds, static_cast<long long>(plain.matched), plain.seconds / walk.seconds,
                session.seconds / plain.seconds);
    std::printf("walk + store:         %.3f s, peak +%lld MB, %d stored\n", stored.seconds,
                static_cast<long long>(stored.peakMb), store.GetCount());
    std::printf("sort by Location:     %.3f s (%zu rows)\n", sortSeconds, sorted.size());
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QString::fromLocal8Bit(base)});
    return walk.files == levels ? 0 : 1;
}
