// The sheet opens at its template size and can be made larger, never
// smaller: the results list and the pattern lists take the new room, the
// controls beside and below them keep their distance to the edges they
// belong to, and the picture column stays as it is.
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"
#include "WizardHarness.h"

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFlatPushButton.h"
#include "controls/CSortArrowHeader.h"
#include "core/ResultColumns.h"
#include "criteria/CLocationPage.h"
#include "res/DialogUnits.h"
#include "results/CResultsPage.h"

#include <QLabel>
#include <QTreeWidget>
#include <QtTest>

namespace {

CWizardPage *RealListPages(int nPage)
{
    if (nPage == PAGE_LOCATION)
        return new CLocationPage;
    if (nPage == PAGE_RESULTS)
        return new CResultsPage;
    return nullptr;
}

// The page's picture: the label that shows an image.
QRect PictureOf(const CWizardPage *page)
{
    for (const QLabel *label : page->findChildren<QLabel *>())
        if (!label->pixmap().isNull())
            return label->geometry();
    return QRect();
}

QRect GeometryOf(const CWizardPage *page, int id)
{
    const QWidget *widget = page->GetDlgItem(id);
    return widget ? widget->geometry() : QRect();
}

} // namespace

class TestResize : public QObject
{
    Q_OBJECT

private slots:
    void sheetOpensSmallestAndNeverShrinks()
    {
        WizardHarness harness(RealListPages);
        QVERIFY(harness.show());
        const QSize smallest = harness.sheet.size();
        QCOMPARE(harness.sheet.minimumSize(), smallest);
        QVERIFY(harness.sheet.maximumWidth() > smallest.width());
        harness.sheet.resize(smallest - QSize(50, 50));
        QCOMPARE(harness.sheet.size(), smallest);
    }

    void patternListGrowsAndItsButtonsFollow()
    {
        WizardHarness harness(RealListPages);
        QVERIFY(harness.show());
        harness.scan.m_bExpress = 0;
        harness.scan.m_bLocation = 1;
        QVERIFY(harness.go(PAGE_LOCATION));
        auto *page = harness.page<CLocationPage>(PAGE_LOCATION);
        const QRect list = page->GetEntryList()->geometry();
        const QRect add = page->GetAddButton()->geometry();
        const QRect picture = PictureOf(page);
        QVERIFY(picture.isValid());
        const QPoint backButton = harness.sheet.GetBackButton().pos();

        harness.sheet.resize(harness.sheet.size() + QSize(200, 120));
        QTRY_COMPARE(page->GetEntryList()->geometry().size(), list.size() + QSize(200, 120));
        QCOMPARE(page->GetEntryList()->geometry().topLeft(), list.topLeft());
        QCOMPARE(page->GetAddButton()->geometry(), add.translated(200, 0));
        QCOMPARE(PictureOf(page), picture);
        // The button row stays at the bottom right.
        QCOMPARE(harness.sheet.GetBackButton().pos(), backButton + QPoint(200, 120));
        // The single column still spans the list.
        QCOMPARE(page->GetEntryList()->header()->sectionSize(0),
                 page->GetEntryList()->viewport()->width());
    }

    void resultsListGrowsAndLocationTakesTheWidth()
    {
        WizardHarness harness(RealListPages);
        QVERIFY(harness.show());
        // An empty drive: the page scans nothing and lists nothing.
        TempDrive drive;
        harness.scan.m_strDrive = QFile::decodeName(drive.root());
        QVERIFY(harness.go(PAGE_RESULTS));
        auto *page = harness.page<CResultsPage>(PAGE_RESULTS);
        QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(*page), 20000);
        CSortArrowHeader *header = page->GetHeader();
        QVERIFY(header);

        // Columns start at their classic widths scaled by the dialog font.
        const double scale = CDialogUnits(page->font()).baseUnits().width() / 6.0;
        QCOMPARE(header->sectionSize(kColumnFile), qRound(100 * scale));
        QCOMPARE(header->sectionSize(kColumnLocation), qRound(120 * scale));
        QCOMPARE(header->sectionSize(kColumnSize), qRound(80 * scale));

        const QRect list = page->GetList()->geometry();
        const QRect del = page->GetDeleteButton()->geometry();
        const QRect eliminate = page->GetEliminateButton()->geometry();
        const QRect freeSpace = GeometryOf(page, IDC_FREE_SPACE_TEXT);
        const QRect selection = GeometryOf(page, IDC_SELECTION_TEXT);
        const QRect picture = PictureOf(page);
        QVERIFY(picture.isValid());
        const int location = header->sectionSize(kColumnLocation);
        const int file = header->sectionSize(kColumnFile);
        const auto hiddenWidth = [&] { return header->length() - page->GetList()->viewport()->width(); };
        const int hidden = hiddenWidth();
        QVERIFY2(hidden > 0, "the smallest list shows every column: nothing left to reveal");

        harness.sheet.resize(harness.sheet.size() + QSize(300, 200));
        QTRY_COMPARE(page->GetList()->geometry(), list.adjusted(0, 0, 300, 200));
        QCOMPARE(page->GetDeleteButton()->geometry(), del.translated(300, 200));
        QCOMPARE(page->GetEliminateButton()->geometry(), eliminate.translated(0, 200));
        QCOMPARE(GeometryOf(page, IDC_FREE_SPACE_TEXT), freeSpace.translated(300, 200));
        QCOMPARE(GeometryOf(page, IDC_SELECTION_TEXT), selection.translated(0, 200));
        QCOMPARE(PictureOf(page), picture);
        // The width gained first shows the columns hidden past the right
        // edge; Location takes the rest.
        QCOMPARE(hiddenWidth(), qMax(0, hidden - 300));
        QCOMPARE(header->sectionSize(kColumnLocation), location + qMax(0, 300 - hidden));
        QCOMPARE(header->sectionSize(kColumnFile), file);
        const QRect protectedLine = GeometryOf(page, IDC_PROTECTED_TEXT);

        // Wide enough for every column: none is hidden, the last one ends at
        // the right edge, and the long lines under the list grow too.
        harness.sheet.resize(harness.sheet.size() + QSize(hidden + 200, 0));
        QTRY_COMPARE(page->GetList()->geometry(), list.adjusted(0, 0, 300 + hidden + 200, 200));
        QCOMPARE(hiddenWidth(), 0);
        QCOMPARE(header->sectionSize(kColumnLocation), location + 500);
        QCOMPARE(GeometryOf(page, IDC_PROTECTED_TEXT).width(), protectedLine.width() + hidden + 200);

        // Back to the smallest: everything where it began.
        harness.sheet.resize(harness.sheet.minimumSize());
        QTRY_COMPARE(page->GetList()->geometry(), list);
        QCOMPARE(header->sectionSize(kColumnLocation), location);
        QCOMPARE(hiddenWidth(), hidden);
    }
};

QTEST_MAIN(TestResize)
#include "tst_resize.moc"
