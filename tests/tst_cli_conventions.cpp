// brimvale-cli as scripts meet it: JSON output read back by Python on names
// of any bytes and on 100,000 files with its memory, the short options, the
// exit statuses the manual page gives, terminals that take no control
// sequences, and the help and manual page holding every option of the table.
#include "CliProcess.h"
#include "ChildProcess.h"
#include "RawFiles.h"
#include "TempDrive.h"

#include "cli/CliOptions.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Run = ProcessRun;

// The 100,000-file runs may take their time on a loaded machine.
Run RunProgram(const QString &program, const QStringList &args,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    return RunProcess(program, args, environment, 120000);
}

QString Arg(const QByteArray &path)
{
    return QString::fromUtf8(path);
}

// Reads a scan's JSON document with Python's json module and prints, for
// each file, its path as bytes (os.fsencode undoes the escape of bytes that
// are not UTF-8) in hex, then the summary's figures; with a command before
// the file name, runs it first (its output into the file) and prints its
// peak memory in KiB.
const char kReadJson[] = R"PY(
import json, os, resource, subprocess, sys
path, command = sys.argv[1], sys.argv[2:]
if command:
    with open(path, 'wb') as out:
        status = subprocess.run(command, stdout=out).returncode
    print('status', status)
    print('peak_kb', resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
with open(path, encoding='utf-8') as f:
    doc = json.load(f)
for entry in doc['files']:
    raw = os.fsencode(entry['folder']) + b'/' + os.fsencode(entry['file'])
    assert isinstance(entry['size'], int) and entry['checked'] is True, entry
    assert entry['modified'].endswith('Z') and entry['reason'], entry
    print('file', raw.hex())
s = doc['summary']
print('drive', os.fsencode(doc['drive']).hex())
print('figures', len(doc['files']), s['listed'], s['examined'], s['unreadable_folders'])
)PY";

struct JsonRead
{
    bool ok = false;
    QByteArray error;
    QSet<QByteArray> paths;
    QByteArray drive;
    QList<qint64> figures; // files in the array, listed, examined, unreadable
    qint64 peakKb = -1;
    int status = -1;
};

JsonRead ReadJson(const QString &file, const QStringList &command = {})
{
    JsonRead read;
    const Run run = RunProgram(QStringLiteral("python3"), QStringList{"-c", QString::fromLatin1(kReadJson), file} + command);
    read.ok = run.exitCode == 0;
    read.error = run.err;
    for (const QByteArray &line : run.out.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words[0] == "file")
            read.paths.insert(QByteArray::fromHex(words.value(1)));
        else if (words[0] == "drive")
            read.drive = QByteArray::fromHex(words.value(1));
        else if (words[0] == "figures")
            for (qsizetype i = 1; i < words.size(); ++i)
                read.figures << words[i].toLongLong();
        else if (words[0] == "peak_kb")
            read.peakKb = words.value(1).toLongLong();
        else if (words[0] == "status")
            read.status = words.value(1).toInt();
    }
    return read;
}

// Runs the program with a terminal on stderr (inside script(1)) and TERM as given.
QByteArray TerminalErr(const QString &script, const QString &term, const QStringList &args, const QString &outFile)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (term.isNull())
        environment.remove(QStringLiteral("TERM"));
    else
        environment.insert(QStringLiteral("TERM"), term);
    QString command = QStringLiteral("'%1'").arg(QStringLiteral(BV_CLI_PATH));
    for (const QString &arg : args)
        command += QStringLiteral(" '%1'").arg(arg);
    return RunProgram(script, {"-qec", command + QStringLiteral(" > '%1'").arg(outFile), "/dev/null"}, environment).out;
}

} // namespace

class TestCliConventions : public QObject
{
    Q_OBJECT

private slots:
    void jsonReadsBackInPythonWhateverTheBytes();
    void jsonStaysFlatOnAHundredThousandFiles();
    void exitStatuses_data();
    void exitStatuses();
    void noControlSequencesWhereTheyAreNotWanted();
    void helpManualAndTableAgree();
};

