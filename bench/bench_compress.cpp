// Storing listed files in a zip archive the way the program does it (one
// plug-in call per file, each behind the identity check of the compress
// step) against one `zip -q ARCHIVE FILES...` process for all of them, on the
// same files in the same run. Usage: bench_compress [parent folder] [rounds] [divisor]
// Two sets: 2,000 files totalling 50 MB, and 10,000 files of 1 KB (both
// divided by the optional third argument, for a quick run). Runs
// alternate and the medians are compared; each archive is checked to hold
// every file.
#include "platform/CPluginLibrary.h"
#include "platform/CompressApi.h"
#include "core/CCompressStep.h"
#include "core/CResultStore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct FileSet
{
    const char *title;
    QList<QByteArray> paths;
    qint64 bytes = 0;
};

// Text-like bytes with some noise: deflate has work to do on them.
QByteArray Content(int size, QRandomGenerator &random)
{
    static const char *words[] = {"cache ", "temporary ", "object ", "build ", "log line ", "trace 0x", "\n"};
    QByteArray out;
    out.reserve(size + 16);
    while (out.size() < size) {
        if (random.bounded(5) == 0)
            out.append(char(random.bounded(256)));
        else
            out.append(words[random.bounded(7)]);
    }
    out.truncate(size);
    return out;
}

bool MakeSet(const QByteArray &root, FileSet &set, int count, int minSize, int maxSize, quint32 seed)
{
    QRandomGenerator random(seed);
    if (::mkdir(root.constData(), 0755) != 0)
        return false;
    for (int i = 0; i < count; ++i) {
        const QByteArray folder = root + "/d" + QByteArray::number(i / 200);
        if (i % 200 == 0 && ::mkdir(folder.constData(), 0755) != 0)
            return false;
        const QByteArray path = folder + "/f" + QByteArray::number(i) + ".dat";
        const QByteArray bytes = Content(minSize == maxSize ? minSize : int(random.bounded(minSize, maxSize)), random);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.constData(), std::size_t(bytes.size())) != bytes.size())
            return false;
        ::close(fd);
        set.paths.append(path);
        set.bytes += bytes.size();
    }
    return true;
}

double RunZip(const QByteArray &archive, const FileSet &set)
{
    ::unlink(archive.constData());
    QStringList arguments = {QStringLiteral("-q"), QString::fromLocal8Bit(archive)};
    for (const QByteArray &path : set.paths)
        arguments.append(QString::fromLocal8Bit(path));
    QElapsedTimer clock;
    clock.start();
    QProcess zip;
    zip.start(QStringLiteral("zip"), arguments);
    if (!zip.waitForFinished(-1) || zip.exitCode() != 0)
        return -1;
    return clock.nsecsElapsed() / 1e9;
}

double RunProgram(const QByteArray &archive, const FileSet &set, const QByteArray &root, CompressFn compress)
{
    ::unlink(archive.constData());
    // What the walk would have listed, gathered before the clock starts.
    CResultStore store;
    for (const QByteArray &path : set.paths) {
        struct statx st {};
        ::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st);
        WalkRecord record;
        record.folder = path.left(path.lastIndexOf('/'));
        record.name = path.mid(path.lastIndexOf('/') + 1);
        // The whole identity, as the walk records it: the step compares it
        // before it stores the file.
        record.identity = FileIdentity::FromStatx(st);
        record.size = record.identity.size;
        record.device = record.identity.device;
        record.inode = record.identity.inode;
        store.AddResult(record);
    }
    int failures = 0;
    CCompressStep step(store, root, archive, compress, [&failures](const QByteArray &) { ++failures; });
    QElapsedTimer clock;
    clock.start();
    for (int i = store.GetCount() - 1; i >= 0; --i) {
        if (!step.Run(i).ok())
            ++failures;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    return failures == 0 ? seconds : -1;
}

// unzip's own count of the entries, to be sure both archives hold every file.
int EntriesOf(const QByteArray &archive)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), QString::fromLocal8Bit(archive)});
    unzip.waitForFinished(-1);
    return int(unzip.readAllStandardOutput().count('\n'));
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString parent = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    // A divisor of the file counts, for a quick run; a cut-down run is not
    // held to the limits, which are for the full sets.
    const int scale = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
    QTemporaryDir dir(parent.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_compress-XXXXXX")
                                       : parent + QStringLiteral("/bench_compress-XXXXXX"));
    if (!dir.isValid())
        return 1;
    const QByteArray root = QFile::encodeName(dir.path());

    CPluginLibrary library;
    if (library.Load({QByteArray(BV_PLUGIN_DIR)}, BV_COMPRESS_LIBRARY_NAME, BV_COMPRESS_ENTRY_NAME) !=
        CPluginLibrary::Status::Loaded) {
        std::fprintf(stderr, "cannot load %s\n", library.GetPath().constData());
        return 1;
    }
    const auto compress = reinterpret_cast<CompressFn>(library.GetEntry());

    FileSet sets[2] = {{"2,000 files, 50 MB", {}, 0}, {"10,000 files of 1 KB", {}, 0}};
    const double limits[2] = {2.0, 3.0};
    // 2,000 files of 1 to 49 KB: about 25 KB each, 50 MB in all.
    if (!MakeSet(root + "/mixed", sets[0], 2000 / scale, 1024, 50 * 1024, 1) ||
        !MakeSet(root + "/small", sets[1], 10000 / scale, 1024, 1024, 2)) {
        std::fprintf(stderr, "cannot make the files in %s\n", root.constData());
        return 1;
    }
    ::sync();

    bool within = true;
    for (int s = 0; s < 2; ++s) {
        const FileSet &set = sets[s];
        const QByteArray zipArchive = root + "/reference.zip";
        const QByteArray ourArchive = root + "/program.zip";
        std::vector<double> zipTimes, ourTimes;
        // A first run of each warms the cache and is not counted.
        RunZip(zipArchive, set);
        RunProgram(ourArchive, set, root, compress);
        for (int r = 0; r < rounds; ++r) {
            zipTimes.push_back(RunZip(zipArchive, set));
            ourTimes.push_back(RunProgram(ourArchive, set, root, compress));
            if (zipTimes.back() < 0 || ourTimes.back() < 0) {
                std::fprintf(stderr, "%s: a run failed\n", set.title);
                return 1;
            }
        }
        const int zipEntries = EntriesOf(zipArchive);
        const int ourEntries = EntriesOf(ourArchive);
        struct stat zs {}, os {};
        ::stat(zipArchive.constData(), &zs);
        ::stat(ourArchive.constData(), &os);
        const double ratio = Median(ourTimes) / Median(zipTimes);
        within = within && (scale > 1 || ratio <= limits[s]) && ourEntries == set.paths.size();
        std::printf("%s (%.1f MB): zip -q %.3f s, one call per file %.3f s, ratio %.2f (limit %.0f); "
                    "entries %d / %d; archive %.2f MB / %.2f MB\n",
                    set.title, set.bytes / 1048576.0, Median(zipTimes), Median(ourTimes), ratio, limits[s],
                    zipEntries, ourEntries, zs.st_size / 1048576.0, os.st_size / 1048576.0);
    }
    std::printf(within ? "within the limits\n" : "OVER A LIMIT\n");
    return within ? 0 : 2;
}
