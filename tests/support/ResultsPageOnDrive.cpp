#include "ResultsPageOnDrive.h"

#include "core/CFileScan.h"
#include "results/CResultsPage.h"

#include <QFile>
#include <QTest>

std::unique_ptr<CResultsPage> ShowResultsPage(CFileScan &scan, const QByteArray &driveRoot)
{
    scan.m_strDrive = QFile::decodeName(driveRoot);
    auto page = std::make_unique<CResultsPage>();
    page->SetScan(&scan);
    // The files a test has just made are old work, not live work, unless
    // the test sets a clock of its own.
    page->SetNow(kOldWorkNow);
    page->EnsureInitialized();
    page->show();
    return page;
}

bool ScanEnded(CResultsPage &page)
{
    return page.GetScanTimerId() == 0 && !page.IsScanning();
}

bool ScanToEnd(CResultsPage &page)
{
    page.OnSetActive();
    return QTest::qWaitFor([&page] { return ScanEnded(page); }, 20000);
}
