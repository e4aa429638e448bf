// What the results page forecasts a Delete will free, against what the file
// system's free blocks really gain when the Delete step runs:
//
//   bench_frees [ext4 image MB]
//
// Runs twice, each time on a file system of its own in a private mount
// namespace (so that no other program moves its free blocks): a
// loop-mounted ext4 image made with mkfs.ext4, and a tmpfs. On each it makes
// a mixed set (ordinary files of varied sizes, a sparse file with a few
// written stretches, files below one block, hard-link groups fully and
// partly selected and one with a link left unlisted, a file held open by
// this program), walks it into a result store as the scan does, unchecks
// what a user might, deletes the checked files from the last to the first
// with the Delete step, and prints the forecast, the measured gain, and
// their ratio (target: within 1 %). The sum of the apparent sizes is printed
// beside it for contrast. Needs root (or user namespaces) and mkfs.ext4.
#include "core/CDeleteStep.h"
#include "core/CHeldOpenFiles.h"
#include "core/CProcOpenFileSource.h"
#include "core/CResultStore.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CDiskSpace.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int64_t kMB = 1048576;

bool WriteAt(int fd, std::int64_t offset, std::int64_t size)
{
    static const QByteArray chunk(1 << 16, 'x');
    for (std::int64_t done = 0; done < size;) {
        const std::size_t n = std::size_t(std::min<std::int64_t>(chunk.size(), size - done));
        if (::pwrite(fd, chunk.constData(), n, offset + done) != ssize_t(n))
            return false;
        done += std::int64_t(n);
    }
    return true;
}

bool WriteFile(const QByteArray &path, std::int64_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = WriteAt(fd, 0, size);
    return ::close(fd) == 0 && ok;
}

bool Link(const QByteArray &from, const QByteArray &to)
{
    return ::link(from.constData(), to.constData()) == 0;
}

struct Names
{
    std::vector<QByteArray> unchecked; // paths the "user" unchecks
};

// The mixed set below `root`; returns false with `why` when it cannot be made.
bool MakeSet(const QByteArray &root, Names &names, int &heldFd, QByteArray &why)
{
    QRandomGenerator random(42);
    const QByteArray files = root + "/files";
    const QByteArray small = root + "/small";
    const QByteArray links = root + "/links";
    const QByteArray elsewhere = root + "/elsewhere"; // never listed: as if it had not matched
    for (const QByteArray &folder : {files, small, links, elsewhere}) {
        if (::mkdir(folder.constData(), 0755) != 0) {
            why = "mkdir " + folder + ": " + std::strerror(errno);
            return false;
        }
    }
    // Ordinary files from a few KB to a few MB; every tenth stays unchecked.
    for (int i = 0; i < 120; ++i) {
        const QByteArray path = files + "/f" + QByteArray::number(i) + ".bin";
        const std::int64_t size = i % 3 == 0 ? random.bounded(4 * 1024 * 1024) : random.bounded(200 * 1024);
        if (!WriteFile(path, size))
            return why = "cannot write " + path, false;
        if (i % 10 == 0)
            names.unchecked.push_back(path);
    }
    // Files below one block: each still takes a whole block.
    for (int i = 0; i < 300; ++i) {
        if (!WriteFile(small + "/s" + QByteArray::number(i) + ".txt", 1 + random.bounded(3000)))
            return why = "cannot write a small file", false;
    }
    // 2 GB long, three stretches written.
    {
        const QByteArray path = files + "/sparse.img";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool ok = fd >= 0 && ::ftruncate(fd, 2048 * kMB) == 0 && WriteAt(fd, 0, 64 * 1024)
                        && WriteAt(fd, 700 * kMB, 3 * kMB) && WriteAt(fd, 2047 * kMB, 100 * 1024);
        if (fd < 0 || ::close(fd) != 0 || !ok)
            return why = "cannot make the sparse file", false;
    }
    // Hard links: groups fully selected, one partly selected, and one whose
    // other link lies in a folder the list leaves out.
    const struct
    {
        const char *name;
        std::int64_t size;
        int links;
        int uncheckedLinks;
    } groups[] = {{"full", 12 * kMB, 3, 0}, {"part", 9 * kMB, 3, 1}, {"pair", 5 * kMB, 2, 0}};
    for (const auto &group : groups) {
        const QByteArray first = links + '/' + group.name + "0";
        if (!WriteFile(first, group.size))
            return why = "cannot write " + first, false;
        for (int l = 1; l < group.links; ++l) {
            if (!Link(first, links + '/' + group.name + QByteArray::number(l)))
                return why = "cannot link " + first, false;
        }
        for (int l = 0; l < group.uncheckedLinks; ++l)
            names.unchecked.push_back(links + '/' + group.name + QByteArray::number(group.links - 1 - l));
    }
    if (!WriteFile(links + "/outside0", 7 * kMB) || !Link(links + "/outside0", elsewhere + "/outside1"))
        return why = "cannot link outside the list", false;
    // A log a running program (this one) keeps open: deleting it frees
    // nothing until it is closed.
    const QByteArray log = files + "/held.log";
    if (!WriteFile(log, 6 * kMB))
        return why = "cannot write the held file", false;
    heldFd = ::open(log.constData(), O_RDONLY | O_CLOEXEC);
    if (heldFd < 0)
        return why = "cannot open the held file", false;
    // Everything on disk before the scan: stat then reports the blocks the
    // files will keep.
    ::sync();
    return true;
}

