// Runs the real scan of the results page on a folder taken as the drive,
// offscreen: the descriptor walk, the matching, the progress window, the
// results model and the list all take part. Prints the scan's time.
//
//   bench_scan DIR [--all] [--ops]
//
// --all lists every file (a Custom search for files of at least 0 KB) instead
//       of the Express rules, to fill the list with the whole tree.
// --ops also times, on the filled list: a sort by each column both ways,
//       Restart, a second scan, and Eliminate of every row; and prints the
//       peak resident memory of the process.
//
// BRIMVALE_READERS sets the walk's reader threads, as for the program.
// BV_PROTECT=0 scans without protecting any file (this machine's package
// lists, open files and protected folders are applied otherwise, as the
// program does); BV_LINUX_RULES=0 protects without the rules for locks,
// backups, desktop sessions, removability and live work.
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CSortArrowHeader.h"
#include "core/CFileScan.h"
#include "core/CProtection.h"
#include "core/CResultsModel.h"
#include "core/SizeText.h"
#include "results/CResultsPage.h"
#include "core/ResultColumns.h"
#include "core/CEventPump.h"
#include "platform/LargeBlocks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

long PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// CPU seconds, user and system, of the whole process or of the calling thread.
double CpuSeconds(int who)
{
    struct rusage usage;
    if (::getrusage(who, &usage) != 0)
        return 0;
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char **argv)
{
    ReturnLargeBlocksWhenFreed(); // as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [--all] [--ops]\n", argv[0]);
        return 2;
    }
    // BV_PUMP_MS changes how often events are pumped, to see what pumping costs.
    if (qEnvironmentVariableIsSet("BV_PUMP_MS"))
        CEventPump::SetDefaultInterval(qEnvironmentVariableIntValue("BV_PUMP_MS"));
    bool all = false;
    bool ops = false;
    for (int i = 2; i < argc; ++i) {
        all = all || std::strcmp(argv[i], "--all") == 0;
        ops = ops || std::strcmp(argv[i], "--ops") == 0;
    }

    CFileScan scan;
    const auto setUp = [&] {
        scan.m_strDrive = QFile::decodeName(QByteArray(argv[1]));
        if (all) {
            scan.m_bExpress = 0;
            scan.m_bSize = 1;
            scan.m_nSizeMode = 2; // larger than 0 KB: every file
            scan.m_nSizeFrom = 0;
        }
    };
    setUp();
    CResultsPage page;
    page.SetScan(&scan);
    const bool protect = !qEnvironmentVariableIsSet("BV_PROTECT") || qEnvironmentVariableIntValue("BV_PROTECT") != 0;
    // BV_LINUX_RULES=0 keeps protection on but without the rules for locks,
    // backups, desktop sessions, removability and live work, to measure what
    // they cost.
    const bool linuxRules =
        !qEnvironmentVariableIsSet("BV_LINUX_RULES") || qEnvironmentVariableIntValue("BV_LINUX_RULES") != 0;
    if (!protect) {
        page.SetProtectionFactory({});
    } else if (!linuxRules) {
        page.SetProtectionFactory([](const QByteArray &drive) {
            std::unique_ptr<CProtection> protection = CProtection::ForDrive(drive);
            protection->SetLinuxRules(false);
            return protection;
        });
    }
    page.EnsureInitialized();
    page.resize(900, 600);
    page.show();
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    const double processCpu = CpuSeconds(RUSAGE_SELF);
    const double threadCpu = CpuSeconds(RUSAGE_THREAD);
    timer.start();
    page.StartScan();
    const double scanSeconds = Seconds(timer);
    const int rows = page.GetModel()->rowCount();
    std::printf("scan: %.3f s, %d files listed, selected %s, protection %s\n", scanSeconds, rows,
                qPrintable(FormatSize(page.GetSelectedBytes())), protect ? "on" : "off");
    // On a busy machine the CPU times are the steadier guide: all threads,
    // and the walking thread alone (the scan can end no sooner than it).
    std::printf("scan cpu: %.3f s in all threads, %.3f s on the walking thread\n", CpuSeconds(RUSAGE_SELF) - processCpu,
                CpuSeconds(RUSAGE_THREAD) - threadCpu);
    std::printf("peak resident memory after the scan: %.1f MB\n", double(PeakResidentKb()) / 1024.0);
    if (!ops)
        return 0;

    CSortArrowHeader *header = page.GetHeader();
    for (int column = 0; column < kColumnCount; ++column) {
        header->SetSortColumn(-1, true);
        timer.restart();
        header->SortByColumn(column);
        QCoreApplication::processEvents();
        const double ascending = Seconds(timer);
        timer.restart();
        header->SortByColumn(column);
        QCoreApplication::processEvents();
        std::printf("sort column %d: ascending %.3f s, descending %.3f s\n", column, ascending, Seconds(timer));
    }

    timer.restart();
    page.OnRestart();
    QCoreApplication::processEvents();
    std::printf("restart: %.3f s (%d rows left)\n", Seconds(timer), page.GetModel()->rowCount());

    setUp(); // Restart put the criteria back to their defaults
    page.StartScan();
    timer.restart();
    page.OnEliminate();
    QCoreApplication::processEvents();
    std::printf("eliminate all: %.3f s (%d rows left)\n", Seconds(timer), page.GetModel()->rowCount());
    std::printf("peak resident memory: %.1f MB\n", double(PeakResidentKb()) / 1024.0);
    return 0;
}
