#include <QtTest>

#include "core/CFileScan.h"
#include "core/CFileMatcher.h"
#include "core/CPatternList.h"
#include "core/CScanSession.h"
#include "ExpressTree.h"
#include "SimulatedWalk.h"
#include "TempDrive.h"

#include <random>

namespace {

WalkRecord File(const QByteArray &folder, const QByteArray &name, std::int64_t size = 0)
{
    WalkRecord record;
    record.folder = folder;
    record.name = name;
    record.size = size;
    return record;
}

// A Custom record with nothing switched on, on a fixed day.
CFileScan CustomScan()
{
    CFileScan scan([] { return CTime(2024, 6, 15, 12, 0, 0); });
    scan.m_bExpress = 0;
    return scan;
}

// What a scan without protection lists, a sorted line per row.
QList<QByteArray> ScanLines(const CFileScan &criteria, const QByteArray &drive, bool lookAtEveryFile)
{
    struct Progress : CScanProgress
    {
        bool every = false;
        bool WantsFileFacts() const override { return every; }
    } progress;
    progress.every = lookAtEveryFile;
    struct Sink : CMatchSink
    {
        QList<QByteArray> lines;
        void AddMatch(const ScanMatch &match) override
        {
            const WalkRecord &r = match.record;
            lines.append(r.folder + '/' + r.name + ' ' + QByteArray::number(r.size) + ' '
                         + QByteArray::number(qulonglong(r.inode)) + ' ' + QByteArray::number(r.identity.modifiedNs)
                         + ' ' + QByteArray::number(r.allocatedBytes) + ' ' + match.why.text.toUtf8());
        }
    } sink;
    CScanSession session(criteria, drive);
    session.SetProtectionFactory({});
    session.SetOpenFileSourceFactory({});
    session.Run(sink, progress);
    std::sort(sink.lines.begin(), sink.lines.end());
    return sink.lines;
}

} // namespace