bool RunOn(const char *label, const QByteArray &root)
{
    Names names;
    int heldFd = -1;
    QByteArray why;
    if (!MakeSet(root, names, heldFd, why)) {
        std::printf("%s: skipped, %s\n", label, why.constData());
        return false;
    }
    CHeldOpenFiles held;
    CProcOpenFileSource source;
    held.Load(source);
    CResultStore store;
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        if (!record.folder.endsWith("/elsewhere"))
            store.AddResult(record, held.Contains(record.device, record.inode));
    });
    walker.Walk(root);
    for (int i = 0; i < store.GetCount(); ++i) {
        if (std::find(names.unchecked.begin(), names.unchecked.end(), store.GetPath(i)) != names.unchecked.end())
            store.SetChecked(i, false);
    }
    const std::int64_t forecast = store.GetForecastBytes();
    const std::int64_t apparent = store.GetSelectedBytes();
    const int checked = store.GetSelectedCount();

    CDeleteStep step(store, root);
    const DiskSpace before = CDiskSpace::Query(root);
    int failed = 0;
    std::vector<int> freed;
    for (int i = store.GetCount() - 1; i >= 0; --i) {
        if (!store.IsChecked(i))
            continue;
        if (step.Run(i).ok() && step.FreesSpace(i))
            freed.push_back(i);
        else
            ++failed;
    }
    ::sync();
    const DiskSpace after = CDiskSpace::Query(root);
    ::close(heldFd);
    if (!before.ok || !after.ok) {
        std::printf("%s: skipped, the file system reports no free space\n", label);
        return false;
    }
    const std::int64_t measured = after.unusedBytes - before.unusedBytes;
    const double ratio = forecast > 0 ? double(measured) / double(forecast) : 0.0;
    std::printf("%s: %d files listed, %d checked, %d not deleted\n", label, store.GetCount(), checked, failed);
    std::printf("  apparent sizes of the checked files: %12lld bytes\n", static_cast<long long>(apparent));
    std::printf("  forecast (frees about):              %12lld bytes\n", static_cast<long long>(forecast));
    std::printf("  forecast of the files deleted:       %12lld bytes\n",
                static_cast<long long>(store.GetForecast().FreedBy(freed)));
    std::printf("  measured gain of free blocks:        %12lld bytes\n", static_cast<long long>(measured));
    std::printf("  ratio measured / forecast:           %12.5f (target 0.99 to 1.01)\n", ratio);
    std::printf("  ratio apparent / measured:           %12.2f\n", measured > 0 ? double(apparent) / double(measured) : 0.0);
    return true;
}

bool Run(const QStringList &arguments)
{
    QProcess process;
    process.start(arguments.first(), arguments.mid(1));
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int imageMb = argc > 1 ? std::max(64, std::atoi(argv[1])) : 256;

    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        std::printf("needs a private mount namespace (run as root): %s\n", std::strerror(errno));
        return 1;
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        std::printf("no temporary folder\n");
        return 1;
    }
    const QByteArray base = QFile::encodeName(work.path());

    // A loop-mounted ext4 image.
    const QByteArray image = base + "/fs.img";
    const QByteArray ext4 = base + "/ext4";
    ::mkdir(ext4.constData(), 0755);
    const int fd = ::open(image.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool imageMade = fd >= 0 && ::ftruncate(fd, std::int64_t(imageMb) * kMB) == 0 && ::close(fd) == 0;
    if (!imageMade || !Run({QStringLiteral("mkfs.ext4"), QStringLiteral("-q"), QStringLiteral("-F"), QFile::decodeName(image)}))
        std::printf("ext4 %d MB loop image: skipped, mkfs.ext4 failed or is missing\n", imageMb);
    else if (!Run({QStringLiteral("mount"), QStringLiteral("-o"), QStringLiteral("loop"), QFile::decodeName(image),
                   QFile::decodeName(ext4)}))
        std::printf("ext4 %d MB loop image: skipped, cannot loop-mount it\n", imageMb);
    else {
        RunOn(qPrintable(QStringLiteral("ext4 %1 MB loop image").arg(imageMb)), ext4);
        ::umount2(ext4.constData(), MNT_DETACH);
    }

    // A tmpfs.
    const QByteArray tmpfs = base + "/tmpfs";
    ::mkdir(tmpfs.constData(), 0755);
    if (::mount("none", tmpfs.constData(), "tmpfs", 0, "size=256m") != 0)
        std::printf("tmpfs: skipped, cannot mount one: %s\n", std::strerror(errno));
    else {
        RunOn("tmpfs 256 MB", tmpfs);
        ::umount2(tmpfs.constData(), MNT_DETACH);
    }
    return 0;
}
