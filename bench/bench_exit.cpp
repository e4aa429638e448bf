// Times what leaving costs after a big scan: a results page showing a
// million listed files is destroyed (list, model, store, icon cache), as the
// wizard's end destroys it. Prints the seconds the destruction takes and the
// seconds the filling took, for scale.
//
//   bench_exit [ROWS]

#include "core/CFileScan.h"
#include "core/CResultsModel.h"
#include "platform/WalkRecord.h"
#include "results/CResultsPage.h"
#include "core/MatchReason.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;

    CFileScan scan;
    auto *page = new CResultsPage;
    page->SetScan(&scan);
    page->EnsureInitialized();
    page->resize(900, 600);
    page->show();

    QElapsedTimer timer;
    timer.start();
    WalkRecord record;
    const MatchReason why;
    for (int i = 0; i < rows; ++i) {
        record.folder = "/data/folder" + QByteArray::number(i / 10);
        record.name = "file" + QByteArray::number(i) + ".tmp";
        record.size = i;
        record.allocatedBytes = 4096;
        record.inode = ino_t(i + 1);
        page->AddMatch({record, why});
    }
    page->RefreshWhileBusy(true);
    QCoreApplication::processEvents();
    const double fill = double(timer.nsecsElapsed()) / 1e9;

    timer.restart();
    delete page;
    const double destroy = double(timer.nsecsElapsed()) / 1e9;
    std::printf("rows %d  fill %.3f s  destroy %.3f s\n", rows, fill, destroy);
    return 0;
}
