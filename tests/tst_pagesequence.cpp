#include <QtTest>

#include "core/CFileScan.h"
#include "core/PageSequence.h"

namespace {

// Bit i of `flags` switches on the criterion of page 3 + i.
CFileScan customScan(int flags)
{
    CFileScan scan;
    scan.m_bExpress = 0;
    int *const criteria[] = {&scan.m_bLocation, &scan.m_bName,     &scan.m_bExtension, &scan.m_bSize,
                             &scan.m_bCreation, &scan.m_bModified, &scan.m_bAccessed};
    for (int i = 0; i < 7; ++i)
        *criteria[i] = (flags >> i) & 1;
    return scan;
}

} // namespace

class TestPageSequence : public QObject
{
    Q_OBJECT

private slots:
    void customVisitsSelectedPagesInOrder_data()
    {
        QTest::addColumn<int>("flags");
        for (int flags = 0; flags < 128; ++flags)
            QTest::addRow("flags %02x", flags) << flags;
    }

    // From the drive page Next walks the selected pages upwards to the
    // results; Back from each of them walks the same path downwards.
    void customVisitsSelectedPagesInOrder()
    {
        QFETCH(int, flags);
        const CFileScan scan = customScan(flags);

        QList<int> expected;
        for (int page = PAGE_LOCATION; page <= PAGE_ACCESSED; ++page) {
            if (flags & (1 << (page - PAGE_LOCATION)))
                expected << page;
        }
        expected << PAGE_RESULTS;

        QList<int> forward;
        for (int page = PAGE_DRIVE; page != PAGE_RESULTS && forward.size() < 20;) {
            page = NextPage(scan, page);
            forward << page;
        }
        QCOMPARE(forward, expected);

        int previous = PAGE_DRIVE;
        for (int page : forward) {
            if (page != PAGE_RESULTS)
                QCOMPARE(BackPage(scan, page), previous);
            previous = page;
        }
        QCOMPARE(BackPage(scan, PAGE_DRIVE), int(PAGE_CRITERIA));
        QCOMPARE(BackPage(scan, PAGE_CRITERIA), int(PAGE_METHOD));
    }

    // Express goes method, drive, results, whatever criteria are left on.
    void expressIgnoresCriteria()
    {
        CFileScan scan = customScan(0x7f);
        scan.m_bExpress = 1;
        QCOMPARE(NextPage(scan, PAGE_METHOD), int(PAGE_DRIVE));
        QCOMPARE(NextPage(scan, PAGE_DRIVE), int(PAGE_RESULTS));
        QCOMPARE(BackPage(scan, PAGE_DRIVE), int(PAGE_METHOD));

        scan.m_bExpress = 0;
        QCOMPARE(NextPage(scan, PAGE_METHOD), int(PAGE_CRITERIA));
        QCOMPARE(NextPage(scan, PAGE_CRITERIA), int(PAGE_DRIVE));
        QCOMPARE(NextPage(scan, PAGE_DRIVE), int(PAGE_LOCATION));
    }

    // The ends: Restart leads to the method page, and neither the method
    // page nor the results page leads anywhere backwards.
    void endsOfTheSequence()
    {
        const CFileScan scan = customScan(0x7f);
        QCOMPARE(NextPage(scan, PAGE_RESULTS), int(PAGE_METHOD));
        QCOMPARE(BackPage(scan, PAGE_METHOD), int(PAGE_METHOD));
        QCOMPARE(BackPage(scan, PAGE_RESULTS), int(PAGE_RESULTS));
        // Any flag value other than 0 counts as on.
        CFileScan odd = customScan(0);
        odd.m_bSize = -5;
        QCOMPARE(NextPage(odd, PAGE_DRIVE), int(PAGE_SIZE));
        QCOMPARE(BackPage(odd, PAGE_RESULTS), int(PAGE_RESULTS));
        QCOMPARE(NextPage(odd, PAGE_SIZE), int(PAGE_RESULTS));
    }

    // A criterion page reached while its own flag is off (the flags changed
    // behind it) still leads to its neighbours by the flags.
    void unselectedPageStillLeadsOn()
    {
        const CFileScan scan = customScan(1 << (PAGE_NAME - PAGE_LOCATION));
        QCOMPARE(NextPage(scan, PAGE_LOCATION), int(PAGE_NAME));
        QCOMPARE(BackPage(scan, PAGE_EXTENSION), int(PAGE_NAME));
        QCOMPARE(BackPage(scan, PAGE_LOCATION), int(PAGE_DRIVE));
        QCOMPARE(NextPage(scan, PAGE_ACCESSED), int(PAGE_RESULTS));
        QVERIFY(!IsCriterionPageSelected(scan, PAGE_DRIVE));
        QVERIFY(!IsCriterionPageSelected(scan, PAGE_RESULTS));
    }
};

QTEST_MAIN(TestPageSequence)
#include "tst_pagesequence.moc"
