#include <QtTest>

#include "CliProcess.h"
#include "TempDrive.h"
#include "TrashFixture.h"
#include "ZipReader.h"

#include <QProcess>
#include <sys/stat.h>

// brimvale-cli lists a trash entry as one line and takes it whole, and
// removes the folders a Delete emptied, as the results page does.

namespace {

using Run = ProcessRun;

QStringList Names(const TempDrive &drive, const QByteArray &relative)
{
    return QDir(QFile::decodeName(drive.path(relative))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class TestCliWholeItems : public QObject
{
    Q_OBJECT
private slots:
    void trashEntriesAndEmptiedFolders();
    void trashZipsAndMovesUnderOriginalNames();
};

void TestCliWholeItems::trashEntriesAndEmptiedFolders()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("Temp/a/b/x.tmp", 3));
    QVERIFY(drive.makeFile("Temp/a/y.tmp", 3));
    QVERIFY(drive.makeFolder("Temp/was-empty"));
    QVERIFY(drive.makeFile(kTrash + "/files/proj/a.txt", 1));
    QVERIFY(drive.makeFile(kTrash + "/files/proj/sub/b.txt", 2));
    QVERIFY(drive.writeFile(kTrash + "/info/proj.trashinfo", "[Trash Info]\nPath=/home/u/proj\nDeletionDate=2026-12-02T08:00:00\n"));
    QVERIFY(drive.writeFile(kTrash + "/info/ghost.trashinfo", "[Trash Info]\nPath=/home/u/ghost\n"));
    QVERIFY(drive.writeFile(kTrash + "/directorysizes", "3 1700000001 proj\n"));
    QTemporaryDir lists;
    const QString list = lists.filePath(QStringLiteral("l.list"));

    const Run scan = RunCli({"scan", "--save", list, QFile::decodeName(drive.root())});
    QCOMPARE(scan.exitCode, 0);
    const QString out = QString::fromUtf8(scan.out);
    QCOMPARE(out.count(QLatin1Char('\n')), 4);
    QVERIFY2(out.contains(QStringLiteral("Trash: /home/u/proj, deleted 2026-12-02 08:00:00")), qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("Trash: information without a file")));
    QVERIFY(!out.contains(QStringLiteral("proj/a.txt")));

    const Run remove = RunCli({"delete", "--summary", list});
    QCOMPARE(remove.exitCode, 0);
    QVERIFY2(remove.err.contains("Emptied folders removed: 2"), remove.err.constData());
    QCOMPARE(Names(drive, "Temp"), QStringList({"was-empty"}));
    QCOMPARE(Names(drive, kTrash + "/files"), QStringList());
    QCOMPARE(Names(drive, kTrash + "/info"), QStringList());
    QVERIFY(drive.exists(kTrash + "/directorysizes"));
}

void TestCliWholeItems::trashZipsAndMovesUnderOriginalNames()
{
    TempDrive drive;
    TempDrive away;
    QVERIFY(MakeTrash(drive));
    QTemporaryDir lists;
    const QString list = lists.filePath(QStringLiteral("l.list"));
    QCOMPARE(RunCli({"scan", "--save", list, QFile::decodeName(drive.root())}).exitCode, 0);

    const QString archive = lists.filePath(QStringLiteral("t.zip"));
    const Run zip = RunCli({"zip", list, archive});
    QVERIFY2(zip.exitCode == 0, zip.err.constData());
    const QByteArrayList names = ReadZip(QFile::encodeName(archive)).Names();
    QVERIFY2(names.contains("home/u/Documents/report final.odt"), names.join(' ').constData());
    QVERIFY(names.contains("home/u/proj/sub/c.txt"));
    QCOMPARE(names.size(), 6);

    const Run move = RunCli({"move", list, QFile::decodeName(away.root())});
    QVERIFY2(move.exitCode == 0, move.err.constData());
    QCOMPARE(Names(away, ""), QStringList({"ghost.trashinfo", "lost.bin", "proj", "report final.odt"}));
    QCOMPARE(Names(away, "proj/sub"), QStringList({"b.txt", "c.txt"}));
    QCOMPARE(Names(drive, kTrash + "/files"), QStringList());
    QCOMPARE(Names(drive, kTrash + "/info"), QStringList());
}

QTEST_GUILESS_MAIN(TestCliWholeItems)
#include "tst_cli_wholeitems.moc"
