// Fills the results model with a million made-up files, sorts it by every
// column both ways and removes rows in batches, printing the time and the peak
// memory of each step. A long list sorts on a thread of its
// own: for each sort the time the calling (user-interface) thread was held
// is printed beside the time until the new order was taken, with the CPU
// time of each.
//
//   bench_model [ROWS]

#include "core/CResultsModel.h"
#include "platform/LargeBlocks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <cstdio>
#include <ctime>
#include <malloc.h>
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

// Kilobytes of a line of /proc/self/status: "VmHWM" the peak memory,
// "VmRSS" the memory held now; -1 when unknown.
long MemoryKb(const QByteArray &key = "VmHWM")
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').first().toLong();
    }
    return -1;
}

QByteArray PeakMemory()
{
    return QByteArray::number(qlonglong(MemoryKb())) + " kB";
}

// The peak memory of one step, measured afresh from what was held before it
// (where the kernel lets the peak be reset), and the highest of all steps.
class CStepMemory
{
public:
    void Begin()
    {
        // What the allocator kept of earlier steps would hide this one's needs.
        malloc_trim(0);
        m_nBeforeKb = MemoryKb("VmRSS");
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        m_bReset = clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    }
    QByteArray End()
    {
        if (!m_bReset)
            return "peak not measured";
        const long peak = MemoryKb();
        m_nHighestKb = std::max(m_nHighestKb, peak);
        return "peak " + QByteArray::number(qlonglong(peak)) + " kB = "
            + QByteArray::number(qlonglong(m_nBeforeKb)) + " + " + QByteArray::number(qlonglong(peak - m_nBeforeKb));
    }
    long HighestKb() const { return m_nHighestKb; }

private:
    long m_nBeforeKb = 0;
    long m_nHighestKb = 0;
    bool m_bReset = false;
};

// Sorts and waits for the new order; prints how long this thread was held
// and how long the whole sort took (CPU of every thread).
void TimedSort(CResultsModel &model, int column, Qt::SortOrder order, CStepMemory &memory)
{
    const QByteArray title = model.headerData(column, Qt::Horizontal).toString().toUtf8();
    QEventLoop loop;
    QObject::connect(&model, &CResultsModel::sortFinished, &loop, &QEventLoop::quit);
    memory.Begin();
    QElapsedTimer clock;
    clock.start();
    const double threadCpu = CpuSeconds();
    const double processCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    model.sort(column, order);
    const double held = double(clock.nsecsElapsed()) / 1e9;
    const double heldCpu = CpuSeconds() - threadCpu;
    if (model.IsSorting())
        loop.exec();
    std::printf("sort by %-8s %-10s held %.3f s (cpu %.3f s), sorted in %.3f s (cpu %.3f s), %s\n", title.constData(),
                order == Qt::AscendingOrder ? "ascending" : "descending", held, heldCpu,
                double(clock.nsecsElapsed()) / 1e9, CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processCpu,
                memory.End().constData());
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
    ReturnLargeBlocksWhenFreed(); // as the program does
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
    CStepMemory memory;
    for (int column = 0; column < model.columnCount(); ++column) {
        TimedSort(model, column, Qt::AscendingOrder, memory);
        TimedSort(model, column, Qt::DescendingOrder, memory);
    }
    std::printf("highest peak memory while sorting: %ld kB\n", memory.HighestKb());

    for (const bool check : {false, true}) {
        memory.Begin();
        const double cpu = CpuSeconds();
        timer.restart();
        const int changed = model.SetCheckByReason(0, check);
        std::printf("%s by reason (%d files): %.3f s (cpu %.3f s), %s\n", check ? "check" : "uncheck", changed,
                    Seconds(timer), CpuSeconds() - cpu, memory.End().constData());
    }

    std::vector<int> half;
    for (int row = 0; row < model.rowCount(); row += 2)
        half.push_back(row);
    memory.Begin();
    timer.restart();
    model.RemoveRowList(half);
    std::printf("remove every other row (%zu): %.3f s, %s\n", half.size(), Seconds(timer), memory.End().constData());

    std::vector<int> all;
    for (int row = 0; row < model.rowCount(); ++row)
        all.push_back(row);
    memory.Begin();
    timer.restart();
    model.RemoveRowList(all);
    std::printf("remove all remaining rows (%zu): %.3f s, selected %d files, %s\n", all.size(), Seconds(timer),
                model.GetStore().GetSelectedCount(), memory.End().constData());

    timer.restart();
    model.Clear();
    std::printf("clear: %.3f s, memory held after %ld kB\n", Seconds(timer), MemoryKb("VmRSS"));
    return 0;
}
