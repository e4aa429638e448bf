// The saved list and the command line of brimvale-cli, below the process:
// a list reads back exactly what was written, and any damage to it is
// caught before an action could act on it; options land in the criteria
// record as the wizard's pages would put them there.
#include "cli/CCommandLine.h"
#include "cli/CListFile.h"
#include "core/ResultColumns.h"

#include <QtTest>
#include <sys/stat.h>

namespace {

FileIdentity Identity(ino_t inode, std::int64_t size, bool birth = true, std::uint32_t type = S_IFREG)
{
    FileIdentity id;
    id.device = 0x10302;
    id.inode = inode;
    id.type = type;
    id.size = size;
    id.modifiedNs = -1234567890123LL; // before 1970
    id.hasBirth = birth;
    id.birthNs = birth ? 1700000000123456789LL : 0;
    return id;
}

QByteArray SampleList(const QByteArray &root, const QList<QPair<QByteArray, FileIdentity>> &files)
{
    QByteArray text;
    CListFile::AppendHeader(text, root);
    for (const auto &[path, id] : files)
        CListFile::AppendEntry(text, path.constData(), path.size(), id);
    CListFile::AppendFooter(text);
    return text;
}

bool Parses(const QList<QByteArray> &args, CliRequest &request)
{
    QString error;
    return CCommandLine::Parse(args, request, error);
}

} // namespace

class TestCliList : public QObject
{
    Q_OBJECT

private slots:
    void listReadsBackExactly()
    {
        const QList<QPair<QByteArray, FileIdentity>> files = {
            {"/drive/a\nb\tc\\d", Identity(11, 0)},
            {"/drive/sub/bad\xff.tmp", Identity(12, 5000000000LL, false)},
            {"/drive/link.bak", Identity(13, 8, true, S_IFLNK)},
        };
        const CListFile::Parsed parsed = CListFile::Parse(SampleList("/drive", files));
        QCOMPARE(int(parsed.error), int(CListFile::Error::None));
        QCOMPARE(parsed.root, QByteArray("/drive"));
        QCOMPARE(int(parsed.entries.size()), files.size());
        for (int i = 0; i < files.size(); ++i) {
            QCOMPARE(parsed.entries[std::size_t(i)].path, files[i].first);
            QVERIFY(parsed.entries[std::size_t(i)].identity == files[i].second);
        }
        // One file a line: escaped names never break a line.
        QCOMPARE(SampleList("/drive", files).count('\n'), 3 + files.size());
    }

    void rootOfTheWholeSystemHoldsAnyAbsolutePath()
    {
        const CListFile::Parsed parsed = CListFile::Parse(SampleList("/", {{"/tmp/x", Identity(1, 1)}}));
        QCOMPARE(int(parsed.error), int(CListFile::Error::None));
        QCOMPARE(parsed.entries.front().path, QByteArray("/tmp/x"));
    }

    void everyCutIsCaught()
    {
        const QByteArray full = SampleList("/d", {{"/d/one", Identity(1, 10)}, {"/d/two", Identity(2, 20)}});
        for (qsizetype size = 0; size < full.size(); ++size) {
            const CListFile::Parsed parsed = CListFile::Parse(full.left(size));
            QVERIFY2(parsed.error != CListFile::Error::None, qPrintable(QString::number(size)));
        }
    }

    void filesNotCheckedAreNeverAmongTheEntries()
    {
        // With or without a rule depth; the state is always the last field.
        QByteArray text;
        CListFile::AppendHeader(text, "/d");
        CListFile::AppendEntry(text, "/d/live", 7, Identity(1, 10), -1, CListFile::State::Unchecked);
        CListFile::AppendEntry(text, "/d/kept", 7, Identity(2, 10), 0, CListFile::State::Locked);
        CListFile::AppendEntry(text, "/d/gone", 7, Identity(3, 10), 0);
        CListFile::AppendEntry(text, "/d/also", 7, Identity(4, 10));
        CListFile::AppendFooter(text);
        QVERIFY(text.contains("\tunchecked\n") && text.contains("\t0\tlocked\n"));
        const CListFile::Parsed parsed = CListFile::Parse(text);
        QCOMPARE(int(parsed.error), int(CListFile::Error::None));
        QCOMPARE(int(parsed.entries.size()), 2);
        QCOMPARE(parsed.entries[0].path, QByteArray("/d/gone"));
        QCOMPARE(parsed.entries[1].path, QByteArray("/d/also"));
        QCOMPARE(parsed.notChecked, 2);
        // A file not checked still counts for the duplicate check.
        text.replace("/d/also", "/d/live");
        QCOMPARE(int(CListFile::Parse(text).error), int(CListFile::Error::Duplicate));
    }

