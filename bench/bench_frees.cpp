// What the results page forecasts a Delete will free, against what the file
// system's free blocks really gain when the Delete runs:
//
//   bench_frees [ext4 image MB] [--files N] [--extents-only]
//
// Each case runs on a file system of its own in a private mount namespace,
// so that no other program moves its free blocks (needs root, loop devices,
// mkfs.ext4, mkfs.btrfs and mkfs.xfs; a file system that cannot be made is
// skipped with a message):
//
// - ext4 loop image and tmpfs: a mixed set (ordinary files of varied sizes,
//   a sparse file with a few written stretches, files below one block,
//   hard-link groups fully and partly selected and one with a link left
//   unlisted, a file held open by this program);
// - btrfs and xfs loop images: the same mixed set; reflinked copies with
//   every copy checked; reflinked copies with one copy of each checked; and
//   on btrfs, files a read-only snapshot shares besides files written after
//   it.
//
// Every case is scanned by the scan session (so shared data is read as the
// program reads it), the "user" unchecks some files, the Delete runs through
// the action runner, and the case prints its range "frees about X (up to
// Y)", the measured gain of free blocks and measured / X (target 0.99 to
// 1.01 where X is claimed), and whether the gain lies within the range.
//
// Last, what reading the extents costs: a scan of a tree of N files with
// data (default 200,000) on a btrfs image, every file listed: without
// reading what the files share, reading it as the program does (as root,
// from the file system's records of who refers to each extent; target: at
// most 10 % added), and mapping every file; best of three each.
// --extents-only runs that part alone.
#include "DeleteChecked.h"
#include "LoopImage.h"

#include "core/CFileScan.h"
#include "core/CResultStore.h"
#include "core/CScanSession.h"
#include "core/FreesText.h"
#include "platform/CBtrfsSharedFiles.h"
#include "platform/CDiskSpace.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int64_t kMB = 1048576;

bool WriteAt(int fd, std::int64_t offset, std::int64_t size, char fill = 'x')
{
    QByteArray chunk(1 << 16, fill);
    for (std::int64_t done = 0; done < size;) {
        const std::size_t n = std::size_t(std::min<std::int64_t>(chunk.size(), size - done));
        if (::pwrite(fd, chunk.constData(), n, offset + done) != ssize_t(n))
            return false;
        done += std::int64_t(n);
    }
    return true;
}

bool WriteFile(const QByteArray &path, std::int64_t size, char fill = 'x')
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = WriteAt(fd, 0, size, fill);
    return ::close(fd) == 0 && ok;
}