void TestCliConventions::jsonReadsBackInPythonWhateverTheBytes()
{
    TempDrive drive;
    QTemporaryDir out;
    const QList<QByteArray> names = {
        "plain.tmp", "new\nline.tmp", "quote\"s.tmp", "back\\slash.tmp", "tab\there.tmp", "bad\xff\xfe.tmp",
        "esc\x1b[31m.tmp", "c1\xc2\x9b.tmp", "\xc3\xbcml\xc3\xa4ut.tmp", "surrogate\xed\xb3\xbf.tmp", "del\x7f.tmp",
        "\\udcff.tmp", "cut\xe2\x82.tmp",
    };
    QSet<QByteArray> expected;
    for (const QByteArray &name : names) {
        QVERIFY(drive.makeFile("Temp/" + name, 3));
        expected.insert(drive.path("Temp/" + name));
    }
    QVERIFY(drive.makeFile("docs/keep.txt", 5));
    for (const QStringList &order : {QStringList{}, QStringList{"--sort", "file"}}) {
        const Run run = RunCli(QStringList{"scan", "--format", "json"} + order + QStringList{Arg(drive.root())});
        QCOMPARE(run.exitCode, 0);
        // Only ASCII and valid UTF-8 on the wire, and no raw control byte.
        QVERIFY(QString::fromUtf8(run.out).toUtf8() == run.out);
        for (char c : run.out)
            QVERIFY2(uchar(c) >= 0x20 || c == '\n', run.out.constData());
        const QString file = out.filePath(QStringLiteral("scan.json"));
        QVERIFY(WriteFile(QFile::encodeName(file), run.out));
        const JsonRead read = ReadJson(file);
        QVERIFY2(read.ok, read.error.constData());
        QCOMPARE(read.paths, expected);
        QCOMPARE(read.drive, drive.root());
        QCOMPARE(read.figures, (QList<qint64>{names.size(), names.size(), names.size() + 1, 0}));
    }
    // Names that are not UTF-8 are beyond QDir: the tree goes by descriptor.
    QVERIFY(RemoveTree(drive.path("Temp")));
}

void TestCliConventions::jsonStaysFlatOnAHundredThousandFiles()
{
    // Files are written as they are found: a list of 100,000 files must
    // cost no more than one of none (a scan of the same tree that looks at
    // every file, as one listing them all does, and lists nothing).
    constexpr int kFiles = 100000;
    TempDrive drive;
    QTemporaryDir out;
    QVERIFY(drive.makeFolder("Temp"));
    const int folder = ::open(drive.path("Temp").constData(), O_RDONLY | O_DIRECTORY);
    QVERIFY(folder >= 0);
    for (int i = 0; i < kFiles; ++i) {
        const QByteArray name = "file-" + QByteArray::number(i) + ".tmp";
        const int fd = ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    ::close(folder);
    const QString cli = QStringLiteral(BV_CLI_PATH);
    const JsonRead all = ReadJson(out.filePath(QStringLiteral("all.json")), {cli, "scan", "--format", "json", Arg(drive.root())});
    const JsonRead none = ReadJson(out.filePath(QStringLiteral("none.json")),
                                   {cli, "scan", "--format", "json", "--size", "larger", "1000000000", Arg(drive.root())});
    QVERIFY2(all.ok && none.ok, all.error + none.error);
    QCOMPARE(all.status, 0);
    QCOMPARE(all.figures, (QList<qint64>{kFiles, kFiles, kFiles, 0}));
    QCOMPARE(none.figures, (QList<qint64>{0, 0, kFiles, 0}));
    qInfo("peak memory of scan --format json: %lld KiB listing %d files, %lld KiB listing none",
          all.peakKb, kFiles, none.peakKb);
    // Kept in memory, the list would take tens of MiB.
    QVERIFY2(all.peakKb - none.peakKb < 8 * 1024, qPrintable(QString::number(all.peakKb - none.peakKb)));
}

void TestCliConventions::exitStatuses_data()
{
    QTest::addColumn<QStringList>("args"); // DRIVE stands for the drive, LOCKED for a folder we may not read
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out"); // start of standard output
    const auto row = [](const char *name, QStringList args, bool asNobody, int status, const char *out = "") {
        QTest::newRow(name) << args << asNobody << status << QByteArray(out).replace("<NUL>", QByteArray(1, '\0'));
    };
    row("scan", {"scan", "DRIVE"}, false, 0);
    row("-V", {"-V"}, false, 0, "brimvale-cli " BV_VERSION);
    row("-h", {"-h"}, false, 0, "Usage:");
    row("-h after a command", {"scan", "-h"}, false, 0, "Usage:");
    row("-0", {"scan", "-0", "--name", "a", "DRIVE"}, false, 0, "DRIVE/Temp/a.tmp<NUL>");
    row("unknown option", {"scan", "--quick", "DRIVE"}, false, 2);
    row("an action's option on scan", {"scan", "--dry-run", "DRIVE"}, false, 2);
    row("--summary on an action", {"delete", "--summary", "--dry-run", "DRIVE/none.list"}, false, 2);
    row("move's option on delete", {"delete", "--preserve-path", "LIST"}, false, 2);
    row("-V after a command", {"scan", "-V", "DRIVE"}, false, 2);
    row("json with -0", {"scan", "-0", "--format", "json", "DRIVE"}, false, 2);
    row("bad format", {"scan", "--format", "xml", "DRIVE"}, false, 2);
    row("drive missing", {"scan", "DRIVE/nowhere"}, false, 2);
    row("list missing", {"delete", "DRIVE/none.list"}, false, 2);
    row("drive unreadable", {"scan", "LOCKED"}, true, 2);
    row("a folder unreadable", {"scan", "--ext", "tmp", "DRIVE"}, true, 1, "DRIVE/Temp/a.tmp");
}

void TestCliConventions::exitStatuses()
{
    QFETCH(QStringList, args);
    QFETCH(bool, asNobody);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    TempDrive drive;
    QVERIFY(drive.makeFile("Temp/a.tmp", 1));
    QVERIFY(drive.makeFile("locked/b.tmp", 1));
    QStringList command;
    if (asNobody) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty() || ::geteuid() != 0)
            QSKIP("needs root and setpriv to run the program as another user");
        QCOMPARE(::chmod(drive.root().constData(), 0755), 0);
        QCOMPARE(::chmod(drive.path("locked").constData(), 0700), 0);
        // Files the user may not remove are not offered: Temp is theirs to change.
        QCOMPARE(::chmod(drive.path("Temp").constData(), 0777), 0);
        command = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", QStringLiteral(BV_CLI_PATH)};
    } else {
        command = {QStringLiteral(BV_CLI_PATH)};
    }
    for (const QString &arg : args)
        command << QString(arg).replace(QStringLiteral("DRIVE"), Arg(drive.root())).replace(QStringLiteral("LOCKED"), Arg(drive.path("locked")));
    const Run run = RunProgram(command.takeFirst(), command);
    QCOMPARE(run.exitCode, status);
    QVERIFY2(run.out.startsWith(QByteArray(out).replace("DRIVE", drive.root())), run.out.constData());
    if (status == 2)
        QVERIFY2(run.err.startsWith("brimvale-cli: "), run.err.constData());
}

