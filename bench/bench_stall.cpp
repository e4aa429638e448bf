// Drives the real results page offscreen and prints, for each thing a user
// does, the longest time the window went without a turn of its event loop
// (no click, key or repaint could be handled meanwhile): the scan, a sort by
// each column both ways, unchecking and checking by reason, opening the
// list's context menu, Eliminate of every row, Restart, and Delete of the
// checked files of a folder of its own making. Targets: no gap over 100 ms,
// none over 50 ms during the scan.
//
//   bench_stall DIR [--delete N] [--verbose] [--cold] [--express]
//
// --verbose also prints every gap over 50 ms, with when in the operation it
// began. --cold drops the page cache just before the scan (as root only:
// otherwise it says so and the scan runs warm) and reads back the files
// the program has mapped, so that the scan's figure is one of a tree the
// disk has to read.
// DIR is scanned with every file listed (make it with bench/gen_tree.py
// --million), or with --express by the Express rules, which look at a file
// only when its name can match (fewer rows for the steps after the scan). Delete runs on N files (100,000 unless given) that this
// program makes in a temporary folder and scans as a drive of their own, so
// DIR is only ever read. A heartbeat timer firing every millisecond marks
// each turn of the loop; the gap is the longest time between two beats.
// BV_PROTECT=0 scans without protection, as for bench_scan.
#include "controls/CSortArrowHeader.h"
#include "core/CDeleteStep.h"
#include "core/CFileScan.h"
#include "core/CResultsModel.h"
#include "core/ResultColumns.h"
#include "results/CActionRun.h"
#include "results/CResultsMenu.h"
#include "results/CResultsPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Beats once per turn of the event loop (at most every millisecond) and
// keeps the longest gap since the last Reset.
class CHeartbeat
{
public:
    CHeartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Beat(); });
        m_clock.start();
        m_timer.start();
    }
    void Reset()
    {
        m_nLast = m_nStart = m_clock.nsecsElapsed();
        m_nLongest = 0;
    }
    // Prints every gap over 50 ms as it ends, with when it began.
    void SetVerbose(bool bVerbose) { m_bVerbose = bVerbose; }
    double LongestMs() const { return double(m_nLongest) / 1e6; }

private:
    void Beat()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_nLongest = std::max(m_nLongest, now - m_nLast);
        if (m_bVerbose && now - m_nLast > 50000000)
            std::printf("    gap of %.0f ms from %.3f s\n", double(now - m_nLast) / 1e6, double(m_nLast - m_nStart) / 1e9);
        m_nLast = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_nStart = 0;
    qint64 m_nLast = 0;
    qint64 m_nLongest = 0;
    bool m_bVerbose = false;
};

// CPU seconds of this thread: on a loaded machine the wall clock also counts
// the time other programs had the processor.
double CpuSeconds(clockid_t clock = CLOCK_THREAD_CPUTIME_ID)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// What the kernel did to the loop's thread: the time it spent there (page
// faults, reclaiming memory), the faults, and how often it took the
// processor away for another program. A long gap with little CPU and many
// preemptions is the machine's load, not the program.
struct KernelShare
{
    double sys = 0;
    long faults = 0;
    long preempted = 0;

    static KernelShare Now()
    {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return {double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6,
                usage.ru_minflt + usage.ru_majflt, usage.ru_nivcsw};
    }
    KernelShare Since(const KernelShare &before) const
    {
        return {sys - before.sys, faults - before.faults, preempted - before.preempted};
    }
};

// Runs `operation` from the event loop, as a click would, waits while
// `busy` says the work goes on elsewhere (a sort on its own thread), then
// lets the loop run on for a while so that what the operation left to do
// later (a relayout, a repaint) is measured with it. Prints the longest gap,
// the time the operation held the loop, and the CPU time of the loop's
// thread and of the whole process until the work was done.
double Measure(CHeartbeat &beat, const char *label, const std::function<void()> &operation, double &worst,
               const std::function<bool()> &busy = {})
{
    QEventLoop loop;
    double held = 0;
    double cpu = 0;
    double allCpu = 0;
    double done = 0;
    KernelShare kernel;
    QElapsedTimer clock;
    beat.Reset();
    QTimer::singleShot(0, &loop, [&] {
        clock.start();
        const double cpuBefore = CpuSeconds();
        const double allBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const KernelShare kernelBefore = KernelShare::Now();
        operation();
        held = double(clock.nsecsElapsed()) / 1e9;
        cpu = CpuSeconds() - cpuBefore;
        auto *poll = new QTimer(&loop);
        QObject::connect(poll, &QTimer::timeout, &loop, [&, poll, allBefore, kernelBefore] {
            if (busy && busy())
                return;
            poll->stop();
            done = double(clock.nsecsElapsed()) / 1e9;
            allCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - allBefore;
            kernel = KernelShare::Now().Since(kernelBefore);
            QTimer::singleShot(300, &loop, &QEventLoop::quit);
        });
        poll->start(5);
    });
    loop.exec();
    const double gap = beat.LongestMs();
    worst = std::max(worst, gap);
    std::printf("%-30s longest gap %7.1f ms   (held %.3f s, cpu %.3f s; done in %.3f s, cpu of all threads %.3f s; "
                "loop thread until done: sys %.3f s, %ld faults, %ld preemptions)\n",
                label, gap, held, cpu, done, allCpu, kernel.sys, kernel.faults, kernel.preempted);
    std::fflush(stdout);
    return gap;
}

