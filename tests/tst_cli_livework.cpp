// Live work and protected files seen from both front ends on one temporary
// drive: the results page and brimvale-cli list the same rows in the same
// states (checked, unchecked live work, locked) with the same reasons and
// the same totals, and nothing but a checked file is ever acted on from the
// command line, whatever form its list takes.
#include "RawFiles.h"
#include "CliProcess.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"

#include "core/CFileScan.h"
#include "core/CResultStore.h"
#include "core/CResultsModel.h"
#include "res/ResourceIds.h"
#include "results/CResultsPage.h"

#include <QDateTime>
#include <QLabel>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <ctime>
#include <sys/stat.h>

namespace {

using Run = ProcessRun;

Run RunCli(const QStringList &args, const QByteArray &now)
{
    return RunCli(args, EnvironmentWith(QStringLiteral("BRIMVALE_NOW"), QString::fromLatin1(now)));
}

QString LabelText(const CResultsPage &page, int id)
{
    auto *label = page.GetDlgItemAs<QLabel>(id);
    return label ? label->text() : QString();
}

// What was held back, without the processes that could not be read: other
// programs come and go between two scans.
QString WithoutProcesses(const QString &held)
{
    QStringList sentences = held.split(QStringLiteral("; "));
    sentences.removeIf([](const QString &sentence) { return sentence.startsWith(QLatin1String("open files of")); });
    return sentences.join(QStringLiteral("; "));
}

// The line of `text` that starts with `start`, or nothing.
QString LineStarting(const QString &text, const QString &start)
{
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (line.startsWith(start))
            return line;
    return QString();
}

} // namespace

class TestCliLiveWork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wizardAndCommandLineAgree_data();
    void wizardAndCommandLineAgree();
    void onlyCheckedFilesLeaveTheCommandLine();
    void aBadClockIsRefused_data();
    void aBadClockIsRefused();

private:
    // "path state reason" per row of the page, sorted.
    QByteArrayList PageRows(CFileScan &scan, QString &selection, QString &held);
    // The same from the command line's lines and its saved list.
    QByteArrayList CliRows(const QStringList &criteria, QString &selection, QString &held);
    QStringList Drive() const { return {QString::fromUtf8(m_drive.root())}; }

    TempDrive m_drive;
    std::int64_t m_now = 0;
    QByteArray m_nowText;
};

void TestCliLiveWork::initTestCase()
{
    QVERIFY(m_drive.isValid());
    // Every file made now was changed now: the scans are set two days on,
    // and the live files are modified a minute or two hours before that.
    m_now = std::time(nullptr) + 48 * 3600;
    m_nowText = QDateTime::fromSecsSinceEpoch(m_now, Qt::UTC).toString(Qt::ISODate).toLatin1();
    for (const char *file : {"tmp/old/a.o", "tmp/old/src/b.c", "tmp/build/x.o", "tmp/build/src/main.c",
                             "tmp/build/.git/objects/o.o", "tmp/fresh.txt", "docs/report.bak", "docs/keep.txt"})
        QVERIFY(m_drive.makeFile(file, 100));
    QVERIFY(m_drive.setTimes("tmp/build/src/main.c", m_now - 60, m_now - 60));
    QVERIFY(m_drive.setTimes("tmp/fresh.txt", m_now - 2 * 3600, m_now));
}

QByteArrayList TestCliLiveWork::PageRows(CFileScan &scan, QString &selection, QString &held)
{
    std::unique_ptr<CResultsPage> page = ShowResultsPage(scan, m_drive.root());
    page->SetNow(m_now);
    if (!ScanToEnd(*page))
        return {"the scan did not end"};
    const CResultStore &store = page->GetModel()->GetStore();
    QByteArrayList rows;
    for (int index = 0; index < store.GetCount(); ++index) {
        const QByteArray state = store.IsLocked(index) ? "locked" : store.IsChecked(index) ? "checked" : "unchecked";
        rows.append(store.GetPath(index).mid(m_drive.root().size() + 1) + ' ' + state + ' '
                    + store.GetReasonText(index).toUtf8());
    }
    std::sort(rows.begin(), rows.end());
    selection = LabelText(*page, IDC_SELECTION_TEXT);
    // The line may be cut at the page's edge; its tooltip holds it whole.
    auto *line = page->GetDlgItemAs<QLabel>(IDC_PROTECTED_TEXT);
    held = line ? line->toolTip() : QString();
    return rows;
}

