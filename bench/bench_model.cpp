// Fills the results model with a million made-up files, sorts it by every
// column both ways and removes rows in batches, printing the time of each step
// and the peak memory of the process. A long list sorts on a thread of its
// own: for each sort the time the calling (user-interface) thread was held
// is printed beside the time until the new order was taken, with the CPU
// time of each.
//
//   bench_model [ROWS]

#include "core/CResultsModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <cstdio>
#include <ctime>
#include <random>

namespace {

double Seconds(QElapsedTimer &timer)
{
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    return seconds;
}

// CPU seconds of this thread: on a loaded machine the wall clock also counts
// the time other programs had the processor.
double CpuSeconds(clockid_t clock = CLOCK_THREAD_CPUTIME_ID)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Sorts and waits for the new order; prints how long this thread was held
// and how long the whole sort took (CPU of every thread).
void TimedSort(CResultsModel &model, int column, Qt::SortOrder order)
{
    const QByteArray title = model.headerData(column, Qt::Horizontal).toString().toUtf8();
    QEventLoop loop;
    QObject::connect(&model, &CResultsModel::sortFinished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    const double threadCpu = CpuSeconds();
    const double processCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    model.sort(column, order);
    const double held = double(clock.nsecsElapsed()) / 1e9;
    const double heldCpu = CpuSeconds() - threadCpu;
    if (model.IsSorting())
        loop.exec();
    std::printf("sort by %-8s %-10s held %.3f s (cpu %.3f s), sorted in %.3f s (cpu %.3f s)\n", title.constData(),
                order == Qt::AscendingOrder ? "ascending" : "descending", held, heldCpu,
                double(clock.nsecsElapsed()) / 1e9, CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processCpu);
}

QByteArray PeakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed();
    }
    return "?";
}

QByteArray MakeName(std::mt19937_64 &random, int low, int high)
{
    static const char *const words[] = {"report", "Draft", "final", "Photo", "data", "NOTES", "project",
                                        "music", "setup", "archive", "build", "old", "copy", "x86"};
    std::uniform_int_distribution<int> length(low, high);
    std::uniform_int_distribution<int> word(0, int(std::size(words)) - 1);
    const int wanted = length(random);
    QByteArray name;
    while (name.size() < wanted)
        name += QByteArray(words[word(random)]) + (random() % 3 ? " " : "_");
    name.truncate(wanted);
    static const char *const extensions[] = {".txt", ".jpg", ".tmp", ".log", ".bak", ".cpp", ".o", ".pdf"};
    return name + extensions[random() % std::size(extensions)];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    std::mt19937_64 random(42);

    std::vector<QByteArray> folders;
    for (int f = 0; f < rows / 10 + 1; ++f)
        folders.push_back("/mnt/data/" + MakeName(random, 5, 20) + '/' + MakeName(random, 5, 20));

    CResultsModel model;
    QElapsedTimer timer;
    timer.start();
    WalkRecord record;
    std::lognormal_distribution<double> size(8.5, 2.6);
    std::uniform_int_distribution<std::int64_t> time(1400000000, 1700000000);
    for (int i = 0; i < rows; ++i) {
        record.folder = folders[std::size_t(i / 10)];
        record.name = MakeName(random, 5, 40);
        record.size = std::int64_t(size(random));
        record.creationTime = time(random);
        record.modifiedTime = time(random);
        record.accessedTime = time(random);
        record.device = 2049;
        record.inode = ino_t(i + 12);
        record.allocatedBytes = (record.size + 4095) / 4096 * 4096;
        // The whole identity, as the walk gives it: the shown values derive from it.
        record.identity.device = record.device;
        record.identity.inode = record.inode;
        record.identity.type = 0100000;
        record.identity.size = record.size;
        record.identity.modifiedNs = record.modifiedTime * 1000000000 + i % 1000000000;
        record.identity.hasBirth = true;
        record.identity.birthNs = record.creationTime * 1000000000;
        model.AddResult(record);
    }
    model.FlushPendingRows();
    std::printf("add %d rows: %.3f s (peak memory %s)\n", model.rowCount(), Seconds(timer), PeakMemory().constData());

    // Column titles come from the model, so a column added later is timed too.
    for (int column = 0; column < model.columnCount(); ++column) {
        TimedSort(model, column, Qt::AscendingOrder);
        TimedSort(model, column, Qt::DescendingOrder);
    }
    std::printf("peak memory after sorting: %s\n", PeakMemory().constData());

    for (const bool check : {false, true}) {
        const double cpu = CpuSeconds();
        timer.restart();
        const int changed = model.SetCheckByReason(0, check);
        std::printf("%s by reason (%d files): %.3f s (cpu %.3f s)\n", check ? "check" : "uncheck", changed,
                    Seconds(timer), CpuSeconds() - cpu);
    }

    timer.restart();
    std::vector<int> half;
    for (int row = 0; row < model.rowCount(); row += 2)
        half.push_back(row);
    model.RemoveRowList(half);
    std::printf("remove every other row (%zu): %.3f s\n", half.size(), Seconds(timer));

    std::vector<int> all;
    for (int row = 0; row < model.rowCount(); ++row)
        all.push_back(row);
    model.RemoveRowList(all);
    std::printf("remove all remaining rows (%zu): %.3f s, selected %d files\n", all.size(), Seconds(timer),
                model.GetStore().GetSelectedCount());

    model.Clear();
    std::printf("clear: %.3f s, peak memory %s\n", Seconds(timer), PeakMemory().constData());
    return 0;
}
