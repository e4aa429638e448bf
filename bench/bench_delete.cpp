// Deleting listed files against `find DIR -type f -delete` on an identical
// tree, in two shapes:
//
//   bench_delete [--list] [file count] [parent folder]      many small files, 100 per folder
//   bench_delete [--list] --chain [levels] [parent folder]  one file in each of N nested folders
//
// The files are listed by the walk before the clock starts (the program
// deletes files it has already listed) and deleted by the Delete step, from
// the last row to the first; find has to walk its tree as part of its time.
// With --list the files are known as a list read back is (each folder by its
// whole path, as brimvale-cli delete knows them) rather than as walked.
#include "GroupedTree.h"
#include "core/CDeleteStep.h"
#include "core/CResultStore.h"
#include "platform/CDirectoryWalker.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFilesPerFolder = 100;
constexpr int kFoldersPerGroup = 10;

// Nested folders "d", each holding one file, made by descriptor (the path
// soon outgrows PATH_MAX).
bool MakeChain(const QByteArray &root, int levels)
{
    if (::mkdir(root.constData(), 0755) != 0)
        return false;
    int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; fd >= 0 && level < levels; ++level) {
        if (::mkdirat(fd, "d", 0755) != 0)
            return false;
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        const int file = fd < 0 ? -1 : ::openat(fd, "file.tmp", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (file < 0 || ::write(file, "0123456789abcdef", 16) != 16)
            return false;
        ::close(file);
    }
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

// Depth-first, files in directory order, as the scan lists them; as a list
// read back, each folder is known by its path alone.
void Collect(const QByteArray &root, CResultStore &store, bool asList)
{
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        if (!asList) {
            store.AddResult(record);
            return;
        }
        WalkRecord read = record;
        read.chain = nullptr;
        read.chainLength = 0;
        store.AddResult(read);
    });
    walker.Walk(root);
}

double TimeFind(const QByteArray &root)
{
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(QStringLiteral("find"), {QString::fromLocal8Bit(root), QStringLiteral("-type"),
                                                QStringLiteral("f"), QStringLiteral("-delete")});
    return clock.nsecsElapsed() / 1e9;
}

double TimeDeleter(const QByteArray &driveRoot, const CResultStore &store, int &failures)
{
    CDeleteStep step(store, driveRoot);
    QElapsedTimer clock;
    clock.start();
    // The results are visited from the last row to the first.
    for (int index = store.GetCount() - 1; index >= 0; --index)
        if (!step.Run(index).ok())
            ++failures;
    return clock.nsecsElapsed() / 1e9;
}

void RemoveTree(const QByteArray &root)
{
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QString::fromLocal8Bit(root)});
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool asList = argc > 1 && QByteArray(argv[1]) == "--list";
    if (asList) {
        --argc;
        ++argv;
    }
    const bool chain = argc > 1 && QByteArray(argv[1]) == "--chain";
    const int first = chain ? 2 : 1;
    const int fileCount = argc > first ? std::atoi(argv[first]) : chain ? 5000 : 100000;
    QByteArray parent = argc > first + 1 ? QByteArray(argv[first + 1]) : QByteArray("/tmp");
    const auto make = [chain, fileCount](const QByteArray &root) {
        return chain ? MakeChain(root, fileCount) : MakeGroupedTree(root, fileCount, kFilesPerFolder, kFoldersPerGroup, ".tmp");
    };
    QByteArray base = parent + "/bench-delete-XXXXXX";
    if (!::mkdtemp(base.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    // The action's journal goes beside the trees, not to the user's state folder.
    qputenv("XDG_STATE_HOME", base + "/state");
    double best[2] = {1e9, 1e9};
    int failures = 0;
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) {
        const QByteArray findTree = base + "/find" + QByteArray::number(round);
        const QByteArray ownTree = base + "/own" + QByteArray::number(round);
        if (!make(findTree) || !make(ownTree)) {
            std::perror("making the tree");
            RemoveTree(base);
            return 1;
        }
        CResultStore store;
        Collect(ownTree, store, asList);
        ::sync();
        best[0] = std::min(best[0], TimeFind(findTree));
        best[1] = std::min(best[1], TimeDeleter(ownTree, store, failures));
        RemoveTree(findTree);
        RemoveTree(ownTree);
    }
    RemoveTree(base);
    std::printf("%s: %d, %s, best of %d rounds\n", chain ? "nested folders with one file each" : "files", fileCount,
                asList ? "as a list read back" : "as walked", kRounds);
    std::printf("find -type f -delete: %.3f s\n", best[0]);
    std::printf("Delete step:          %.3f s (failures: %d)\n", best[1], failures);
    std::printf("ratio (ours / find):  %.2f (target <= %s)\n", best[1] / best[0], chain ? "3" : "1.5");
    return failures == 0 ? 0 : 1;
}