// `count` empty files in folders of 1,000 below `root`.
bool MakeFiles(const QByteArray &root, int count)
{
    QByteArray folder;
    for (int i = 0; i < count; ++i) {
        if (i % 1000 == 0) {
            folder = root + "/d" + QByteArray::number(i / 1000);
            if (::mkdir(folder.constData(), 0755) != 0)
                return false;
        }
        const QByteArray path = folder + "/f" + QByteArray::number(i) + ".tmp";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

// Reads back every file this program has mapped (itself, its libraries, its
// fonts), so that a cold scan's figure is that of a tree the disk has to
// read, not of the program's own code coming back from disk page by page
// at its first use after the drop (70-150 ms at the start of one cold scan
// in three).
void RereadMappedFiles()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    QSet<QByteArray> seen;
    std::vector<char> buffer(1 << 16);
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype at = line.indexOf(" /");
        const QByteArray path = at < 0 ? QByteArray() : line.mid(at + 1);
        if (path.isEmpty() || seen.contains(path))
            continue;
        seen.insert(path);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    }
}

// Writes what is dirty and drops the page cache, dentries and inodes, then
// reads the program's own files back; false when this process may not.
bool DropCaches()
{
    ::sync();
    QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
    if (!drop.open(QIODevice::WriteOnly) || drop.write("3\n") != 2 || !drop.flush())
        return false;
    RereadMappedFiles();
    return true;
}

void ListEveryFile(CFileScan &scan, const QByteArray &drive)
{
    scan.m_strDrive = QFile::decodeName(drive);
    scan.m_bExpress = 0;
    scan.m_bSize = 1;
    scan.m_nSizeMode = 2; // larger than 0 KB: every file
    scan.m_nSizeFrom = 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [--delete N] [--verbose] [--cold] [--express]\n", argv[0]);
        return 2;
    }
    int deleteCount = 100000;
    bool verbose = false;
    bool cold = false;
    bool express = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--delete") == 0 && i + 1 < argc)
            deleteCount = std::max(1, std::atoi(argv[i + 1]));
        verbose = verbose || std::strcmp(argv[i], "--verbose") == 0;
        cold = cold || std::strcmp(argv[i], "--cold") == 0;
        express = express || std::strcmp(argv[i], "--express") == 0;
    }

    CFileScan scan;
    CResultsPage page;
    page.SetScan(&scan);
    if (qEnvironmentVariableIsSet("BV_PROTECT") && qEnvironmentVariableIntValue("BV_PROTECT") == 0)
        page.SetProtectionFactory({});
    page.EnsureInitialized();
    page.resize(900, 600);
    page.show();
    QCoreApplication::processEvents();

    CHeartbeat beat;
    beat.SetVerbose(verbose);
    double worst = 0;
    double worstScan = 0;
    const QByteArray drive(argv[1]);
    if (express)
        scan.m_strDrive = QFile::decodeName(drive);
    else
        ListEveryFile(scan, drive);
    if (cold && !DropCaches()) {
        std::printf("(cannot drop the page cache: not root? the scan runs warm)\n");
        cold = false;
    }
    worstScan = Measure(beat, cold ? "scan (cold cache)" : "scan", [&] { page.StartScan(); }, worst);
    const int rows = page.GetModel()->rowCount();
    std::printf("(%d files listed)\n", rows);

    CSortArrowHeader *header = page.GetHeader();
    for (int column = 0; column < kColumnCount; ++column) {
        const QByteArray title = page.GetModel()->headerData(column, Qt::Horizontal).toString().toUtf8();
        header->SetSortColumn(-1, true);
        const QByteArray up = "sort by " + title + " ascending";
        const QByteArray down = "sort by " + title + " descending";
        const auto sorting = [&] { return page.GetModel()->IsSorting(); };
        Measure(beat, up.constData(), [&] { header->SortByColumn(column); }, worst, sorting);
        Measure(beat, down.constData(), [&] { header->SortByColumn(column); }, worst, sorting);
    }
    if (rows > 0) {
        Measure(beat, "uncheck by reason", [&] { CResultsMenu::CheckReason(*page.GetModel(), 0, false); }, worst);
        Measure(beat, "check by reason", [&] { CResultsMenu::CheckReason(*page.GetModel(), 0, true); }, worst);
        Measure(beat, "context menu of a row", [&] { delete page.CreateListMenu(0); }, worst);
    }
    Measure(beat, "Eliminate all", [&] { page.OnEliminate(); }, worst);
    Measure(beat, "Restart", [&] { page.OnRestart(); }, worst);

    // Delete runs on files of our own, never on DIR.
    QTemporaryDir own;
    const QByteArray ownRoot = QFile::encodeName(own.path());
    if (!own.isValid() || !MakeFiles(ownRoot, deleteCount)) {
        std::fprintf(stderr, "cannot make %d files to delete\n", deleteCount);
        return 1;
    }
    ListEveryFile(scan, ownRoot);
    Measure(beat, "scan of the files to delete", [&] { page.StartScan(); }, worst);
    const int listed = page.GetModel()->rowCount();
    Measure(beat, "Delete", [&] {
        CDeleteStep step(page.GetModel()->GetStore(), ownRoot);
        CActionRun(page).Run(step);
    }, worst);
    std::printf("(%d files listed, %d left after Delete)\n", listed, page.GetModel()->rowCount());
    std::printf("longest gap: %.1f ms overall (target 100), %.1f ms during the scan (target 50)\n", worst,
                worstScan);
    return 0;
}
