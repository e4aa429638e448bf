// What the scan tells about space no listed file shows, and what removing the
// listed files frees, as the results page and the command line report it.
#include "CliProcess.h"
#include "LoopImage.h"
#include "OpenFileHolder.h"
#include "ResultsPageOnDrive.h"
#include "ScanIntoStore.h"
#include "TempDrive.h"

#include "core/CDeletedOpenSpace.h"
#include "core/CFileScan.h"
#include "core/CScanSession.h"
#include "core/SizeText.h"
#include "res/ResourceIds.h"
#include "results/CResultsPage.h"

#include <QFile>
#include <QLabel>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

ProcessRun RunCliSummary(const QByteArray &root, const QStringList &criteria = {})
{
    return RunCli(QStringList{QStringLiteral("scan"), QStringLiteral("--summary")} + criteria
                  + QStringList{QStringLiteral("--"), QFile::decodeName(root)});
}

QByteArray OwnProgramName()
{
    QFile comm(QStringLiteral("/proc/self/comm"));
    return comm.open(QIODevice::ReadOnly) ? comm.readAll().trimmed() : QByteArray();
}

struct NullSink : CMatchSink, CScanProgress
{
    void AddMatch(const ScanMatch &) override {}
};

ScanOutcome ScanDrive(const QByteArray &root)
{
    CFileScan criteria = ExpressScanOf(root);
    CScanSession session(criteria, root);
    NullSink sink;
    return session.Run(sink, sink);
}

const CDeletedOpenSpace::Holder *FindHolder(const CDeletedOpenSpace &space, pid_t pid, int *rank = nullptr)
{
    const auto &holders = space.GetHolders();
    for (std::size_t i = 0; i < holders.size(); ++i) {
        if (holders[i].pid == pid) {
            if (rank)
                *rank = int(i);
            return &holders[i];
        }
    }
    return nullptr;
}

} // namespace

class TestSpaceReport : public QObject
{
    Q_OBJECT

private slots:
    void deletedOpenFilesAreCountedOnTheDriveOnly_data();
    void deletedOpenFilesAreCountedOnTheDriveOnly();
    void aProcessHoldingADeletedFileIsNamedUntilItEnds();
    void summaryTellsWhatRemovingTheListFrees();
    void sharedDataOnTheCommandLine();
};

using Files = std::vector<DeletedOpenFile>;
Q_DECLARE_METATYPE(Files)

void TestSpaceReport::deletedOpenFilesAreCountedOnTheDriveOnly_data()
{
    // The drive is device 8 reached through mount 40.
    QTest::addColumn<Files>("files");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    const std::int64_t mb = 1048576;
    const QString held = QStringLiteral(" are held by deleted files that are still open: ");
    QTest::newRow("none") << Files{} << qint64(0) << QString();
    QTest::newRow("another drive") << Files{{9, 1, 41, 10 * mb, 100, "cat"}} << qint64(0) << QString();
    QTest::newRow("on the drive") << Files{{8, 1, 40, 10 * mb, 100, "cat"}} << qint64(10 * mb)
                                  << QStringLiteral("10 MB") + held + QStringLiteral("cat (100)");
    // A btrfs subvolume has a device of its own on the drive's mount; an
    // unknown mount id still counts by device.
    QTest::newRow("subvolume") << Files{{12, 1, 40, mb, 7, "vim"}, {8, 2, 0, mb, 7, "vim"}} << qint64(2 * mb)
                               << QStringLiteral("2 MB") + held + QStringLiteral("vim (7)");
    QTest::newRow("no blocks") << Files{{8, 1, 40, 0, 100, "cat"}} << qint64(0) << QString();
    // One file through two descriptors of one process, and held by a
    // second process: once in the total, once for each holder; the larger
    // holder first, equal ones by name.
    QTest::newRow("shared file") << Files{{8, 1, 40, 3 * mb, 5, "zsh"},
                                          {8, 1, 40, 3 * mb, 5, "zsh"},
                                          {8, 1, 40, 3 * mb, 6, "bash"},
                                          {8, 2, 40, mb, 6, "bash"}}
                                 << qint64(4 * mb) << QStringLiteral("4 MB") + held + QStringLiteral("bash (6), zsh (5)");
    QTest::newRow("three largest named")
        << Files{{8, 1, 40, mb, 1, "a"}, {8, 2, 40, 4 * mb, 2, "b"}, {8, 3, 40, 2 * mb, 3, "c"},
                 {8, 4, 40, 3 * mb, 4, "d"}}
        << qint64(10 * mb) << QStringLiteral("10 MB") + held + QStringLiteral("b (2), d (4), c (3), ...");
}

void TestSpaceReport::deletedOpenFilesAreCountedOnTheDriveOnly()
{
    QFETCH(Files, files);
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    CDeletedOpenSpace space;
    space.Collect(files, 8, 40);
    QCOMPARE(space.GetBytes(), bytes);
    QCOMPARE(space.SummaryText(), text);
    // Collecting again starts afresh.
    space.Collect(files, 8, 40);
    QCOMPARE(space.GetBytes(), bytes);
}