class TestMatching : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
    }

    void wildcard_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("star backtracks") << "*b" << "abab" << true;
        QTest::newRow("star then literal") << "*b" << "abba" << false;
        QTest::newRow("trailing stars meet end") << "a**" << "a" << true;
        QTest::newRow("star matches empty") << "*" << "" << true;
        QTest::newRow("empty matches empty") << "" << "" << true;
        QTest::newRow("empty pattern, text left") << "" << "a" << false;
        QTest::newRow("literal ignores case") << "temp" << "TEMP" << true;
        QTest::newRow("no repeated last char") << "temp" << "tempp" << false;
        QTest::newRow("no trailing digit") << "temp" << "temp2" << false;
        QTest::newRow("no longer word") << "temp" << "temporary" << false;
        QTest::newRow("prefix is not enough") << "temporary" << "temp" << false;
        QTest::newRow("question needs a char") << "?" << "" << false;
        QTest::newRow("question is one char") << "a?c" << "abc" << true;
        QTest::newRow("question not two") << "a?c" << "abbc" << false;
        QTest::newRow("question after star") << "*?" << "x" << true;
        QTest::newRow("star needs dot") << "*.*" << "abc" << false;
        QTest::newRow("star around") << "*mp*" << "TEMPLATES" << true;
        QTest::newRow("several stars") << "*a*b*c" << "xaxbxc" << true;
        QTest::newRow("several stars, wrong order") << "*a*b*c" << "xcxbxa" << false;
        QTest::newRow("many stars, no blow-up") << "a*a*a*a*a*a*a*a*b" << QString(200, 'a') << false;
        QTest::newRow("leading star short text") << "*ab" << "b" << false;
        QTest::newRow("unicode folding") << "ÉTÉ" << "été" << true;
        QTest::newRow("greek final sigma") << "ΟΔΟΣ" << QStringLiteral("\u03BF\u03B4\u03BF\u03C2") << true;
        QTest::newRow("question is one accented char") << "?t?" << "été" << true;
        QTest::newRow("question is one astral char") << "a?b" << QStringLiteral("a\U0001D11Eb") << true;
        QTest::newRow("combining accent equals precomposed")
            << QStringLiteral("caf\u00E9") << QStringLiteral("CAFE\u0301") << true;
        QTest::newRow("dollar signs literal") << "$$$" << "$$$" << true;
    }
    void wildcard()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(CFileMatcher::MatchList(text, {pattern}), expected);
    }

    void listOrderAndEmptyList()
    {
        QVERIFY(CFileMatcher::MatchList(QStringLiteral("Temporary Internet Files"),
                                        {QStringLiteral("temp"), QStringLiteral("temporary internet files")}));
        QVERIFY(!CFileMatcher::MatchList(QStringLiteral("anything"), {}));
        QVERIFY(!CFileMatcher::MatchList(QString(), {}));
        QVERIFY(CFileMatcher::MatchList(QString(), {QStringLiteral("x"), QStringLiteral("**")}));
    }

    void rawNamesThatAreNotUtf8()
    {
        std::u32string folded;
        const QByteArray bad("BAD\xff\xfe", 5);
        CPatternList::FoldBytes(bad.constData(), bad.size(), folded);
        QVERIFY(folded.size() >= 4);
        QCOMPARE(folded.substr(0, 3), std::u32string(U"bad"));
        QVERIFY(CPatternList({QStringLiteral("bad*")}).Match(folded));
        QVERIFY(!CPatternList({QStringLiteral("bad")}).Match(folded));

        CFileScan scan = CustomScan();
        scan.m_bExtension = 1;
        scan.m_arrExtensions = {QStringLiteral("t?t")};
        const CFileMatcher matcher(scan);
        QVERIFY(matcher.MatchFile(File("/data", QByteArray("n\xc3.t\xfft", 6))));
        QVERIFY(!matcher.MatchFile(File("/data", QByteArray("n.t\xff\xfft", 6))));
    }

    void location_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<bool>("expected");
        QTest::newRow("deepest folder") << "/" << "temp" << QByteArray("/windows/TEMP") << true;
        QTest::newRow("ancestor folder") << "/" << "temp" << QByteArray("/TEMP/SUB") << true;
        QTest::newRow("longer name") << "/" << "temp" << QByteArray("/TEMPLATES") << false;
        QTest::newRow("root file, literal") << "/" << "temp" << QByteArray("/") << false;
        QTest::newRow("root file, star") << "/" << "*" << QByteArray("/") << true;
        QTest::newRow("root file, root path") << "/" << "/" << QByteArray("/") << true;
        QTest::newRow("other drive, deep") << "/home" << "temp" << QByteArray("/home/u/Temp") << true;
        QTest::newRow("other drive, middle") << "/home" << "u" << QByteArray("/home/u/Temp") << true;
        QTest::newRow("drive root is one name") << "/home" << "home" << QByteArray("/home/u") << false;
        QTest::newRow("drive root path tried") << "/home" << "/home" << QByteArray("/home/u") << true;
        QTest::newRow("drive root, trailing slash") << "/home/" << "/home" << QByteArray("/home") << true;
        QTest::newRow("names above the drive") << "/tmp" << "tmp" << QByteArray("/tmp/a") << false;
        QTest::newRow("sibling with same prefix") << "/tmp" << "tmpx" << QByteArray("/tmpx/a") << true;
        QTest::newRow("non-utf8 ancestor, star") << "/" << "c*" << QByteArray("/data/c\xff/x") << true;
        QTest::newRow("non-utf8 ancestor, one char") << "/" << "c?" << QByteArray("/data/c\xff/x") << true;
        QTest::newRow("non-utf8 ancestor, literal") << "/" << "c" << QByteArray("/data/c\xff/x") << false;
    }
    void location()
    {
        QFETCH(QString, drive);
        QFETCH(QString, pattern);
        QFETCH(QByteArray, folder);
        QFETCH(bool, expected);
        CFileScan scan = CustomScan();
        scan.m_strDrive = drive;
        scan.m_bLocation = 1;
        scan.m_arrLocations = {pattern};
        const CFileMatcher matcher(scan);
        QCOMPARE(matcher.MatchFile(File(folder, "f.txt")), expected);
    }

    void locationVerdictFollowsEachFolder()
    {
        CFileScan scan = CustomScan();
        scan.m_bLocation = 1;
        const CFileMatcher matcher(scan);  // default patterns: Temp, Tmp, Cache, Debug, Release
        const QList<QPair<QByteArray, bool>> walk = {
            {"/src/Debug", true}, {"/src/Debug", true}, {"/src", false},
            {"/src/Debug", true}, {"/src/Debugger", false}, {"/var/cache/apt", true},
        };
        for (const auto &[folder, expected] : walk)
            QVERIFY2(matcher.MatchFile(File(folder, "x")) == expected, folder.constData());
    }

    void nameAndExtension_data()
    {
        QTest::addColumn<bool>("byName");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("expected");
        QTest::newRow("name without extension") << true << "readme" << QByteArray("README.TXT") << true;
        QTest::newRow("name drops last extension only") << true << "readme.first" << QByteArray("readme.first.txt") << true;
        QTest::newRow("name keeps inner dots") << true << "readme" << QByteArray("readme.first.txt") << false;
        QTest::newRow("name with no dot") << true << "makefile" << QByteArray("Makefile") << true;
        QTest::newRow("dot file has empty title") << true << "profile" << QByteArray(".profile") << false;
        QTest::newRow("dot file title matches star") << true << "*" << QByteArray(".profile") << true;
        QTest::newRow("extension after first dot") << false << "gz" << QByteArray("a.tar.gz") << false;
        QTest::newRow("extension whole tail") << false << "tar.gz" << QByteArray("a.tar.gz") << true;
        QTest::newRow("extension star tail") << false << "*gz" << QByteArray("a.tar.gz") << true;
        QTest::newRow("extension of dot file") << false << "profile" << QByteArray(".profile") << true;
        QTest::newRow("no dot, no extension") << false << "*" << QByteArray("BAK") << false;
        QTest::newRow("trailing dot, empty extension") << false << "*" << QByteArray("a.") << true;
        QTest::newRow("extension ignores case") << false << "bak" << QByteArray("REPORT.BAK") << true;
        QTest::newRow("accented name ignores case") << true << "ÉTÉ" << QByteArray("\xc3\xa9t\xc3\xa9.txt") << true;
        QTest::newRow("decomposed name, composed pattern") << true << "café" << QByteArray("CAFE\xcc\x81.txt") << true;
        QTest::newRow("accent is not its base letter") << true << "cafe" << QByteArray("caf\xc3\xa9.txt") << false;
    }
    void nameAndExtension()
    {
        QFETCH(bool, byName);
        QFETCH(QString, pattern);
        QFETCH(QByteArray, name);
        QFETCH(bool, expected);
        CFileScan scan = CustomScan();
        (byName ? scan.m_bName : scan.m_bExtension) = 1;
        (byName ? scan.m_arrNames : scan.m_arrExtensions) = QStringList{pattern};
        QCOMPARE(CFileMatcher(scan).MatchFile(File("/data", name)), expected);
    }

    void express_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("expected");
        QTest::newRow("folder with spaces") << QByteArray("/WINDOWS/Temporary Internet Files") << QByteArray("page.htm") << true;
        QTest::newRow("extension") << QByteArray("/DATA") << QByteArray("REPORT.BAK") << true;
        QTest::newRow("dollar extension") << QByteArray("/DATA") << QByteArray("x.$$$") << true;
        QTest::newRow("name without dot") << QByteArray("/data") << QByteArray("BAK") << false;
        QTest::newRow("ordinary file") << QByteArray("/home/u/docs") << QByteArray("letter.odt") << false;
        QTest::newRow("ancestor folder") << QByteArray("/home/u/.cache/fontconfig") << QByteArray("a.dat") << true;
        QTest::newRow("trash") << QByteArray("/home/u/.local/share/Trash/files") << QByteArray("a.odt") << true;
        QTest::newRow("history") << QByteArray("/x/HISTORY") << QByteArray("a") << true;
        QTest::newRow("extension is whole tail") << QByteArray("/data") << QByteArray("a.log.1") << false;
        QTest::newRow("release is custom only") << QByteArray("/src/Release") << QByteArray("a.o") << false;
        QTest::newRow("root file") << QByteArray("/") << QByteArray("a.txt") << false;
    }
    void express()
    {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, name);
        QFETCH(bool, expected);
        CFileScan scan = CustomScan();
        scan.m_bExpress = 1;
        // Express ignores every criterion the user set up.
        scan.m_bSize = 1;
        scan.m_nSizeMode = 2;
        scan.m_nSizeFrom = 999999;
        scan.m_bLocation = 1;
        scan.m_arrLocations = {QStringLiteral("*")};
        const CFileMatcher matcher(scan);
        QCOMPARE(matcher.MatchFile(File(folder, name)), expected);
        QCOMPARE(matcher.MatchExpress(File(folder, name)), expected);
    }

    void nothingSwitchedOnMatchesNothing()
    {
        const CFileMatcher matcher(CustomScan());
        QVERIFY(!matcher.MatchFile(File("/tmp", "a.tmp")));
        QVERIFY(!matcher.MatchFile(File("/", "x")));
    }

    void size_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("expected");
        QTest::newRow("less, at bound") << 0 << 1LL << 0LL << 1000LL << true;
        QTest::newRow("less, above") << 0 << 1LL << 0LL << 1001LL << false;
        QTest::newRow("between, below") << 1 << 1LL << 2LL << 999LL << false;
        QTest::newRow("between, low edge") << 1 << 1LL << 2LL << 1000LL << true;
        QTest::newRow("between, high edge") << 1 << 1LL << 2LL << 2000LL << true;
        QTest::newRow("between, above") << 1 << 1LL << 2LL << 2001LL << false;
        QTest::newRow("larger, below") << 2 << 1024LL << 0LL << 1023999LL << false;
        QTest::newRow("larger, at bound, second value ignored") << 2 << 1024LL << 0LL << 1024000LL << true;
        QTest::newRow("3 GB larger than 1024") << 2 << 1024LL << 20000LL << 3000000000LL << true;
        QTest::newRow("3 GB not less than 1024") << 0 << 1024LL << 20000LL << 3000000000LL << false;
        QTest::newRow("6 GB larger than 5,000,000") << 2 << 5000000LL << 0LL << 6000000000LL << true;
        QTest::newRow("4 GB + 1 not less than 1") << 0 << 1LL << 0LL << 4294967297LL << false;
        QTest::newRow("negative bound below all") << 2 << -5LL << 0LL << 0LL << true;
        QTest::newRow("negative bound, less than") << 0 << -1LL << 0LL << 0LL << false;
        QTest::newRow("huge bound does not wrap") << 2 << qint64(LONG_MAX) << 0LL << qint64(1) << false;
        QTest::newRow("huge negative does not wrap") << 0 << qint64(LONG_MIN) << 0LL << qint64(0) << false;
        QTest::newRow("unknown mode") << 7 << 0LL << 0LL << 0LL << false;
    }
    void size()
    {
        QFETCH(int, mode);
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(qint64, size);
        QFETCH(bool, expected);
        CFileScan scan = CustomScan();
        scan.m_bSize = 1;
        scan.m_nSizeMode = mode;
        scan.m_nSizeFrom = long(from);
        scan.m_nSizeTo = long(to);
        QCOMPARE(CFileMatcher(scan).MatchFile(File("/d", "f", size)), expected);
    }

    void times_data()
    {
        QTest::addColumn<int>("which");  // 0 creation, 1 modified, 2 accessed
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<bool>("expected");
        const qint64 from = CTime(2024, 5, 10, 0, 0, 0).GetTime();
        const qint64 to = CTime(2024, 6, 15, 23, 59, 59).GetTime();
        const qint64 endOfFromDay = CTime(2024, 5, 10, 23, 59, 59).GetTime();
        for (int which = 0; which < 3; ++which) {
            const QByteArray w = QByteArray::number(which);
            QTest::newRow("older, end of day " + w) << which << 0 << endOfFromDay << true;
            QTest::newRow("older, next midnight " + w) << which << 0 << endOfFromDay + 1 << false;
            QTest::newRow("older, 1969 " + w) << which << 0 << qint64(CTime(1969, 7, 20, 0, 0, 0).GetTime()) << true;
            QTest::newRow("between, from " + w) << which << 1 << from << true;
            QTest::newRow("between, before " + w) << which << 1 << from - 1 << false;
            QTest::newRow("between, to " + w) << which << 1 << to << true;
            QTest::newRow("between, after " + w) << which << 1 << to + 1 << false;
            QTest::newRow("recent, from " + w) << which << 2 << from << true;
            QTest::newRow("recent, before " + w) << which << 2 << from - 1 << false;
            QTest::newRow("recent, 2040 " + w) << which << 2 << qint64(CTime(2040, 1, 1, 0, 0, 0).GetTime()) << true;
        }
    }
    void times()
    {
        QFETCH(int, which);
        QFETCH(int, mode);
        QFETCH(qint64, time);
        QFETCH(bool, expected);
        CFileScan scan = CustomScan();
        const CTime from(2024, 5, 10, 0, 0, 0);
        const CTime to(2024, 6, 15, 23, 59, 59);
        // The other two times of the file fail every mode, so only the
        // chosen one can make the file pass.
        const qint64 never = CTime(2024, 5, 20, 0, 0, 0).GetTime();
        WalkRecord file = File("/d", "f");
        file.creationTime = file.modifiedTime = file.accessedTime = never;
        switch (which) {
        case 0:
            scan.m_bCreation = 1;
            scan.m_nCreationMode = mode;
            scan.m_timeCreationFrom = from;
            scan.m_timeCreationTo = to;
            file.creationTime = time;
            break;
        case 1:
            scan.m_bModified = 1;
            scan.m_nModifiedMode = mode;
            scan.m_timeModifiedFrom = from;
            scan.m_timeModifiedTo = to;
            file.modifiedTime = time;
            break;
        default:
            scan.m_bAccessed = 1;
            scan.m_nAccessedMode = mode;
            scan.m_timeAccessedFrom = from;
            scan.m_timeAccessedTo = to;
            file.accessedTime = time;
            break;
        }
        QCOMPARE(CFileMatcher(scan).MatchFile(file), expected);
    }

    void timesBeyond32Bits()
    {
        CFileScan scan = CustomScan();
        scan.m_bModified = 1;
        scan.m_nModifiedMode = 2;
        scan.m_timeModifiedFrom = CTime(2039, 1, 1, 0, 0, 0);
        WalkRecord file = File("/d", "f");
        file.modifiedTime = CTime(2040, 2, 29, 12, 0, 0).GetTime();
        QVERIFY(CFileMatcher(scan).MatchFile(file));
        file.modifiedTime = CTime(1969, 12, 31, 23, 0, 0).GetTime();
        QVERIFY(!CFileMatcher(scan).MatchFile(file));

        scan.m_nModifiedMode = 0;
        scan.m_timeModifiedFrom = CTime(1969, 12, 31, 0, 0, 0);
        QVERIFY(CFileMatcher(scan).MatchFile(file));
    }

    void folderVerdictsFromTheWalkChainAgreeWithWholePaths_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<bool>("express");
        QTest::newRow("express on /") << "/" << true;
        QTest::newRow("location patterns on /") << "/" << false;
        QTest::newRow("express on another drive") << "/mnt/Temp" << true;
        QTest::newRow("location patterns on another drive") << "/mnt/Temp" << false;
    }
    void folderVerdictsFromTheWalkChainAgreeWithWholePaths()
    {
        // The walk hands over each folder's chain so that a folder's verdict
        // comes from its parent's; it must be the verdict its whole path gets.
        QFETCH(QString, drive);
        QFETCH(bool, express);
        CFileScan scan = CustomScan();
        scan.m_strDrive = drive;
        scan.m_bExpress = express ? 1 : 0;
        scan.m_bLocation = 1;
        scan.m_arrLocations = {QStringLiteral("te?p"), QStringLiteral("*.d"), QStringLiteral("\u00c4rger")};
        const CFileMatcher chained(scan);
        const CFileMatcher plain(scan);
        const QList<QByteArray> names = {"Temp", "TEMPX", "a", "tmp", "x.d", "\xc3\xa4rger", "bad\xff", "Cache", "b"};
        std::mt19937 random(7);
        SimulatedWalk walk(QFile::encodeName(drive));
        QByteArray folder;
        int matched = 0;
        for (int step = 0; step < 3000; ++step) {
            // Down one level, up some levels, or stay: a depth-first walk.
            const int move = int(random() % 4);
            if (move == 0 && folder.count('/') < 7)
                folder += (folder.isEmpty() ? "" : "/") + names[qsizetype(random() % names.size())];
            else if (move == 1 && !folder.isEmpty())
                folder.truncate(qMax(0, int(folder.lastIndexOf('/'))));
            const WalkRecord &record = walk.File(folder, "file.dat");
            const bool verdict = chained.MatchFile(record);
            QVERIFY2(verdict == plain.MatchFile(walk.Plain()), record.folder.constData());
            matched += verdict ? 1 : 0;
        }
        QVERIFY(matched > 0 && matched < 3000);
    }

    void aScanLookingOnlyAtMatchingNamesListsWhatALookAtEveryFileLists_data()
    {
        QTest::addColumn<QByteArray>("rules");
        QTest::newRow("Express") << QByteArray("express");
        QTest::newRow("extensions") << QByteArray("ext");
        QTest::newRow("folder and name") << QByteArray("location name");
        QTest::newRow("size alone") << QByteArray("size");
        QTest::newRow("extension and size") << QByteArray("ext size");
        QTest::newRow("modified alone") << QByteArray("modified");
    }
    void aScanLookingOnlyAtMatchingNamesListsWhatALookAtEveryFileLists()
    {
        QFETCH(QByteArray, rules);
        TempDrive drive;
        QVERIFY(MakeExpressTree(drive));
        // A tagged cache below an ordinary folder, its files named like any.
        QVERIFY(drive.writeFile("src/build/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc55\n"));
        QVERIFY(drive.makeFile("src/build/obj/main.o", 4000) && drive.makeFile("src/main.c", 2000));
        CFileScan criteria = CustomScan();
        criteria.m_strDrive = QFile::decodeName(drive.root());
        criteria.m_bExpress = rules.contains("express");
        criteria.m_bExtension = rules.contains("ext");
        criteria.m_arrExtensions = {"tmp", "txt", "o"};
        criteria.m_bLocation = rules.contains("location");
        criteria.m_arrLocations = {"docs", "obj"};
        criteria.m_bName = rules.contains("name");
        criteria.m_arrNames = {"*e*"};
        criteria.m_bSize = rules.contains("size");
        criteria.m_nSizeMode = 2; // larger than
        criteria.m_nSizeFrom = 1;
        criteria.m_bModified = rules.contains("modified");
        criteria.m_nModifiedMode = 0; // before a date
        criteria.m_timeModifiedFrom = CTime(2100, 1, 1, 0, 0, 0);
        const QList<QByteArray> every = ScanLines(criteria, drive.root(), true);
        QVERIFY(every.size() >= 3);
        QCOMPARE(ScanLines(criteria, drive.root(), false), every);
    }

    void everyCriterionMustPass()
    {
        CFileScan scan = CustomScan();
        scan.m_bLocation = 1;
        scan.m_bExtension = 1;
        scan.m_bSize = 1;
        scan.m_nSizeMode = 2;
        scan.m_nSizeFrom = 1;
        const CFileMatcher matcher(scan);
        QVERIFY(matcher.MatchFile(File("/src/Debug", "main.obj", 5000)));
        QVERIFY(!matcher.MatchFile(File("/src/Debug", "main.obj", 10)));
        QVERIFY(!matcher.MatchFile(File("/src/Debug", "main.cpp", 5000)));
        QVERIFY(!matcher.MatchFile(File("/src/out", "main.obj", 5000)));
    }
};

QTEST_MAIN(TestMatching)
#include "tst_matching.moc"
