#include <QtTest>

#include "TempDrive.h"

#include <QProcess>
#include <sys/stat.h>

// brimvale-cli lists a trash entry as one line and takes it whole, and
// removes the folders a Delete emptied, as the results page does.

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunCli(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(BV_CLI_PATH), args);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

bool WriteFile(TempDrive &drive, const QByteArray &relative, const QByteArray &bytes)
{
    QFile file(QFile::decodeName(drive.path(relative)));
    return drive.makeFile(relative) && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool Exists(const TempDrive &drive, const QByteArray &relative)
{
    struct stat st;
    return ::lstat(drive.path(relative).constData(), &st) == 0;
}

QStringList Names(const TempDrive &drive, const QByteArray &relative)
{
    return QDir(QFile::decodeName(drive.path(relative))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

const QByteArray kTrash = "home/u/.local/share/Trash";

} // namespace

class TestCliWholeItems : public QObject
{
    Q_OBJECT
private slots:
    void trashEntriesAndEmptiedFolders();
};

void TestCliWholeItems::trashEntriesAndEmptiedFolders()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("Temp/a/b/x.tmp", 3));
    QVERIFY(drive.makeFile("Temp/a/y.tmp", 3));
    QVERIFY(drive.makeFolder("Temp/was-empty"));
    QVERIFY(drive.makeFile(kTrash + "/files/proj/a.txt", 1));
    QVERIFY(drive.makeFile(kTrash + "/files/proj/sub/b.txt", 2));
    QVERIFY(WriteFile(drive, kTrash + "/info/proj.trashinfo", "[Trash Info]\nPath=/home/u/proj\nDeletionDate=2026-12-02T08:00:00\n"));
    QVERIFY(WriteFile(drive, kTrash + "/info/ghost.trashinfo", "[Trash Info]\nPath=/home/u/ghost\n"));
    QVERIFY(WriteFile(drive, kTrash + "/directorysizes", "3 1700000001 proj\n"));
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
    QVERIFY(Exists(drive, kTrash + "/directorysizes"));
}

QTEST_GUILESS_MAIN(TestCliWholeItems)
#include "tst_cli_wholeitems.moc"
