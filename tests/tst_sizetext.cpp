#include <QtTest>

#include "TempDrive.h"
#include "core/SizeText.h"

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
