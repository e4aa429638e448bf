// Deleting many small listed files against `find DIR -type f -delete` on an
// identical tree. Usage: bench_delete [file count] [parent folder]
// The listed files are collected before the clock starts (the program deletes
// files it has already listed); find has to walk its tree as part of its time.
#include "platform/CFileDeleter.h"

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

struct Listed
{
    QByteArray path;
    dev_t device;
    ino_t inode;
};

constexpr int kFilesPerFolder = 100;
constexpr int kFoldersPerGroup = 10;

bool MakeTree(const QByteArray &root, int fileCount)
{
    if (::mkdir(root.constData(), 0755) != 0)
        return false;
    for (int made = 0; made < fileCount;) {
        const int folderIndex = made / kFilesPerFolder;
        const QByteArray group = root + "/g" + QByteArray::number(folderIndex / kFoldersPerGroup);
        const QByteArray folder = group + "/f" + QByteArray::number(folderIndex % kFoldersPerGroup);
        if (folderIndex % kFoldersPerGroup == 0 && ::mkdir(group.constData(), 0755) != 0)
            return false;
        if (::mkdir(folder.constData(), 0755) != 0)
            return false;
        for (int i = 0; i < kFilesPerFolder && made < fileCount; ++i, ++made) {
            const QByteArray file = folder + "/file" + QByteArray::number(i) + ".tmp";
            const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0 || ::write(fd, "0123456789abcdef", 16) != 16)
                return false;
            ::close(fd);
        }
    }
    return true;
}

// Depth-first, files in directory order, as the walk lists them.
void Collect(const QByteArray &folder, std::vector<Listed> &out)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    std::vector<QByteArray> subfolders;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat info;
        if (::lstat(path.constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            subfolders.push_back(path);
        else
            out.push_back({path, info.st_dev, info.st_ino});
    }
    ::closedir(dir);
    for (const QByteArray &sub : subfolders)
        Collect(sub, out);
}

double TimeFind(const QByteArray &root)
{
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(QStringLiteral("find"), {QString::fromLocal8Bit(root), QStringLiteral("-type"),
                                                QStringLiteral("f"), QStringLiteral("-delete")});
    return clock.nsecsElapsed() / 1e9;
}

double TimeDeleter(const QByteArray &driveRoot, const std::vector<Listed> &listed, int &failures)
{
    CFileDeleter deleter;
    QElapsedTimer clock;
    clock.start();
    // The results are visited from the last row to the first.
    for (auto it = listed.rbegin(); it != listed.rend(); ++it)
        if (!deleter.Delete(driveRoot, it->path, it->device, it->inode).ok())
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
    const int fileCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    QByteArray parent = argc > 2 ? QByteArray(argv[2]) : QByteArray("/tmp");
    QByteArray base = parent + "/bench-delete-XXXXXX";
    if (!::mkdtemp(base.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    double best[2] = {1e9, 1e9};
    int failures = 0;
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) {
        const QByteArray findTree = base + "/find" + QByteArray::number(round);
        const QByteArray ownTree = base + "/own" + QByteArray::number(round);
        if (!MakeTree(findTree, fileCount) || !MakeTree(ownTree, fileCount)) {
            std::perror("making the tree");
            RemoveTree(base);
            return 1;
        }
        std::vector<Listed> listed;
        Collect(ownTree, listed);
        ::sync();
        best[0] = std::min(best[0], TimeFind(findTree));
        // Drive root "/" so every delete walks the whole path, as on a real drive.
        best[1] = std::min(best[1], TimeDeleter("/", listed, failures));
        RemoveTree(findTree);
        RemoveTree(ownTree);
    }
    RemoveTree(base);
    std::printf("files: %d, best of %d rounds\n", fileCount, kRounds);
    std::printf("find -type f -delete: %.3f s\n", best[0]);
    std::printf("CFileDeleter:          %.3f s (failures: %d)\n", best[1], failures);
    std::printf("ratio (ours / find):   %.2f (target <= 1.5)\n", best[1] / best[0]);
    return failures == 0 ? 0 : 1;
}
