// Kills each action at random moments, many more times than the test suite
// does, and counts the runs that left a file hidden, lost, at both places or
// partial, after the start-up recovery (or, with --no-recover, without it).
//
//   bench_crash [runs per action] [files] [--no-recover]
//
// The files are made in a temporary folder under $TMPDIR (or /tmp); moves
// across file systems go to /dev/shm. The journals go to a temporary state
// folder, never the user's.
#include "CrashHarness.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 100;
    int files = 200;
    bool recover = true;
    int position = 0;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--no-recover")
            recover = false;
        else if (position++ == 0)
            runs = std::atoi(argv[i]);
        else
            files = std::atoi(argv[i]);
    }
    QTemporaryDir state, work;
    QTemporaryDir other(QStringLiteral("/dev/shm/bv-crash-XXXXXX"));
    if (!state.isValid() || !work.isValid() || !other.isValid()) {
        std::fprintf(stderr, "cannot make the temporary folders\n");
        return 1;
    }
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    struct stat a {}, b {};
    ::stat(QFile::encodeName(work.path()).constData(), &a);
    ::stat(QFile::encodeName(other.path()).constData(), &b);
    const bool across = a.st_dev != b.st_dev;

    std::printf("%d runs per action, %d files, recovery %s\n", runs, files, recover ? "on" : "off");
    std::printf("%-44s %8s %8s %8s %8s %8s %8s\n", "action", "runs", "bad", "hidden", "lost", "both", "partial");
    int bad = 0;
    for (CrashHarness::Action action : CrashHarness::AllActions()) {
        if (CrashHarness::CrossesFileSystems(action) && !across)
            continue;
        CrashHarness harness(QFile::encodeName(work.path()), QFile::encodeName(other.path()), BV_PLUGIN_DIR, files,
                             12345u + std::uint32_t(action));
        int badRuns = 0, hidden = 0, lost = 0, both = 0, partial = 0;
        for (int run = 0; run < runs; ++run) {
            const CrashHarness::Outcome outcome = harness.RunOnce(action, recover);
            badRuns += !outcome.Clean();
            hidden += outcome.hidden > 0;
            lost += outcome.lost > 0;
            both += outcome.both > 0;
            partial += outcome.partial > 0;
        }
        bad += badRuns;
        std::printf("%-44s %8d %8d %8d %8d %8d %8d\n", CrashHarness::Name(action), runs, badRuns, hidden, lost, both,
                    partial);
        std::fflush(stdout);
    }
    std::printf("(bad: runs that left anything hidden, lost, at both places or partial; the other columns count runs)\n");
    return bad == 0 ? 0 : 1;
}