    void removingFileLinesByHandIsAllowed()
    {
        QByteArray text = SampleList("/d", {{"/d/one", Identity(1, 10)}, {"/d/two", Identity(2, 20)}});
        const qsizetype start = text.indexOf("/d/one");
        text.remove(start, text.indexOf('\n', start) + 1 - start);
        const CListFile::Parsed parsed = CListFile::Parse(text);
        QCOMPARE(int(parsed.error), int(CListFile::Error::None));
        QCOMPARE(int(parsed.entries.size()), 1);
        QCOMPARE(parsed.entries.front().path, QByteArray("/d/two"));
    }

    void damageIsNamed_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("line");
        const QByteArray good = SampleList("/d", {{"/d/one", Identity(1, 10)}});
        auto replaced = [&](const char *from, const char *to) { return QByteArray(good).replace(from, to); };
        using E = CListFile::Error;
        QTest::newRow("empty") << QByteArray() << int(E::NotAList) << 0;
        QTest::newRow("other file") << QByteArray("hello\n") << int(E::NotAList) << 0;
        QTest::newRow("newer version") << replaced("brimvale-list\t1", "brimvale-list\t2") << int(E::Version) << 1;
        QTest::newRow("no version") << replaced("brimvale-list\t1", "brimvale-list\t") << int(E::Version) << 1;
        QTest::newRow("no root line") << replaced("root\t/d\n", "") << int(E::BadLine) << 2;
        QTest::newRow("relative root") << replaced("root\t/d", "root\td") << int(E::BadLine) << 2;
        QTest::newRow("root with dots") << replaced("root\t/d", "root\t/d/../d") << int(E::BadLine) << 2;
        QTest::newRow("no end") << replaced("end\n", "") << int(E::Truncated) << 0;
        QTest::newRow("line after end") << QByteArray(good).append("/d/two\t1\t2\tfile\t3\t4\t-\n")
                                        << int(E::Truncated) << 0;
        QTest::newRow("end before files") << replaced("/d/one", "end\n/d/one") << int(E::BadLine) << 3;
        QTest::newRow("text after end") << QByteArray(good).append("junk") << int(E::Truncated) << 0;
        QTest::newRow("file outside root") << replaced("/d/one", "/e/one") << int(E::OutsideRoot) << 3;
        QTest::newRow("root itself as file") << replaced("/d/one", "/d") << int(E::OutsideRoot) << 3;
        QTest::newRow("prefix is not a folder") << replaced("/d/one", "/dx/one") << int(E::OutsideRoot) << 3;
        QTest::newRow("dot dot") << replaced("/d/one", "/d/../etc/passwd") << int(E::BadLine) << 3;
        QTest::newRow("empty part") << replaced("/d/one", "/d//one") << int(E::BadLine) << 3;
        QTest::newRow("trailing slash") << replaced("/d/one", "/d/one/") << int(E::BadLine) << 3;
        QTest::newRow("nul escaped in") << replaced("/d/one", "/d/o\\x00ne") << int(E::BadLine) << 3;
        QTest::newRow("bad escape") << replaced("/d/one", "/d/o\\ne\\") << int(E::BadLine) << 3;
        QTest::newRow("unknown type") << replaced("\tfile\t", "\tdir\t") << int(E::BadLine) << 3;
        QTest::newRow("negative size") << replaced("\tfile\t10\t", "\tfile\t-10\t") << int(E::BadLine) << 3;
        QTest::newRow("word for inode") << replaced("\t1\tfile", "\tone\tfile") << int(E::BadLine) << 3;
        QTest::newRow("field missing") << replaced("\tfile\t10\t", "\tfile\t") << int(E::BadLine) << 3;
        QTest::newRow("number too long") << replaced("\t1\tfile", "\t123456789012345678901234\tfile")
                                         << int(E::BadLine) << 3;
        QTest::newRow("word for rule depth") << replaced("\nend\n", "\tdeep\nend\n") << int(E::BadLine) << 3;
        QTest::newRow("field too many") << replaced("\nend\n", "\t1\t2\nend\n") << int(E::BadLine) << 3;
        QTest::newRow("unknown state") << replaced("\nend\n", "\t0\tmaybe\nend\n") << int(E::BadLine) << 3;
        QTest::newRow("state twice") << replaced("\nend\n", "\tlocked\tunchecked\nend\n") << int(E::BadLine) << 3;
        QTest::newRow("state before depth") << replaced("\nend\n", "\tlocked\t0\nend\n") << int(E::BadLine) << 3;
        QTest::newRow("listed twice") << replaced("end\n", "/d/one\t1\t1\tfile\t10\t4\t-\nend\n")
                                      << int(E::Duplicate) << 4;
    }

    void damageIsNamed()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, error);
        QFETCH(int, line);
        const CListFile::Parsed parsed = CListFile::Parse(text);
        QCOMPARE(int(parsed.error), error);
        QCOMPARE(parsed.line, line);
    }

    void datesMustBeRealDays_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("leap day") << QByteArray("2024-02-29") << true;
        QTest::newRow("not a leap year") << QByteArray("2023-02-29") << false;
        QTest::newRow("thirty-first of April") << QByteArray("2024-04-31") << false;
        QTest::newRow("month 13") << QByteArray("2024-13-01") << false;
        QTest::newRow("day 0") << QByteArray("2024-01-00") << false;
        QTest::newRow("year 0") << QByteArray("0000-01-01") << false;
        QTest::newRow("short month") << QByteArray("2024-1-01") << false;
        QTest::newRow("no dashes") << QByteArray("20240101") << false;
        QTest::newRow("signs") << QByteArray("+024-01-01") << false;
        QTest::newRow("trailing text") << QByteArray("2024-01-01x") << false;
        QTest::newRow("before 1970") << QByteArray("1960-01-01") << true;
    }

    void datesMustBeRealDays()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        int y = 0, m = 0, d = 0;
        QCOMPARE(CCommandLine::ParseDate(text, y, m, d), valid);
    }

    void sizesAreWholeKilobytesTheRecordHolds_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<long>("value");
        QTest::newRow("zero") << QByteArray("0") << true << 0L;
        QTest::newRow("leading zeros") << QByteArray("007") << true << 7L;
        QTest::newRow("largest") << QByteArray("2147483647") << true << 2147483647L;
        QTest::newRow("one more") << QByteArray("2147483648") << false << 0L;
        QTest::newRow("far out") << QByteArray("99999999999999999999999") << false << 0L;
        QTest::newRow("negative") << QByteArray("-1") << false << 0L;
        QTest::newRow("plus") << QByteArray("+5") << false << 0L;
        QTest::newRow("fraction") << QByteArray("1.5") << false << 0L;
        QTest::newRow("exponent") << QByteArray("1e3") << false << 0L;
        QTest::newRow("empty") << QByteArray() << false << 0L;
        QTest::newRow("space") << QByteArray(" 5") << false << 0L;
    }

    void sizesAreWholeKilobytesTheRecordHolds()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(long, value);
        long parsed = -1;
        QCOMPARE(CCommandLine::ParseKilobytes(text, parsed), valid);
        if (valid)
            QCOMPARE(parsed, value);
    }

    void criteriaLandInTheRecordAsThePagesPutThem()
    {
        CliRequest request;
        QVERIFY(Parses({"scan", "--name", "a*", "--name", "b?", "--size", "larger", "5", "--modified", "between",
                        "2024-01-10", "2024-01-20", "/d"},
                       request));
        const CFileScan &scan = request.criteria;
        QCOMPARE(scan.m_bExpress, 0);
        QCOMPARE(scan.m_bName, 1);
        QCOMPARE(scan.m_arrNames, QStringList({"a*", "b?"})); // the default "*" is replaced, not kept
        QCOMPARE(scan.m_bLocation, 0);
        QCOMPARE(scan.m_arrLocations.size(), 5); // untouched defaults
        QCOMPARE(scan.m_bSize, 1);
        QCOMPARE(scan.m_nSizeMode, 2);
        QCOMPARE(scan.m_nSizeFrom, 5L);
        QCOMPARE(scan.m_nSizeTo, 20000L); // left open: the record's default
        QCOMPARE(scan.m_bModified, 1);
        QCOMPARE(scan.m_nModifiedMode, 1);
        QCOMPARE(scan.m_timeModifiedFrom, CTime(2024, 1, 10, 0, 0, 0));
        QCOMPARE(scan.m_timeModifiedTo, CTime(2024, 1, 20, 23, 59, 59));
        QCOMPARE(scan.m_bCreation, 0);
        QCOMPARE(request.drive, QByteArray("/d"));

        QVERIFY(Parses({"scan", "/d"}, request));
        QCOMPARE(request.criteria.m_bExpress, 1);
        QVERIFY(Parses({"scan", "--size", "less", "7", "--accessed", "recent", "2020-05-05", "/d"}, request));
        QCOMPARE(request.criteria.m_nSizeMode, 0);
        QCOMPARE(request.criteria.m_nAccessedMode, 2);
        QCOMPARE(request.criteria.m_timeAccessedFrom, CTime(2020, 5, 5, 0, 0, 0));
    }

    void outputAndActionOptions()
    {
        CliRequest request;
        QVERIFY(Parses({"scan", "--print0", "--sort", "location", "--reverse", "--summary", "--save", "l", "--", "-d"},
                       request));
        QVERIFY(request.print0 && request.reverse && request.summary);
        QCOMPARE(request.sortColumn, int(kColumnLocation));
        QCOMPARE(request.savePath, QByteArray("l"));
        QCOMPARE(request.drive, QByteArray("-d")); // after "--" a name may start with a dash
        QVERIFY(Parses({"move", "--dry-run", "--preserve-path", "list", "dest"}, request));
        QVERIFY(request.dryRun && request.preservePath);
        QCOMPARE(request.folder, QByteArray("dest"));
        QVERIFY(Parses({"zip", "list", "a.zip"}, request));
        QCOMPARE(request.archive, QByteArray("a.zip"));
    }

    void malformedCommandLinesAreRefused_data()
    {
        QTest::addColumn<QList<QByteArray>>("args");
        QTest::newRow("nothing") << QList<QByteArray>{};
        QTest::newRow("unknown command") << QList<QByteArray>{"clean", "/d"};
        QTest::newRow("unknown option") << QList<QByteArray>{"scan", "--fast", "/d"};
        QTest::newRow("express with custom") << QList<QByteArray>{"scan", "--express", "--ext", "log", "/d"};
        QTest::newRow("pattern missing") << QList<QByteArray>{"scan", "/d", "--name"};
        QTest::newRow("empty pattern") << QList<QByteArray>{"scan", "--ext", "", "/d"};
        QTest::newRow("size mode wrong") << QList<QByteArray>{"scan", "--size", "bigger", "5", "/d"};
        QTest::newRow("between one value") << QList<QByteArray>{"scan", "--size", "between", "5"};
        QTest::newRow("date between one value") << QList<QByteArray>{"scan", "--created", "between", "2024-01-01"};
        QTest::newRow("sort column wrong") << QList<QByteArray>{"scan", "--sort", "colour", "/d"};
        QTest::newRow("two drives") << QList<QByteArray>{"scan", "/d", "/e"};
        QTest::newRow("no drive") << QList<QByteArray>{"scan", "--summary"};
        QTest::newRow("delete without list") << QList<QByteArray>{"delete"};
        QTest::newRow("delete with scan option") << QList<QByteArray>{"delete", "--print0", "l"};
        QTest::newRow("preserve path on delete") << QList<QByteArray>{"delete", "--preserve-path", "l"};
        QTest::newRow("move without folder") << QList<QByteArray>{"move", "l"};
        QTest::newRow("zip with two archives") << QList<QByteArray>{"zip", "l", "a", "b"};
        QTest::newRow("version with extra") << QList<QByteArray>{"--version", "x"};
    }

    void malformedCommandLinesAreRefused()
    {
        QFETCH(QList<QByteArray>, args);
        CliRequest request;
        QString error;
        QVERIFY(!CCommandLine::Parse(args, request, error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestCliList)
#include "tst_clilist.moc"
