#include <QtTest>

#include "TempDrive.h"
#include "core/SizeText.h"
#include "platform/IsoTime.h"

#include <ctime>
#include <limits>

class TestSizeText : public QObject
{
    Q_OBJECT

private slots:
    void formatsEachRangeAtItsBoundaries_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0 B";
        QTest::newRow("last in bytes") << qint64(1000) << "1000 B";
        QTest::newRow("first below a kilobyte in KB") << qint64(1001) << "0.97 KB";
        QTest::newRow("last below a kilobyte") << qint64(1023) << "0.99 KB";
        QTest::newRow("one kilobyte") << qint64(1024) << "1 KB";
        QTest::newRow("fraction with leading zero") << qint64(1075) << "1.04 KB";
        QTest::newRow("half") << qint64(1536) << "1.50 KB";
        QTest::newRow("fraction is cut, not rounded") << qint64(2047) << "1.99 KB";
        QTest::newRow("last in KB") << qint64(999 * 1024 + 1023) << "999.99 KB";
        QTest::newRow("1000 KB is shown in MB") << qint64(1024000) << "0.97 MB";
        QTest::newRow("last below a megabyte") << qint64(1048575) << "0.99 MB";
        QTest::newRow("one megabyte") << qint64(1048576) << "1 MB";
        QTest::newRow("MB fraction") << qint64(1048576 + 52429) << "1.05 MB";
        QTest::newRow("MB fraction ending in zero") << qint64(12 * 1048576 + 524288) << "12.50 MB";
        QTest::newRow("above 4 GB stays 64-bit") << qint64(5) * 1073741824 << "5120 MB";
        QTest::newRow("no overflow near the top")
            << std::numeric_limits<qint64>::max() << "8796093022207.99 MB";
        QTest::newRow("a negative total is shown, not wrapped") << qint64(-1536) << "-1.50 KB";
    }
    void formatsEachRangeAtItsBoundaries()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(FormatSize(bytes), text);
    }

    // Every list gives times in one form: UTC for lists read by programs,
    // local time with its offset on the terminal.
    void timesAreWrittenAsIso8601_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QByteArray>("utc");
        QTest::addColumn<QByteArray>("local");
        QTest::newRow("the epoch") << qint64(0) << QByteArray("UTC0") << QByteArray("1970-01-01T00:00:00Z")
                                   << QByteArray("1970-01-01T00:00:00+00:00");
        QTest::newRow("before 1970, a day back") << qint64(-1) << QByteArray("UTC0")
                                                 << QByteArray("1969-12-31T23:59:59Z")
                                                 << QByteArray("1969-12-31T23:59:59+00:00");
        QTest::newRow("a leap day, east of UTC") << qint64(951782400) << QByteArray("XST-5:30")
                                                 << QByteArray("2000-02-29T00:00:00Z")
                                                 << QByteArray("2000-02-29T05:30:00+05:30");
        QTest::newRow("west of UTC, the day before") << qint64(951782400) << QByteArray("XST3")
                                                     << QByteArray("2000-02-29T00:00:00Z")
                                                     << QByteArray("2000-02-28T21:00:00-03:00");
        QTest::newRow("a year beyond four digits") << qint64(253402300800) << QByteArray("UTC0")
                                                   << QByteArray("10000-01-01T00:00:00Z")
                                                   << QByteArray("10000-01-01T00:00:00+00:00");
        QTest::newRow("a year before zero") << qint64(-62198755200) << QByteArray("UTC0")
                                            << QByteArray("-1-01-01T00:00:00Z") << QByteArray("-1-01-01T00:00:00+00:00");
    }
    void timesAreWrittenAsIso8601()
    {
        QFETCH(qint64, seconds);
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, utc);
        QFETCH(QByteArray, local);
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", zone);
        ::tzset();
        QByteArray written = "x";
        AppendIsoUtcTime(seconds, written);
        written += ' ';
        AppendIsoLocalTime(seconds, written);
        if (before.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", before);
        ::tzset();
        QCOMPARE(written, "x" + utc + ' ' + local);
    }

    void freeSpaceOfAFolderOrNothing()
    {
        TempDrive drive;
        QVERIFY(!GetFreeSpaceText(drive.root()).isEmpty());
        QCOMPARE(GetFreeSpaceText(drive.path("no such folder")), QString());
        QCOMPARE(GetFreeSpaceText(QByteArray()), QString());
    }
};

QTEST_MAIN(TestSizeText)
#include "tst_sizetext.moc"
