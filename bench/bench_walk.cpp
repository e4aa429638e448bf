// Walks a folder as the scan does: the descriptor walk, a cheap match on every
// file, and every file appended to the results store. Prints the time taken.
//
//   bench_walk DIR [--list]
//
// BRIMVALE_READERS sets the reader threads (unset: chosen for the drive).
// --list prints "<size> <path>" per file instead, for comparing the listing
// with find's.

#include "platform/CDirectoryWalker.h"
#include "core/CResultStore.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>

namespace {

bool LooksDisposable(const QByteArray &name)
{
    return name.endsWith(".tmp") || name.endsWith(".bak") || name.endsWith(".log") || name.endsWith(".old");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [--list]\n", argv[0]);
        return 2;
    }
    const bool list = argc > 2 && std::strcmp(argv[2], "--list") == 0;

    CResultStore store;
    std::int64_t files = 0;
    std::int64_t matches = 0;
    std::int64_t folders = 0;
    std::int64_t bytes = 0;
    CDirectoryWalker walker;
    walker.SetFolderHandler([&](const QByteArray &) { ++folders; });
    walker.SetCancelCheck([] { return false; });
    walker.SetFileHandler([&](const WalkRecord &record) {
        ++files;
        bytes += record.size;
        if (LooksDisposable(record.name))
            ++matches;
        if (list) {
            std::printf("%lld %s%s%s\n", static_cast<long long>(record.size), record.folder.constData(),
                        record.folder.endsWith('/') ? "" : "/", record.name.constData());
            return;
        }
        store.AddResult(record);
    });

    QElapsedTimer timer;
    timer.start();
    const CDirectoryWalker::Result result = walker.Walk(QByteArray(argv[1]));
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (result == CDirectoryWalker::Result::RootUnavailable) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    std::fprintf(list ? stderr : stdout,
                 "walk: %.3f s, %lld files in %lld folders (%lld skipped), %lld match, %.1f GiB, stored %d, "
                 "%d readers, %lld folders read ahead\n",
                 seconds, static_cast<long long>(files), static_cast<long long>(folders),
                 static_cast<long long>(walker.GetSkippedFolders()), static_cast<long long>(matches),
                 double(bytes) / double(1LL << 30), store.GetCount(), walker.GetReadersUsed(),
                 static_cast<long long>(walker.GetFoldersReadAhead()));
    return 0;
}