void TestSpaceReport::aProcessHoldingADeletedFileIsNamedUntilItEnds()
{
    TempDrive drive;
    QVERIFY(drive.makeFolder("logs"));
    const std::int64_t size = 10 * 1048576;
    QVERIFY(LoopImage::WriteData(drive.path("logs/held.log"), size));
    struct stat st;
    QCOMPARE(::stat(drive.path("logs/held.log").constData(), &st), 0);
    const std::int64_t allocated = std::int64_t(st.st_blocks) * 512;

    OpenFileHolder holder(drive.path("logs/held.log"), false, true);
    QVERIFY(holder.isHolding());
    QVERIFY(!QFile::exists(QFile::decodeName(drive.path("logs/held.log"))));
    const QString named = QStringLiteral("%1 (%2)").arg(QString::fromUtf8(OwnProgramName())).arg(holder.pid());

    // The same drive may hold other processes' deleted files (it is the
    // machine's own temporary folder): ours is judged on its own, and named
    // wherever it is among the three largest.
    const ScanOutcome outcome = ScanDrive(drive.root());
    int rank = -1;
    const CDeletedOpenSpace::Holder *found = FindHolder(outcome.deletedOpen, holder.pid(), &rank);
    QVERIFY(found);
    QCOMPARE(found->bytes, allocated);
    QVERIFY(outcome.deletedOpen.GetBytes() >= allocated);
    const QString expected = outcome.deletedOpen.SummaryText();
    QVERIFY2(expected.contains(QStringLiteral(" are held by deleted files that are still open: ")), qPrintable(expected));
    QCOMPARE(expected.contains(named), rank < 3);

    CFileScan scan;
    auto page = ShowResultsPage(scan, drive.root());
    QVERIFY(ScanToEnd(*page));
    const QString line = page->GetDlgItemAs<QLabel>(IDC_SPACE_NOTES_TEXT)->text();
    QVERIFY2(line.contains(QStringLiteral(" are held by deleted files that are still open: ")), qPrintable(line));
    QCOMPARE(line.contains(named), rank < 3);

    const ProcessRun cli = RunCliSummary(drive.root());
    QCOMPARE(cli.exitCode, 0);
    const QString err = QString::fromUtf8(cli.err);
    QVERIFY2(err.contains(QStringLiteral(" are held by deleted files that are still open: ")), qPrintable(err));
    QCOMPARE(err.contains(named), rank < 3);

    const pid_t gone = holder.pid();
    holder.stop();
    QVERIFY(!FindHolder(ScanDrive(drive.root()).deletedOpen, gone));
    QVERIFY(ScanToEnd(*page));
    QVERIFY(!page->GetDlgItemAs<QLabel>(IDC_SPACE_NOTES_TEXT)->text().contains(QStringLiteral("(%1)").arg(gone)));
}

void TestSpaceReport::summaryTellsWhatRemovingTheListFrees()
{
    // What the files take is not what removing them gives back: a hole frees
    // nothing, a hard link the list does not hold keeps its file.
    TempDrive drive;
    QVERIFY(drive.makeFolder("Cache"));
    QVERIFY(LoopImage::WriteData(drive.path("Cache/data"), 1048576));
    QVERIFY(drive.makeFile("Cache/sparse", 50 * 1048576));
    QVERIFY(LoopImage::WriteData(drive.path("Cache/linked"), 2 * 1048576));
    QCOMPARE(::link(drive.path("Cache/linked").constData(), drive.path("kept-link").constData()), 0);
    struct stat st;
    QCOMPARE(::stat(drive.path("Cache/data").constData(), &st), 0);
    const std::int64_t frees = std::int64_t(st.st_blocks) * 512;

    const ProcessRun cli = RunCliSummary(drive.root());
    QCOMPARE(cli.exitCode, 0);
    const QString err = QString::fromUtf8(cli.err);
    QVERIFY2(err.contains(QStringLiteral("Selected : 53 MB in 3 files  frees about ") + FormatSize(frees) + '\n'),
             qPrintable(err));
}

void TestSpaceReport::sharedDataOnTheCommandLine()
{
    LoopImage image(LoopImage::Btrfs);
    if (!image.isMounted())
        QSKIP(image.whyNot().constData());
    QVERIFY(LoopImage::Run({"mkdir", "-p", image.path("docs"), image.path("Cache")}));
    QVERIFY(LoopImage::WriteData(image.path("docs/orig.bin"), 64 * 1048576));
    QVERIFY(LoopImage::Reflink(image.path("docs/orig.bin"), image.path("Cache/copy.bin")));
    QVERIFY(image.Sync());
    const ProcessRun cli = RunCliSummary(image.root());
    QCOMPARE(cli.exitCode, 0);
    QVERIFY2(cli.err.contains("Selected : 64 MB in 1 files  frees about 0 B (up to 64 MB)\n"), cli.err.constData());

    // Each row says what removing that file alone frees: none of the shared
    // data surely, all of it at most.
    const QByteArray csv = RunCli({QStringLiteral("scan"), QStringLiteral("--format"), QStringLiteral("csv"),
                                   QStringLiteral("--"), QFile::decodeName(image.root())})
                               .out;
    QVERIFY2(csv.startsWith("file,folder,size,allocated,created,modified,accessed,reason,checked,frees_min,frees_max\r\n"),
             csv.constData());
    QVERIFY2(csv.contains(",1,0,67108864\r\n"), csv.constData());
}

QTEST_MAIN(TestSpaceReport)
#include "tst_cli_spacereport.moc"