void TestCliConventions::noControlSequencesWhereTheyAreNotWanted()
{
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("needs script(1) to give the program a terminal");
    TempDrive drive;
    QTemporaryDir out;
    for (int i = 0; i < 600; ++i)
        QVERIFY(drive.makeFile("Temp/f" + QByteArray::number(i) + ".tmp", 1));
    const QString listing = out.filePath(QStringLiteral("out.txt"));
    const QStringList scan = {"scan", Arg(drive.root())};
    // A terminal that takes them: the progress line is drawn in place.
    QVERIFY(TerminalErr(script, QStringLiteral("xterm"), scan, listing).contains("\x1b[K"));
    // A dumb terminal, no TERM at all, or --no-progress: not one escape byte.
    QCOMPARE(TerminalErr(script, QStringLiteral("dumb"), scan, listing).count('\x1b'), 0);
    QCOMPARE(TerminalErr(script, QString(), scan, listing).count('\x1b'), 0);
    QCOMPARE(TerminalErr(script, QStringLiteral("xterm"), QStringList{"scan", "--no-progress", Arg(drive.root())}, listing)
                 .count('\x1b'),
             0);
    QCOMPARE(ReadFile(QFile::encodeName(listing)).count('\n'), 600);
    QCOMPARE(ReadFile(QFile::encodeName(listing)).count('\x1b'), 0);
}

void TestCliConventions::helpManualAndTableAgree()
{
    const Run help = RunCli({"--help"});
    QCOMPARE(help.exitCode, 0);
    const QByteArray manual = ReadFile(QFile::encodeName(QFileInfo(QStringLiteral(BV_CLI_PATH)).absolutePath()
                                                         + QStringLiteral("/brimvale-cli.1")));
    QVERIFY2(manual.startsWith(".TH BRIMVALE-CLI 1"), "the manual page is not beside the program");
    for (const char *section : {".SH ENVIRONMENT", ".SH EXIT STATUS", ".SH EXAMPLES", ".SH SEE ALSO"})
        QVERIFY2(manual.contains(section), section);
    for (const CliOption &option : CliOptions()) {
        const QByteArray name(option.name);
        QVERIFY2(help.out.contains(CliOptionNames(option)), option.name);
        QVERIFY2(manual.contains(QByteArray(name).replace("-", "\\-")), option.name);
        if (option.shortName)
            QVERIFY2(manual.contains(QByteArray("\\-") + option.shortName), option.name);
        if (option.choices) {
            for (const QByteArray &word : QByteArray(option.choices).split(' '))
                QVERIFY2(help.out.contains(word) && manual.contains(word), word.constData());
        }
    }
    for (const CliCommand &command : CliCommands())
        QVERIFY2(help.out.contains(QByteArray("brimvale-cli ") + command.name), command.name);
    // Help lines fit an 80-column terminal.
    for (const QByteArray &line : help.out.split('\n'))
        QVERIFY2(line.size() <= 80, line.constData());
}

QTEST_GUILESS_MAIN(TestCliConventions)
#include "tst_cli_conventions.moc"