QByteArrayList TestCliLiveWork::CliRows(const QStringList &criteria, QString &selection, QString &held)
{
    const QString list = QString::fromUtf8(m_drive.path("../cli.list"));
    const Run run = RunCli(QStringList{"scan", "--summary", "--save", list} + criteria + Drive(), m_nowText);
    if (run.exitCode != 0)
        return {"exit " + QByteArray::number(run.exitCode) + ": " + run.err};
    QFile file(list);
    if (!file.open(QIODevice::ReadOnly))
        return {"no list"};
    // The list's last field says how a file that is not checked was listed.
    QHash<QByteArray, QByteArray> states;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 7)
            states.insert(fields[0], fields.last() == "unchecked" || fields.last() == "locked" ? fields.last()
                                                                                              : QByteArray("checked"));
    }
    QByteArrayList rows;
    for (const QByteArray &line : run.out.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 4)
            rows.append(fields[0].mid(m_drive.root().size() + 1) + ' ' + states.value(fields[0], "missing") + ' '
                        + fields[3]);
    }
    std::sort(rows.begin(), rows.end());
    const QString err = QString::fromUtf8(run.err);
    selection = LineStarting(err, QStringLiteral("Selected : "));
    // The page's one line is the command line's last line of the summary
    // but for the space deleted files still hold, which depends on whatever
    // else runs on the machine.
    QStringList lines = err.trimmed().split(QLatin1Char('\n'));
    lines.removeIf([](const QString &line) { return line.contains(QLatin1String(" held by deleted files ")); });
    held = lines.value(lines.size() - 1);
    return rows;
}

void TestCliLiveWork::wizardAndCommandLineAgree_data()
{
    QTest::addColumn<bool>("express");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("held");
    // Express: the live items unchecked, the version history left out (its
    // time counts for its item all the same).
    QTest::newRow("express") << true
                             << QByteArrayList{
                                    "docs/report.bak checked ",
                                    "tmp/build/src/main.c unchecked In use: changed less than an hour ago",
                                    "tmp/build/x.o unchecked In use: changed less than an hour ago",
                                    "tmp/fresh.txt unchecked In use: changed 2 hours ago",
                                    "tmp/old/a.o checked ",
                                    "tmp/old/src/b.c checked ",
                                }
                             << "Selected : 300 B in 3 files"
                             << "Left out as protected : 1 files (protected folder 1); "
                                "Left unchecked as in use : 3 files (changed in the last 24 hours)";
    // Custom has time rules of its own: no live work, the protected file locked.
    QTest::newRow("custom") << false
                            << QByteArrayList{
                                   "tmp/build/.git/objects/o.o locked Protected: protected folder",
                                   "tmp/build/x.o checked ",
                                   "tmp/old/a.o checked ",
                               }
                            << "Selected : 200 B in 2 files"
                            << "Locked as protected : 1 files (protected folder 1)";
}