bool MakeFolders(std::initializer_list<QByteArray> folders, QByteArray &why)
{
    for (const QByteArray &folder : folders) {
        if (::mkdir(folder.constData(), 0755) != 0 && errno != EEXIST) {
            why = "mkdir " + folder + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

// What a case made: the files the "user" unchecks, the folder the list
// leaves out, a descriptor held open until the gain is measured.
struct Case
{
    std::vector<QByteArray> unchecked;
    QByteArray unlisted;
    int heldFd = -1;
};

bool MakeMixedSet(const QByteArray &root, Case &made, QByteArray &why)
{
    QRandomGenerator random(42);
    const QByteArray files = root + "/files";
    const QByteArray small = root + "/small";
    const QByteArray links = root + "/links";
    made.unlisted = root + "/elsewhere"; // as if it had not matched
    if (!MakeFolders({files, small, links, made.unlisted}, why))
        return false;
    // Ordinary files from a few KB to a few MB; every tenth stays unchecked.
    for (int i = 0; i < 120; ++i) {
        const QByteArray path = files + "/f" + QByteArray::number(i) + ".bin";
        const std::int64_t size = i % 3 == 0 ? random.bounded(4 * 1024 * 1024) : random.bounded(200 * 1024);
        if (!WriteFile(path, size))
            return why = "cannot write " + path, false;
        if (i % 10 == 0)
            made.unchecked.push_back(path);
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
            if (::link(first.constData(), (links + '/' + group.name + QByteArray::number(l)).constData()) != 0)
                return why = "cannot link " + first, false;
        }
        for (int l = 0; l < group.uncheckedLinks; ++l)
            made.unchecked.push_back(links + '/' + group.name + QByteArray::number(group.links - 1 - l));
    }
    if (!WriteFile(links + "/outside0", 7 * kMB)
        || ::link((links + "/outside0").constData(), (made.unlisted + "/outside1").constData()) != 0)
        return why = "cannot link outside the list", false;
    // A log a running program (this one) keeps open: deleting it frees
    // nothing until it is closed.
    const QByteArray log = files + "/held.log";
    if (!WriteFile(log, 6 * kMB))
        return why = "cannot write the held file", false;
    made.heldFd = ::open(log.constData(), O_RDONLY | O_CLOEXEC);
    if (made.heldFd < 0)
        return why = "cannot open the held file", false;
    return true;
}

// Originals and their reflinked copies; with `bCopiesOnly` the originals
// stay unchecked, so that each copy goes alone.
bool MakeCopies(const QByteArray &root, bool bCopiesOnly, Case &made, QByteArray &why)
{
    QRandomGenerator random(7);
    const QByteArray folder = root + "/copies";
    if (!MakeFolders({folder}, why))
        return false;
    for (int i = 0; i < 24; ++i) {
        const QByteArray original = folder + "/o" + QByteArray::number(i);
        const QByteArray copy = folder + "/c" + QByteArray::number(i);
        if (!WriteFile(original, 64 * 1024 + random.bounded(int(3 * kMB)), char('a' + i % 20))
            || !LoopImage::Reflink(original, copy))
            return why = "cannot make a reflinked copy (" + QByteArray(std::strerror(errno)) + ")", false;
        if (bCopiesOnly)
            made.unchecked.push_back(original);
    }
    // A few files of their own among them.
    for (int i = 0; i < 8; ++i) {
        if (!WriteFile(folder + "/own" + QByteArray::number(i), 100 * 1024 + random.bounded(int(kMB))))
            return why = "cannot write a file", false;
    }
    return true;
}

// Files a read-only snapshot of their subvolume shares, and files written
// after it; `root` is then the subvolume.
bool MakeSnapshotted(LoopImage &image, QByteArray &root, QByteArray &why)
{
    QRandomGenerator random(9);
    if (!image.MakeSubvolume("vol"))
        return why = "cannot make a subvolume", false;
    root = image.path("vol");
    for (int i = 0; i < 20; ++i) {
        if (!WriteFile(root + "/kept" + QByteArray::number(i), 64 * 1024 + random.bounded(int(2 * kMB))))
            return why = "cannot write a file", false;
    }
    if (!image.Sync() || !image.MakeSnapshot("vol", "vol-snapshot"))
        return why = "cannot make a snapshot", false;
    for (int i = 0; i < 10; ++i) {
        if (!WriteFile(root + "/new" + QByteArray::number(i), 64 * 1024 + random.bounded(int(2 * kMB))))
            return why = "cannot write a file", false;
    }
    return true;
}

struct StoreSink : CMatchSink, CScanProgress
{
    StoreSink(CResultStore &store, const QByteArray &unlisted) : m_store(store), m_unlisted(unlisted) {}
    void AddMatch(const ScanMatch &match) override
    {
        if (m_unlisted.isEmpty() || !match.record.folder.startsWith(m_unlisted))
            m_store.AddResult(match.record, match.why, match.heldOpen);
    }
    CResultStore &m_store;
    QByteArray m_unlisted;
};

// Every file below `root`, as a Custom search for files of at least 0 KB.
CFileScan EveryFile(const QByteArray &root)
{
    CFileScan scan;
    scan.m_strDrive = QFile::decodeName(root);
    scan.m_bExpress = 0;
    scan.m_bSize = 1;
    scan.m_nSizeMode = 2;
    scan.m_nSizeFrom = 0;
    return scan;
}

ScanOutcome Scan(const QByteArray &root, CResultStore &store, const QByteArray &unlisted, bool bReadShared = true,
                 bool bMapEveryFile = false)
{
    const CFileScan criteria = EveryFile(root);
    CScanSession session(criteria, root);
    // Nothing protected: the held file is listed, and frees nothing.
    session.SetProtectionFactory({});
    session.SetReadSharedData(bReadShared);
    session.SetMapEveryFile(bMapEveryFile);
    StoreSink sink(store, unlisted);
    return session.Run(sink, sink);
}

// Scans, unchecks, deletes and prints one case; false when its gain lies
// outside the range it forecast.
bool RunCase(const char *label, const QByteArray &root, Case &made)
{
    CResultStore store;
    Scan(root, store, made.unlisted);
    for (int i = 0; i < store.GetCount(); ++i) {
        if (std::find(made.unchecked.begin(), made.unchecked.end(), store.GetPath(i)) != made.unchecked.end())
            store.SetChecked(i, false);
    }
    const std::int64_t apparent = store.GetSelectedBytes();
    const std::int64_t sure = store.GetForecastBytes();
    const std::int64_t upTo = store.GetUpToBytes();
    const int checked = store.GetSelectedCount();
    const ActionOutcome outcome = DeleteChecked(store, root);
    if (made.heldFd >= 0)
        ::close(made.heldFd);
    made.heldFd = -1;
    if (!outcome.measured) {
        std::printf("%s: skipped, the file system reports no free space\n", label);
        return true;
    }
    const std::int64_t measured = outcome.measuredFreedBytes;
    // A page of slack either side: the file system's own bookkeeping moves too.
    const std::int64_t slack = std::max<std::int64_t>(sure / 100, 64 * 1024);
    const bool within = measured >= sure - slack && measured <= upTo + slack;
    std::printf("%s: %d files listed, %d checked, %d not deleted\n", label, store.GetCount(), checked,
                outcome.GetFailedCount());
    std::printf("  apparent sizes of the checked files: %12lld bytes\n", static_cast<long long>(apparent));
    std::printf("  %s\n", qPrintable(FormatFrees(sure, upTo)));
    std::printf("  forecast: at least %12lld, at most %12lld bytes\n", static_cast<long long>(sure),
                static_cast<long long>(upTo));
    std::printf("  measured gain of free blocks:        %12lld bytes\n", static_cast<long long>(measured));
    if (sure > 0)
        std::printf("  ratio measured / forecast:           %12.5f (target 0.99 to 1.01)\n",
                    double(measured) / double(sure));
    std::printf("  within the range: %s\n", within ? "yes" : "NO");
    return within;
}

double CpuSeconds(clockid_t clock)
{
    struct timespec now;
    ::clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// A tree of `files` small files with data, 100 to a folder.
bool MakeTree(const QByteArray &root, int files, QByteArray &why)
{
    QRandomGenerator random(3);
    QByteArray folder;
    for (int i = 0; i < files; ++i) {
        if (i % 100 == 0) {
            folder = root + "/d" + QByteArray::number(i / 100);
            if (!MakeFolders({folder}, why))
                return false;
        }
        if (!WriteFile(folder + "/f" + QByteArray::number(i) + ".dat", 100 + random.bounded(6000)))
            return why = "cannot write the tree", false;
    }
    return true;
}

void TimeExtentReading(int files)
{
    LoopImage image(LoopImage::Btrfs, std::max(300, files / 100));
    if (!image.isMounted()) {
        std::printf("extent reading: skipped, %s\n", image.whyNot().constData());
        return;
    }
    QByteArray why;
    const QByteArray root = image.path("tree");
    if (!MakeFolders({root}, why) || !MakeTree(root, files, why) || !image.Sync()) {
        std::printf("extent reading: skipped, %s\n", why.constData());
        return;
    }
    // Wall time; the processor time of the whole process (every thread),
    // which a machine busy with other work disturbs less; and that of the
    // walking thread alone, which is what the walk waits for where there
    // are cores to spare for the rest. Three ways: without reading what
    // files share, reading it as the program does (the file system's
    // records where it may read them, else a map per file), and mapping
    // every file.
    enum { kWithout, kAsProgram, kEveryMap, kWays };
    const char *const ways[kWays] = {"scan without reading what files share", "scan reading it as the program does",
                                     "scan mapping every file"};
    double best[kWays], bestCpu[kWays], bestWalkCpu[kWays];
    std::fill(best, best + kWays, 1e9);
    std::fill(bestCpu, bestCpu + kWays, 1e9);
    std::fill(bestWalkCpu, bestWalkCpu + kWays, 1e9);
    std::int64_t shared = 0;
    for (int round = 0; round < 3; ++round) {
        for (int way = 0; way < kWays; ++way) {
            CResultStore store;
            QElapsedTimer timer;
            const double cpuBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
            const double walkCpuBefore = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            timer.start();
            const ScanOutcome outcome = Scan(root, store, QByteArray(), way != kWithout, way == kEveryMap);
            best[way] = std::min(best[way], double(timer.nsecsElapsed()) / 1e9);
            bestCpu[way] = std::min(bestCpu[way], CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore);
            bestWalkCpu[way] = std::min(bestWalkCpu[way], CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - walkCpuBefore);
            if (way == kAsProgram)
                shared = outcome.sharedFiles;
        }
    }
    // The records alone, as the program reads them before the walk.
    double bestRecords = 1e9, bestRecordsCpu = 1e9;
    for (int round = 0; round < 3; ++round) {
        const int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        CBtrfsSharedFiles records;
        QElapsedTimer timer;
        const double cpuBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        timer.start();
        const bool read = records.Read(fd);
        bestRecords = std::min(bestRecords, double(timer.nsecsElapsed()) / 1e9);
        bestRecordsCpu = std::min(bestRecordsCpu, CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore);
        ::close(fd);
        if (!read)
            std::printf("  (the records cannot be read here: every file is mapped)\n");
    }
    std::printf("extent reading on btrfs, %d files listed (%lld share data), best of three:\n", files,
                static_cast<long long>(shared));
    std::printf("  %-40s %7.3f s, processor %7.3f s\n", "reading the records alone", bestRecords, bestRecordsCpu);
    for (int way = 0; way < kWays; ++way) {
        std::printf("  %-40s %7.3f s, processor %7.3f s, walking thread %7.3f s\n", ways[way], best[way], bestCpu[way],
                    bestWalkCpu[way]);
        if (way != kWithout)
            std::printf("    ratio to the scan without: wall %.3f, processor %.3f, walking thread %.3f%s\n",
                        best[way] / best[kWithout], bestCpu[way] / bestCpu[kWithout],
                        bestWalkCpu[way] / bestWalkCpu[kWithout], way == kAsProgram ? " (target at most 1.10)" : "");
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int imageMb = 256;
    int treeFiles = 200000;
    bool extentsOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--files") == 0 && i + 1 < argc)
            treeFiles = std::max(100, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--extents-only") == 0)
            extentsOnly = true;
        else
            imageMb = std::max(64, std::atoi(argv[i]));
    }
    QByteArray why;
    if (!LoopImage::EnterOwnNamespace(why)) {
        std::printf("needs a private mount namespace (run as root): %s\n", why.constData());
        return 1;
    }
    if (extentsOnly) {
        TimeExtentReading(treeFiles);
        return 0;
    }
    bool allWithin = true;
    {
        LoopImage ext4(LoopImage::Ext4, imageMb);
        Case made;
        if (!ext4.isMounted())
            std::printf("ext4 loop image: skipped, %s\n", ext4.whyNot().constData());
        else if (!MakeMixedSet(ext4.root(), made, why))
            std::printf("ext4 loop image: skipped, %s\n", why.constData());
        else
            allWithin = RunCase(qPrintable(QStringLiteral("ext4 %1 MB loop image").arg(imageMb)), ext4.root(), made)
                        && allWithin;
    }
    {
        QTemporaryDir work;
        const QByteArray tmpfs = QFile::encodeName(work.path());
        Case made;
        if (!work.isValid() || ::mount("none", tmpfs.constData(), "tmpfs", 0, "size=256m") != 0)
            std::printf("tmpfs: skipped, cannot mount one: %s\n", std::strerror(errno));
        else if (!MakeMixedSet(tmpfs, made, why))
            std::printf("tmpfs: skipped, %s\n", why.constData());
        else
            allWithin = RunCase("tmpfs 256 MB", tmpfs, made) && allWithin;
        ::umount2(tmpfs.constData(), MNT_DETACH);
    }
    for (const LoopImage::Kind kind : {LoopImage::Btrfs, LoopImage::Xfs}) {
        const char *name = kind == LoopImage::Btrfs ? "btrfs" : "xfs";
        const struct
        {
            const char *label;
            int kind; // 0 mixed set, 1 every copy checked, 2 one copy of each, 3 snapshot
        } cases[] = {{"mixed set", 0}, {"reflinked copies, all checked", 1}, {"reflinked copies, one of each checked", 2},
                     {"files a snapshot shares", 3}};
        for (const auto &c : cases) {
            if (c.kind == 3 && kind != LoopImage::Btrfs)
                continue;
            const QByteArray label = QByteArray(name) + " 300 MB loop image, " + c.label;
            LoopImage image(kind);
            if (!image.isMounted()) {
                std::printf("%s: skipped, %s\n", label.constData(), image.whyNot().constData());
                break;
            }
            Case made;
            QByteArray root = image.root();
            const bool ok = c.kind == 0   ? MakeMixedSet(root, made, why)
                            : c.kind == 3 ? MakeSnapshotted(image, root, why)
                                          : MakeCopies(root, c.kind == 2, made, why);
            if (!ok || !image.Sync()) {
                std::printf("%s: skipped, %s\n", label.constData(), why.constData());
                continue;
            }
            allWithin = RunCase(label.constData(), root, made) && allWithin;
        }
    }
    TimeExtentReading(treeFiles);
    std::printf("every measured gain within its forecast range: %s\n", allWithin ? "yes" : "NO");
    return allWithin ? 0 : 1;
}
