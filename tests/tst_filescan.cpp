#include <QtTest>

#include "core/CFileScan.h"
#include "platform/CTime.h"

namespace {

CFileScan::Clock FixedClock(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    const CTime now(year, month, day, hour, minute, second);
    return [now] { return now; };
}

// Member-by-member comparison with a readable first difference.
QString FirstDifference(const CFileScan &a, const CFileScan &b)
{
#define BV_SAME(member) \
    if (!(a.member == b.member)) \
        return QStringLiteral(#member);
    BV_SAME(m_bExpress) BV_SAME(m_bLocation) BV_SAME(m_bName) BV_SAME(m_bExtension)
    BV_SAME(m_bSize) BV_SAME(m_bCreation) BV_SAME(m_bModified) BV_SAME(m_bAccessed)
    BV_SAME(m_nDrive) BV_SAME(m_nSizeMode) BV_SAME(m_nCreationMode) BV_SAME(m_nModifiedMode)
    BV_SAME(m_nAccessedMode) BV_SAME(m_strDrive) BV_SAME(m_arrLocations) BV_SAME(m_arrNames)
    BV_SAME(m_arrExtensions) BV_SAME(m_nSizeFrom) BV_SAME(m_nSizeTo)
    BV_SAME(m_timeCreationFrom) BV_SAME(m_timeCreationTo) BV_SAME(m_timeModifiedFrom)
    BV_SAME(m_timeModifiedTo) BV_SAME(m_timeAccessedFrom) BV_SAME(m_timeAccessedTo)
#undef BV_SAME
    return QString();
}

void ExpectFields(CTime t, int year, int month, int day, int hour, int minute, int second)
{
    QCOMPARE(t.GetYear(), year);
    QCOMPARE(t.GetMonth(), month);
    QCOMPARE(t.GetDay(), day);
    QCOMPARE(t.GetHour(), hour);
    QCOMPARE(t.GetMinute(), minute);
    QCOMPARE(t.GetSecond(), second);
}

} // namespace

class TestFileScan : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // A zone with daylight saving, so that dates on either side of a
        // change are built as local midnight and not shifted by an hour.
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
    }

    void defaults()
    {
        const CFileScan scan(FixedClock(2024, 6, 15));
        QCOMPARE(scan.m_bExpress, 1);
        for (int flag : {scan.m_bLocation, scan.m_bName, scan.m_bExtension, scan.m_bSize,
                         scan.m_bCreation, scan.m_bModified, scan.m_bAccessed})
            QCOMPARE(flag, 0);
        QCOMPARE(scan.m_nDrive, 0);
        QCOMPARE(scan.m_nSizeMode, 2);
        QCOMPARE(scan.m_nCreationMode, 0);
        QCOMPARE(scan.m_nModifiedMode, 0);
        QCOMPARE(scan.m_nAccessedMode, 0);
        QCOMPARE(scan.m_strDrive, QStringLiteral("/"));
        QCOMPARE(scan.m_arrLocations, QStringList({"Temp", "Tmp", "Cache", "Debug", "Release"}));
        QCOMPARE(scan.m_arrNames, QStringList({"*"}));
        QCOMPARE(scan.m_arrExtensions,
                 QStringList({"aps", "bak", "bsc", "ilk", "log", "ncb", "old", "obj", "pch", "rws",
                              "sbr", "tmp", "$$$"}));
        QCOMPARE(scan.m_nSizeFrom, 1024L);
        QCOMPARE(scan.m_nSizeTo, 20000L);
    }

    void defaultDates_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QDate>("yearBefore");
        QTest::newRow("ordinary day") << QDate(2024, 6, 15) << QTime(12, 0) << QDate(2023, 6, 15);
        QTest::newRow("leap day") << QDate(2024, 2, 29) << QTime(9, 30) << QDate(2023, 3, 1);
        QTest::newRow("first second of the year") << QDate(2025, 1, 1) << QTime(0, 0) << QDate(2024, 1, 1);
        QTest::newRow("last second of the year") << QDate(2024, 12, 31) << QTime(23, 59, 59) << QDate(2023, 12, 31);
        QTest::newRow("daylight saving starts") << QDate(2024, 3, 31) << QTime(4, 0) << QDate(2023, 3, 31);
        QTest::newRow("beyond 2038") << QDate(2040, 8, 1) << QTime(8, 0) << QDate(2039, 8, 1);
    }
    void defaultDates()
    {
        QFETCH(QDate, today);
        QFETCH(QTime, now);
        QFETCH(QDate, yearBefore);
        const CFileScan scan(FixedClock(today.year(), today.month(), today.day(), now.hour(),
                                        now.minute(), now.second()));
        for (const CTime &to : {scan.m_timeCreationTo, scan.m_timeModifiedTo, scan.m_timeAccessedTo})
            ExpectFields(to, today.year(), today.month(), today.day(), 23, 59, 59);
        for (const CTime &from :
             {scan.m_timeCreationFrom, scan.m_timeModifiedFrom, scan.m_timeAccessedFrom})
            ExpectFields(from, yearBefore.year(), yearBefore.month(), yearBefore.day(), 0, 0, 0);
    }

    void resetRestoresEveryMember()
    {
        CFileScan scan(FixedClock(2024, 6, 15));
        const CFileScan fresh(FixedClock(2024, 6, 15));
        scan.m_bExpress = 0;
        scan.m_bLocation = scan.m_bName = scan.m_bExtension = scan.m_bSize = 1;
        scan.m_bCreation = scan.m_bModified = scan.m_bAccessed = 1;
        scan.m_nDrive = 3;
        scan.m_nSizeMode = 0;
        scan.m_nCreationMode = 1;
        scan.m_nModifiedMode = 2;
        scan.m_nAccessedMode = 1;
        scan.m_strDrive = QStringLiteral("/home");
        scan.m_arrLocations = {QStringLiteral("x")};
        scan.m_arrNames.clear();
        scan.m_arrExtensions.removeFirst();
        scan.m_arrExtensions.append(QStringLiteral("zip"));
        scan.m_nSizeFrom = 1;
        scan.m_nSizeTo = 2;
        scan.m_timeCreationFrom = scan.m_timeCreationTo = CTime(5);
        scan.m_timeModifiedFrom = scan.m_timeModifiedTo = CTime(6);
        scan.m_timeAccessedFrom = scan.m_timeAccessedTo = CTime(7);
        QVERIFY(!FirstDifference(scan, fresh).isEmpty());

        scan.Reset();
        QCOMPARE(FirstDifference(scan, fresh), QString());
    }

    void resetTakesTheDatesOfTheDayItRuns()
    {
        int day = 10;
        CFileScan scan([&day] { return CTime(2024, 6, day, 12, 0, 0); });
        ExpectFields(scan.m_timeModifiedTo, 2024, 6, 10, 23, 59, 59);
        day = 11;
        scan.Reset();
        ExpectFields(scan.m_timeModifiedTo, 2024, 6, 11, 23, 59, 59);
        ExpectFields(scan.m_timeAccessedFrom, 2023, 6, 11, 0, 0, 0);

        // A copy keeps asking the same clock.
        CFileScan copy = scan;
        day = 12;
        copy.Reset();
        ExpectFields(copy.m_timeCreationTo, 2024, 6, 12, 23, 59, 59);
    }

    void defaultClockIsToday()
    {
        const QDate before = QDate::currentDate();
        const CFileScan scan;
        const QDate after = QDate::currentDate();
        if (before != after)
            QSKIP("the day changed while the record was built");
        ExpectFields(scan.m_timeCreationTo, before.year(), before.month(), before.day(), 23, 59, 59);
    }

    void timeValuesBeyond32Bits()
    {
        const CTime early(1969, 7, 20, 20, 17, 40);
        const CTime late(2040, 2, 29, 6, 0, 0);
        QVERIFY(early.GetTime() < 0);
        QVERIFY(late.GetTime() > std::int64_t(INT32_MAX));
        QVERIFY(early < CTime(0));
        QVERIFY(late > CTime(std::int64_t(INT32_MAX)));
        ExpectFields(early, 1969, 7, 20, 20, 17, 40);
        ExpectFields(late, 2040, 2, 29, 6, 0, 0);
        ExpectFields(CTime(2023, 2, 29, 0, 0, 0), 2023, 3, 1, 0, 0, 0);
    }
};

QTEST_MAIN(TestFileScan)
#include "tst_filescan.moc"