void TestCliLiveWork::wizardAndCommandLineAgree()
{
    QFETCH(bool, express);
    QFETCH(QByteArrayList, expected);
    QFETCH(QString, selection);
    QFETCH(QString, held);

    CFileScan scan;
    scan.m_bExpress = express ? 1 : 0;
    scan.m_bExtension = express ? 0 : 1;
    scan.m_arrExtensions = {QStringLiteral("o")};
    QString pageSelection;
    QString pageHeld;
    QByteArrayList pageRows = PageRows(scan, pageSelection, pageHeld);

    QString cliSelection;
    QString cliHeld;
    const QByteArrayList cliRows =
        CliRows(express ? QStringList{"--express"} : QStringList{"--ext", "o"}, cliSelection, cliHeld);

    // The rule reasons name the rule; only the states' own reasons are compared whole.
    for (QByteArrayList *rows : {&pageRows, const_cast<QByteArrayList *>(&cliRows)}) {
        for (QByteArray &row : *rows) {
            const QList<QByteArray> parts = row.split(' ');
            if (parts.value(1) == "checked")
                row = parts[0] + " checked ";
        }
    }
    QCOMPARE(pageRows, expected);
    QCOMPARE(cliRows, expected);
    QCOMPARE(pageSelection, selection);
    // The command line adds what removing them frees.
    QVERIFY2(cliSelection.startsWith(selection + QLatin1String("  ")), qPrintable(cliSelection));
    QCOMPARE(WithoutProcesses(pageHeld), held);
    QCOMPARE(WithoutProcesses(cliHeld), held);
}

void TestCliLiveWork::onlyCheckedFilesLeaveTheCommandLine()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    QVERIFY(drive.makeFile("tmp/old.txt", 10) && drive.makeFile("tmp/live.txt", 10));
    const std::int64_t now = std::time(nullptr) + 48 * 3600;
    QVERIFY(drive.setTimes("tmp/live.txt", now - 60, now - 60));
    const QByteArray nowText = QDateTime::fromSecsSinceEpoch(now, Qt::UTC).toString(Qt::ISODate).toLatin1();
    const QString root = QString::fromUtf8(drive.root());
    const QString list = QString::fromUtf8(drive.path("../only.list"));

    // NUL-separated paths are for another program to act on: checked only.
    const Run print0 = RunCli({"scan", "--express", "--print0", root}, nowText);
    QCOMPARE(print0.exitCode, 0);
    QCOMPARE(print0.out, drive.path("tmp/old.txt") + '\0');
    // CSV says so in its last column, sorted or streamed.
    for (const QStringList &extra : {QStringList{}, QStringList{"--sort", "file"}}) {
        const Run csv = RunCli(QStringList{"scan", "--express", "--format", "csv"} + extra + QStringList{root}, nowText);
        QCOMPARE(csv.exitCode, 0);
        QVERIFY2(csv.out.contains(",In use: changed less than an hour ago,0,"), csv.out.constData());
        QVERIFY(csv.out.contains(",1,"));
    }

    const Run scan = RunCli({"scan", "--express", "--save", list, root}, nowText);
    QCOMPARE(scan.exitCode, 0);
    QFile file(list);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\tunchecked\n"));
    const Run dry = RunCli({"delete", "--dry-run", list}, nowText);
    QCOMPARE(dry.exitCode, 0);
    QVERIFY2(!dry.out.contains("live.txt") && dry.out.contains("old.txt"), dry.out.constData());
    const Run del = RunCli({"delete", list}, nowText);
    QCOMPARE(del.exitCode, 0);
    QVERIFY(!Exists(drive.path("tmp/old.txt")));
    QVERIFY(Exists(drive.path("tmp/live.txt")));
}

void TestCliLiveWork::aBadClockIsRefused_data()
{
    QTest::addColumn<QByteArray>("now");
    QTest::newRow("words") << QByteArray("yesterday");
    QTest::newRow("date only") << QByteArray("2026-03-01");
    QTest::newRow("no month 13") << QByteArray("2026-13-01T00:00:00Z");
    QTest::newRow("seconds") << QByteArray("1767225600");
}

void TestCliLiveWork::aBadClockIsRefused()
{
    QFETCH(QByteArray, now);
    const Run run = RunCli(QStringList{"scan", "--express", "--format", "csv"} + Drive(), now);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains("BRIMVALE_NOW"), run.err.constData());
}

QTEST_MAIN(TestCliLiveWork)
#include "tst_cli_livework.moc"
