// Deleting listed files together with the folders that leaves empty, against
// `find DIR -type f -delete` followed by `find DIR -mindepth 1 -type d -empty
// -delete` on an identical tree:
//
//   bench_emptied [file count] [parent folder]
//
// The tree is Temp/gN/fM/fileK.dat, ten files per folder and a hundred
// folders per group, so 100,000 files lie in 10,000 folders (and 100
// groups) that the Delete empties. The files are listed by an Express scan
// before the clock starts; the Delete step runs over them from the last row
// to the first and then removes the emptied folders, as an action does.
// Exits 1 when a file or a folder was left or removed wrongly; the ratio
// is only printed.
#include "GroupedTree.h"
#include "core/CDeleteStep.h"
#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CResultStore.h"
#include "platform/CDirectoryWalker.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFilesPerFolder = 10;
constexpr int kFoldersPerGroup = 100;

bool MakeTree(const QByteArray &root, int fileCount)
{
    return ::mkdir(root.constData(), 0755) == 0
           && MakeGroupedTree(root + "/Temp", fileCount, kFilesPerFolder, kFoldersPerGroup, ".dat");
}

void Collect(const QByteArray &root, CResultStore &store)
{
    CFileScan scan;
    scan.m_bExpress = 1;
    scan.m_strDrive = QFile::decodeName(root);
    const CFileMatcher matcher(scan);
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        if (matcher.MatchFile(record))
            store.AddResult(record, matcher.GetReason(record));
    });
    walker.Walk(root);
}

double TimeFind(const QByteArray &root)
{
    const QString tree = QFile::decodeName(root + "/Temp");
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(QStringLiteral("find"), {tree, QStringLiteral("-type"), QStringLiteral("f"), QStringLiteral("-delete")});
    QProcess::execute(QStringLiteral("find"), {tree, QStringLiteral("-mindepth"), QStringLiteral("1"), QStringLiteral("-type"),
                                                QStringLiteral("d"), QStringLiteral("-empty"), QStringLiteral("-delete")});
    return clock.nsecsElapsed() / 1e9;
}

double TimeDelete(const QByteArray &root, const CResultStore &store, int &failures, int &removed)
{
    CDeleteStep step(store, root);
    QElapsedTimer clock;
    clock.start();
    for (int index = store.GetCount() - 1; index >= 0; --index)
        if (!step.Run(index).ok())
            ++failures;
    step.Finish();
    const double seconds = clock.nsecsElapsed() / 1e9;
    removed = step.GetRemovedFolders();
    return seconds;
}

int CountEntries(const QByteArray &folder)
{
    QProcess find;
    find.start(QStringLiteral("find"), {QFile::decodeName(folder), QStringLiteral("-mindepth"), QStringLiteral("1")});
    find.waitForFinished(-1);
    return int(find.readAllStandardOutput().count('\n'));
}

void RemoveTree(const QByteArray &root)
{
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QFile::decodeName(root)});
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int fileCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const QByteArray parent = argc > 2 ? QByteArray(argv[2]) : QByteArray("/tmp");
    QByteArray base = parent + "/bench-emptied-XXXXXX";
    if (!::mkdtemp(base.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const int folders = (fileCount + kFilesPerFolder - 1) / kFilesPerFolder;
    const int expectedFolders = folders + (folders + kFoldersPerGroup - 1) / kFoldersPerGroup;
    double best[2] = {1e9, 1e9};
    int failures = 0;
    int wrong = 0;
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) {
        const QByteArray findTree = base + "/find" + QByteArray::number(round);
        const QByteArray ownTree = base + "/own" + QByteArray::number(round);
        if (!MakeTree(findTree, fileCount) || !MakeTree(ownTree, fileCount)) {
            std::perror("making the tree");
            RemoveTree(base);
            return 1;
        }
        CResultStore store;
        Collect(ownTree, store);
        if (store.GetCount() != fileCount)
            ++wrong;
        ::sync();
        int removed = 0;
        best[0] = std::min(best[0], TimeFind(findTree));
        best[1] = std::min(best[1], TimeDelete(ownTree, store, failures, removed));
        // Both leave exactly the matched folder, empty.
        if (removed != expectedFolders || CountEntries(ownTree + "/Temp") != 0 || CountEntries(findTree + "/Temp") != 0)
            ++wrong;
        RemoveTree(findTree);
        RemoveTree(ownTree);
    }
    RemoveTree(base);
    const double ratio = best[1] / best[0];
    std::printf("files: %d in %d folders it empties, best of %d rounds\n", fileCount, expectedFolders, kRounds);
    std::printf("find -delete, find -type d -empty -delete: %.3f s\n", best[0]);
    std::printf("Delete step with emptied folders:         %.3f s (failures: %d, wrong results: %d)\n", best[1],
                failures, wrong);
    std::printf("ratio (ours / find):                      %.2f (target <= 1.5)\n", ratio);
    return failures == 0 && wrong == 0 ? 0 : 1;
}
