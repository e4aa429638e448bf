// brimvale-cli run as a process on temporary drives: it lists what the
// wizard lists, writes names of any bytes safely, deletes exactly the files
// of a saved list and nothing the scan did not see, and refuses bad input
// before anything is touched.
#include "RawFiles.h"
#include "CliProcess.h"
#include "ExpressTree.h"
#include "OpenFileHolder.h"
#include "TempDrive.h"

#include "core/PathEscape.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMap>
#include <QJsonArray>
#include <QJsonDocument>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Run = ProcessRun;

QString Arg(const QByteArray &path)
{
    return QString::fromUtf8(path);
}

// Everything below `root` with what would show a change: kind, size,
// modification time and inode. Read by descriptor so that no name is lost.
void Snapshot(const QByteArray &root, QMap<QByteArray, QByteArray> &out)
{
    for (const QByteArray &name : Entries(root)) {
        const QByteArray path = root + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            continue;
        // A folder's own times change with its entries; its entries tell.
        if (S_ISDIR(st.st_mode)) {
            out.insert(path, "folder " + QByteArray::number(quint64(st.st_ino)));
            Snapshot(path, out);
            continue;
        }
        out.insert(path, QByteArray::number(st.st_mode) + ' ' + QByteArray::number(qint64(st.st_size)) + ' '
                             + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.'
                             + QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' '
                             + QByteArray::number(quint64(st.st_ino)));
    }
}

QMap<QByteArray, QByteArray> Snapshot(const QByteArray &root)
{
    QMap<QByteArray, QByteArray> out;
    Snapshot(root, out);
    return out;
}

// The temporary folders' own clean-up cannot see names that are not UTF-8.
void RemoveContents(const QByteArray &root)
{
    for (const QByteArray &name : Entries(root)) {
        const QByteArray path = root + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            ::chmod(path.constData(), 0755);
            RemoveContents(path);
            ::rmdir(path.constData());
        } else {
            ::unlink(path.constData());
        }
    }
}

ino_t InodeOf(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 ? st.st_ino : 0;
}

// The default output: path, size, time and why the file is listed.
struct Line
{
    QByteArray path;
    std::int64_t size = -1;
    QByteArray time;
    QByteArray reason;
};

bool ParseLines(const QByteArray &out, QList<Line> &lines)
{
    for (const QByteArray &text : out.split('\n')) {
        if (text.isEmpty())
            continue;
        const QList<QByteArray> fields = text.split('\t');
        if (fields.size() != 4)
            return false;
        Line line;
        if (!UnescapePath(fields[0], line.path))
            return false;
        bool ok = false;
        line.size = fields[1].toLongLong(&ok);
        if (!ok)
            return false;
        line.time = fields[2];
        if (!UnescapePath(fields[3], line.reason) || line.reason.isEmpty())
            return false;
        lines.append(line);
    }
    return true;
}

QSet<QByteArray> PathsOf(const QList<Line> &lines)
{
    QSet<QByteArray> paths;
    for (const Line &line : lines)
        paths.insert(line.path);
    return paths;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void expressListsWhatTheWizardLists();
    void csvFormatMatchesTheSavedList();
    void customListsWhatTheWizardLists();
    void timeCriteriaTakeWholeDays();
    void print0RoundTripsAwkwardNames();
    void sortOrdersTheWholeList();
    void summaryGoesToStandardError();
    void unreadableFolderIsCountedAndSaid();
    void progressOnlyOnATerminal();
    void saveThenDeleteRemovesExactlyTheListedFiles();
    void linesRemovedFromTheListAreLeftAlone();
    void fileReplacedAfterTheScanSurvivesDelete();
    void folderSwappedForALinkIsNotFollowed();
    void secondDeleteReportsEveryFileGone();
    void goneFileIsNotJudgedByWhoeverHoldsItsInodeNow();
    void dryRunsTouchNothing();
    void moveAndZipRunTheWizardsSteps();
    void badInputChangesNothing_data();
    void badInputChangesNothing();
    void saveReplacesOnlyAnEarlierList();
    void outputThatCannotBeWrittenIsAFailure();
    void programNeedsNoGuiLibraries();

private:
    void MakeTree();
    QSet<QByteArray> ExpressPaths() const;
    QByteArray SaveList(const QStringList &criteria = {});
    QStringList Drive() const { return {Arg(m_drive->root())}; }

    std::unique_ptr<TempDrive> m_drive;
    std::unique_ptr<QTemporaryDir> m_lists; // lists live outside the drive
};

void TestCli::init()
{
    m_drive = std::make_unique<TempDrive>();
    m_lists = std::make_unique<QTemporaryDir>();
    QVERIFY(m_drive->isValid() && m_lists->isValid());
    MakeTree();
}

void TestCli::cleanup()
{
    if (m_drive)
        RemoveContents(m_drive->root());
    m_drive.reset();
    m_lists.reset();
}

void TestCli::MakeTree()
{
    QVERIFY(MakeExpressTree(*m_drive));
}

QSet<QByteArray> TestCli::ExpressPaths() const
{
    return ExpressTreePaths(*m_drive);
}

QByteArray TestCli::SaveList(const QStringList &criteria)
{
    const QByteArray list = QFile::encodeName(m_lists->filePath(QStringLiteral("files.list")));
    const Run run = RunCli(QStringList{QStringLiteral("scan"), QStringLiteral("--save"), Arg(list)} + criteria + Drive());
    if (run.exitCode != 0)
        return {};
    return list;
}

void TestCli::expressListsWhatTheWizardLists()
{
    const Run run = RunCli(QStringList{QStringLiteral("scan")} + Drive());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray()); // not a terminal: no progress line
    QList<Line> lines;
    QVERIFY2(ParseLines(run.out, lines), run.out.constData());
    QCOMPARE(lines.size(), ExpressPaths().size()); // each file once
    QCOMPARE(PathsOf(lines), ExpressPaths());
    static const QRegularExpression iso(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$)"));
    for (const Line &line : lines) {
        struct stat st;
        QCOMPARE(::lstat(line.path.constData(), &st), 0);
        QCOMPARE(line.size, std::int64_t(st.st_size));
        QVERIFY2(iso.match(QString::fromLatin1(line.time)).hasMatch(), line.time.constData());
        const QDateTime shown = QDateTime::fromString(QString::fromLatin1(line.time), Qt::ISODate);
        QCOMPARE(shown.toSecsSinceEpoch(), qint64(st.st_mtim.tv_sec));
    }
    // The explicit flag gives the same list.
    QCOMPARE(RunCli(QStringList{QStringLiteral("scan"), QStringLiteral("--express")} + Drive()).out.size(),
             run.out.size());
}

void TestCli::csvFormatMatchesTheSavedList()
{
    const Run lines = RunCli(QStringList{"scan"} + Drive());
    QList<Line> expected;
    QVERIFY(ParseLines(lines.out, expected));
    QMap<QByteArray, QByteArray> reasonOf;
    for (const Line &line : expected)
        reasonOf.insert(line.path, line.reason);

    for (const QStringList &extra : {QStringList{}, QStringList{"--sort", "reason"}}) {
        const Run run = RunCli(QStringList{"scan", "--format", "csv"} + extra + Drive());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith(
            "file,folder,size,allocated,created,modified,accessed,reason,checked,frees_min,frees_max\r\n"));
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import csv, io, json, sys\n"
                                     "t = io.TextIOWrapper(sys.stdin.buffer, encoding='utf-8', newline='')\n"
                                     "json.dump(list(csv.reader(t, strict=True)), sys.stdout)\n")});
        QVERIFY(python.waitForStarted(10000));
        python.write(run.out);
        python.closeWriteChannel();
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(python.exitCode(), 0);
        const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QCOMPARE(rows.size(), qsizetype(expected.size()) + 1);
        QSet<QByteArray> paths;
        QStringList reasons;
        for (qsizetype r = 1; r < rows.size(); ++r) {
            const QJsonArray row = rows[r].toArray();
            QCOMPARE(row.size(), qsizetype(11));
            QByteArray name;
            QByteArray folder;
            QVERIFY(UnescapePath(row[0].toString().toUtf8(), name));
            QVERIFY(UnescapePath(row[1].toString().toUtf8(), folder));
            const QByteArray path = folder + '/' + name;
            paths.insert(path);
            struct stat st;
            QCOMPARE(::lstat(path.constData(), &st), 0);
            QCOMPARE(row[2].toString().toLongLong(), qint64(st.st_size));
            QCOMPARE(row[7].toString().toUtf8(), reasonOf.value(path));
            QCOMPARE(row[8].toString(), QStringLiteral("1"));
            // Nothing shared on this file system: alone, each frees its blocks.
            QCOMPARE(row[9].toString(), row[3].toString());
            QCOMPARE(row[10].toString(), row[3].toString());
            QVERIFY(row[5].toString().endsWith(QLatin1Char('Z')));
            reasons << row[7].toString();
        }
        QCOMPARE(paths, ExpressPaths());
        if (!extra.isEmpty()) {
            for (qsizetype i = 1; i < reasons.size(); ++i)
                QVERIFY(reasons[i - 1].compare(reasons[i], Qt::CaseInsensitive) <= 0);
        }
    }
    QCOMPARE(RunCli(QStringList{"scan", "--format", "csv", "--print0"} + Drive()).exitCode, 2);
    QCOMPARE(RunCli(QStringList{"scan", "--format", "xml"} + Drive()).exitCode, 2);
}

void TestCli::customListsWhatTheWizardLists()
{
    // Extension txt, larger than 1 KB (1000 bytes): the wizard lists these two.
    Run run = RunCli(QStringList{"scan", "--ext", "txt", "--size", "larger", "1"} + Drive());
    QCOMPARE(run.exitCode, 0);
    QList<Line> lines;
    QVERIFY(ParseLines(run.out, lines));
    QCOMPARE(PathsOf(lines), QSet<QByteArray>({m_drive->path("Temp/one.txt"), m_drive->path("docs/big.txt")}));

    // Location patterns replace the defaults; every folder on the path counts,
    // a folder merely starting with the pattern does not.
    run = RunCli(QStringList{"scan", "--location", "temp", "--location", "cache"} + Drive());
    lines.clear();
    QVERIFY(ParseLines(run.out, lines));
    QCOMPARE(PathsOf(lines), QSet<QByteArray>({m_drive->path("Temp/one.txt"), m_drive->path("Temp/deep/two.bin"),
                                               m_drive->path("Cache/five")}));

    // Name is matched without the last extension; several criteria must all hold.
    run = RunCli(QStringList{"scan", "--name", "a.tar", "--name", "THREE", "--size", "between", "0", "1"} + Drive());
    lines.clear();
    QVERIFY(ParseLines(run.out, lines));
    QCOMPARE(PathsOf(lines), QSet<QByteArray>({m_drive->path("docs/a.tar.gz"), m_drive->path("docs/three.tmp")}));

    run = RunCli(QStringList{"scan", "--ext", "gz"} + Drive());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray()); // a.tar.gz has the extension tar.gz
}

void TestCli::timeCriteriaTakeWholeDays()
{
    const std::time_t lateOnTheDay = QDateTime(QDate(2001, 1, 1), QTime(23, 59, 59)).toSecsSinceEpoch();
    const std::time_t nextDay = QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0)).toSecsSinceEpoch();
    QVERIFY(m_drive->setTimes("docs/keep.txt", lateOnTheDay, lateOnTheDay));
    QVERIFY(m_drive->setTimes("docs/big.txt", nextDay, nextDay));
    QList<Line> lines;
    Run run = RunCli(QStringList{"scan", "--modified", "older", "2001-01-01"} + Drive());
    QVERIFY(ParseLines(run.out, lines));
    QCOMPARE(PathsOf(lines), QSet<QByteArray>({m_drive->path("docs/keep.txt")}));
    run = RunCli(QStringList{"scan", "--modified", "between", "2001-01-01", "2001-01-02"} + Drive());
    lines.clear();
    QVERIFY(ParseLines(run.out, lines));
    QCOMPARE(PathsOf(lines), QSet<QByteArray>({m_drive->path("docs/keep.txt"), m_drive->path("docs/big.txt")}));
    run = RunCli(QStringList{"scan", "--accessed", "between", "2001-01-02", "2001-01-02"} + Drive());
    lines.clear();
    QVERIFY(ParseLines(run.out, lines));
    QCOMPARE(PathsOf(lines), QSet<QByteArray>({m_drive->path("docs/big.txt")}));
}

void TestCli::print0RoundTripsAwkwardNames()
{
    const QList<QByteArray> names = {"new\nline", "tab\there", "bad\xff\xfe", "back\\slash\\n", "-dash",
                                     " lead", "trail ", "esc\x1b[31m", "\xc3\xa9t\xc3\xa9", "cr\r"};
    QSet<QByteArray> expected = ExpressPaths();
    for (const QByteArray &name : names) {
        QVERIFY(m_drive->makeFile("Temp/" + name, 3));
        expected.insert(m_drive->path("Temp/" + name));
    }
    const Run run = RunCli(QStringList{"scan", "--print0"} + Drive());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.endsWith('\0'));
    QList<QByteArray> paths = run.out.split('\0');
    paths.removeLast();
    QCOMPARE(paths.size(), expected.size());
    QCOMPARE(QSet<QByteArray>(paths.cbegin(), paths.cend()), expected);

    // The lines say the same, one per file, with no raw control byte in them.
    const Run text = RunCli(QStringList{"scan"} + Drive());
    QList<Line> lines;
    QVERIFY(ParseLines(text.out, lines));
    QCOMPARE(PathsOf(lines), expected);
    QCOMPARE(text.out.count('\n'), expected.size());
    for (char c : text.out)
        QVERIFY(c == '\n' || c == '\t' || std::uint8_t(c) >= 0x20);
}

void TestCli::sortOrdersTheWholeList()
{
    QVERIFY(m_drive->makeFile("Temp/Alpha", 9));
    QVERIFY(m_drive->makeFile("Temp/deep/beta", 9));
    QList<Line> lines;
    QVERIFY(ParseLines(RunCli(QStringList{"scan", "--sort", "size"} + Drive()).out, lines));
    QCOMPARE(lines.size(), ExpressPaths().size() + 2);
    for (int i = 1; i < lines.size(); ++i)
        QVERIFY(lines[i - 1].size <= lines[i].size);
    QList<Line> reversed;
    QVERIFY(ParseLines(RunCli(QStringList{"scan", "--sort", "size", "--reverse"} + Drive()).out, reversed));
    QCOMPARE(reversed.size(), lines.size());
    for (int i = 1; i < reversed.size(); ++i)
        QVERIFY(reversed[i - 1].size >= reversed[i].size);

    // By name, case ignored, whatever folder the file is in.
    QList<Line> byName;
    QVERIFY(ParseLines(RunCli(QStringList{"scan", "--sort", "file"} + Drive()).out, byName));
    QStringList names;
    for (const Line &line : byName)
        names.append(QString::fromUtf8(line.path.mid(line.path.lastIndexOf('/') + 1)).toCaseFolded());
    QStringList sortedNames = names;
    std::sort(sortedNames.begin(), sortedNames.end());
    QCOMPARE(names, sortedNames);
    QCOMPARE(names.first(), QStringLiteral("alpha"));

    // Files of one folder stay together when sorted by location.
    QList<Line> byFolder;
    QVERIFY(ParseLines(RunCli(QStringList{"scan", "--sort", "location"} + Drive()).out, byFolder));
    QSet<QByteArray> finished;
    QByteArray current;
    for (const Line &line : byFolder) {
        const QByteArray folder = line.path.left(line.path.lastIndexOf('/'));
        if (folder != current) {
            QVERIFY2(!finished.contains(folder), folder.constData());
            finished.insert(current);
            current = folder;
        }
    }
}

void TestCli::summaryGoesToStandardError()
{
    const Run run = RunCli(QStringList{"scan", "--summary", "--print0"} + Drive());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.count('\0'), ExpressPaths().size()); // the list is still written
    const QString err = QString::fromUtf8(run.err);
    // 1500 + 2048 + 100 + 5000 + 0 + 30 + 8 (the link) bytes, as the results page shows them.
    QVERIFY2(err.contains(QStringLiteral("Selected : 8.48 KB in 7 files")), qPrintable(err));
    QVERIFY(err.contains(QStringLiteral("Files listed : 7 (8686 bytes)")));
    QVERIFY(err.contains(QStringLiteral("Files examined : 11")));
    QVERIFY(err.contains(QStringLiteral("Folders that could not be read : 0")));
    QVERIFY(err.contains(QStringLiteral("Protected files left out : 0")));
    QVERIFY(QRegularExpression(QStringLiteral("Current Free Space : \\d")).match(err).hasMatch());
}

void TestCli::unreadableFolderIsCountedAndSaid()
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty() || ::geteuid() != 0)
        QSKIP("needs root and setpriv to run the program as another user");
    QVERIFY(m_drive->makeFile("Temp/locked/hidden.tmp", 1));
    QCOMPARE(::chmod(m_drive->root().constData(), 0755), 0);
    // Folders the other user may write, so that it may remove what it lists
    // (it is not offered what it may not remove), all but the locked one.
    QDirIterator folders(QFile::decodeName(m_drive->root()), QDir::Dirs | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (folders.hasNext())
        QCOMPARE(::chmod(QFile::encodeName(folders.next()).constData(), 0777), 0);
    QCOMPARE(::chmod(m_drive->path("Temp/locked").constData(), 0700), 0);
    const Run run = RunProcess(setpriv, QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                                    QStringLiteral(BV_CLI_PATH), "scan", "--summary"}
                                            + Drive());
    // The list is whole but for the folder: listed, and said by the status.
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("Folders that could not be read : 1"), run.err.constData());
    QList<Line> lines;
    QVERIFY(ParseLines(run.out, lines));
    QCOMPARE(PathsOf(lines), ExpressPaths());
}

void TestCli::progressOnlyOnATerminal()
{
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("needs script(1) to give the program a terminal");
    // Inside script standard error is a terminal; the list itself goes to a file.
    const QString listing = m_lists->filePath(QStringLiteral("out.txt"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("xterm"));
    process.setProcessEnvironment(environment);
    process.start(script, {"-qec",
                           QStringLiteral("'%1' scan '%2' > '%3'").arg(QStringLiteral(BV_CLI_PATH), Arg(m_drive->root()), listing),
                           "/dev/null"});
    QVERIFY(process.waitForFinished(60000));
    const QByteArray terminal = process.readAllStandardOutput();
    QVERIFY2(terminal.contains("files examined"), terminal.constData());
    QVERIFY(terminal.contains("11 files examined, 7 matches"));
    QVERIFY(terminal.contains('\r'));
    QCOMPARE(ReadFile(QFile::encodeName(listing)).count('\n'), ExpressPaths().size());
    // Not a terminal: nothing but the list (checked in the Express test too).
    QCOMPARE(RunCli(QStringList{"scan"} + Drive()).err, QByteArray());
}

void TestCli::saveThenDeleteRemovesExactlyTheListedFiles()
{
    const QMap<QByteArray, QByteArray> before = Snapshot(m_drive->root());
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    QCOMPARE(Snapshot(m_drive->root()), before); // a scan changes nothing

    const Run run = RunCli({"delete", Arg(list)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QMap<QByteArray, QByteArray> expected = before;
    for (const QByteArray &path : ExpressPaths())
        expected.remove(path);
    // The folder its files left empty goes too; Temp, the folder that listed them, stays.
    expected.remove(m_drive->path("Temp/deep"));
    QCOMPARE(Snapshot(m_drive->root()), expected);
    QVERIFY(Exists(m_drive->path("docs/keep.txt"))); // the link went, not its target
}

void TestCli::linesRemovedFromTheListAreLeftAlone()
{
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    QByteArray text = ReadFile(list);
    const QByteArray kept = m_drive->path("docs/four.LOG");
    const qsizetype start = text.indexOf(kept + '\t');
    QVERIFY(start > 0);
    text.remove(start, text.indexOf('\n', start) + 1 - start);
    QVERIFY(WriteFile(list, text));
    QCOMPARE(RunCli({"delete", Arg(list)}).exitCode, 0);
    QVERIFY(Exists(kept));
    QVERIFY(!Exists(m_drive->path("docs/three.tmp")));
}

void TestCli::fileReplacedAfterTheScanSurvivesDelete()
{
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    // Saved again under the same name with the same size: the file system
    // usually hands the freed inode straight to the newcomer.
    const QByteArray replaced = m_drive->path("docs/four.LOG");
    const ino_t oldInode = InodeOf(replaced);
    QCOMPARE(::unlink(replaced.constData()), 0);
    QVERIFY(m_drive->makeFile("docs/four.LOG", 5000));
    // Usually true on ext4; the test holds either way, but only a reused
    // inode shows that the whole identity is compared.
    if (InodeOf(replaced) != oldInode)
        qInfo("the inode was not reused this time");

    // The dry run already tells the newcomer apart and changes nothing.
    const QMap<QByteArray, QByteArray> before = Snapshot(m_drive->root());
    const Run dry = RunCli({"delete", "--dry-run", Arg(list)});
    QCOMPARE(dry.exitCode, 1);
    QVERIFY2(dry.err.contains(EscapePath(replaced) + ": changed since the scan"), dry.err.constData());
    QVERIFY(!dry.out.contains(EscapePath(replaced)));
    QCOMPARE(Snapshot(m_drive->root()), before);

    const Run run = RunCli({"delete", Arg(list)});
    // With the inode handed on, only a delete that compares the whole
    // identity (type, size, nanosecond times) leaves the newcomer alone.
    QVERIFY(Exists(replaced));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(EscapePath(replaced) + ": changed since the scan"), run.err.constData());
    for (const QByteArray &path : ExpressPaths()) {
        if (path != replaced)
            QVERIFY2(!Exists(path), path.constData());
    }
}

void TestCli::folderSwappedForALinkIsNotFollowed()
{
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    // The same files, reached through a link where their folder was.
    const QByteArray docs = m_drive->path("docs");
    const QByteArray moved = m_drive->path("elsewhere");
    QCOMPARE(::rename(docs.constData(), moved.constData()), 0);
    QCOMPARE(::symlink("elsewhere", docs.constData()), 0);
    const QList<QByteArray> behindLink = {"three.tmp", "four.LOG", "bad\xff.tmp", "seven.bak"};

    const Run dry = RunCli({"delete", "--dry-run", Arg(list)});
    QCOMPARE(dry.exitCode, 1);
    QVERIFY(!dry.out.contains(EscapePath(docs)));
    QCOMPARE(dry.err.count(": changed since the scan"), behindLink.size());

    const Run run = RunCli({"delete", Arg(list)});
    QCOMPARE(run.exitCode, 1);
    for (const QByteArray &name : behindLink)
        QVERIFY2(Exists(moved + '/' + name), name.constData());
    QVERIFY(!Exists(m_drive->path("Temp/one.txt")));
    QVERIFY(!Exists(m_drive->path("Cache/five")));
}

void TestCli::secondDeleteReportsEveryFileGone()
{
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    QCOMPARE(RunCli({"delete", Arg(list)}).exitCode, 0);
    const Run again = RunCli({"delete", Arg(list)});
    QCOMPARE(again.exitCode, 1);
    for (const QByteArray &path : ExpressPaths())
        QVERIFY2(again.err.contains(EscapePath(path) + ": no longer exists"), again.err.constData());
}

void TestCli::goneFileIsNotJudgedByWhoeverHoldsItsInodeNow()
{
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    const QByteArray gone = m_drive->path("Temp/one.txt");
    struct stat listed;
    QCOMPARE(::lstat(gone.constData(), &listed), 0);
    QCOMPARE(::unlink(gone.constData()), 0);
    // File systems soon hand a freed inode number out again.
    QByteArray reused;
    for (int i = 0; i < 500 && reused.isEmpty(); ++i) {
        const QByteArray candidate = m_drive->path("held" + QByteArray::number(i));
        QVERIFY(m_drive->makeFile(candidate.mid(m_drive->root().size() + 1), 10));
        struct stat made;
        if (::lstat(candidate.constData(), &made) == 0 && made.st_ino == listed.st_ino)
            reused = candidate;
    }
    if (reused.isEmpty())
        QSKIP("the file system did not hand the freed inode number out again");
    // Another program holds the file that now has the listed inode number:
    // the listed file is still reported gone, not protected as in use.
    OpenFileHolder holder(reused);
    QVERIFY(holder.isHolding());
    const Run dry = RunCli({"delete", "--dry-run", Arg(list)});
    QVERIFY2(dry.err.contains(EscapePath(gone) + ": no longer exists"), dry.err.constData());
    const Run run = RunCli({"delete", Arg(list)});
    QVERIFY2(run.err.contains(EscapePath(gone) + ": no longer exists"), run.err.constData());
    QVERIFY(::access(reused.constData(), F_OK) == 0);
}

void TestCli::dryRunsTouchNothing()
{
    QVERIFY(m_drive->makeFile("Temp/deep/one.txt", 7)); // a second one.txt for a name clash
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    QTemporaryDir dest;
    QVERIFY(dest.isValid());
    const QByteArray destRoot = QFile::encodeName(dest.path());
    const QMap<QByteArray, QByteArray> before = Snapshot(m_drive->root());

    const Run del = RunCli({"delete", "--dry-run", Arg(list)});
    QCOMPARE(del.exitCode, 0);
    QCOMPARE(del.out.count('\n'), ExpressPaths().size() + 1);
    QVERIFY(del.out.contains("delete\t" + EscapePath(m_drive->path("docs/bad\xff.tmp")) + '\n'));

    const Run keepPath = RunCli({"move", "--dry-run", "--preserve-path", Arg(list), Arg(destRoot)});
    QCOMPARE(keepPath.exitCode, 0);
    QVERIFY2(keepPath.out.contains("move\t" + m_drive->path("Temp/deep/two.bin") + '\t' + destRoot + "/Temp/deep/two.bin\n"),
             keepPath.out.constData());

    // Flat: the two one.txt would meet; the one visited second is reported.
    const Run flat = RunCli({"move", "--dry-run", Arg(list), Arg(destRoot)});
    QCOMPARE(flat.exitCode, 1);
    QCOMPARE(flat.out.count(destRoot + "/one.txt\n"), 1);
    QVERIFY2(flat.err.contains(": the destination already exists"), flat.err.constData());

    const QByteArray archive = destRoot + "/Back-up.zip";
    const Run zip = RunCli({"zip", "--dry-run", Arg(list), Arg(archive)});
    QCOMPARE(zip.exitCode, 0);
    QCOMPARE(zip.out.count('\t' + archive + '\n'), ExpressPaths().size() + 1);

    QCOMPARE(Snapshot(m_drive->root()), before);
    QCOMPARE(Snapshot(destRoot).size(), 0);
}

void TestCli::moveAndZipRunTheWizardsSteps()
{
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    QTemporaryDir dest;
    const QMap<QByteArray, QByteArray> before = Snapshot(m_drive->root());

    // Zip goes through the wizard's plug-in: every listed file is stored and
    // none is changed.
    const QString archive = dest.filePath(QStringLiteral("a.zip"));
    Run run = RunCli({"zip", Arg(list), archive});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(Snapshot(m_drive->root()), before);
    // Names may hold newlines: count the entries, not the lines.
    QProcess reader;
    reader.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                                 "assert z.testzip() is None; print(len(z.infolist()))"),
                  archive});
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.exitCode(), 0);
    QCOMPARE(reader.readAllStandardOutput().trimmed().toInt(), int(ExpressPaths().size()));

    // Move with the folders rebuilt below the destination: every listed
    // file leaves the drive and arrives with its bytes.
    const QByteArray target = QFile::encodeName(dest.filePath(QStringLiteral("moved")));
    QCOMPARE(::mkdir(target.constData(), 0755), 0);
    run = RunCli({"move", "--preserve-path", Arg(list), Arg(target)});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray root = m_drive->root();
    for (const QByteArray &path : ExpressPaths()) {
        QVERIFY2(!Exists(path), path.constData());
        const QByteArray arrived = target + path.mid(root.size());
        QVERIFY2(Exists(arrived), arrived.constData());
        QCOMPARE(Snapshot(arrived.left(arrived.lastIndexOf('/'))).value(arrived),
                 before.value(path));
    }
}

void TestCli::badInputChangesNothing_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind :
         {"unknown option", "missing argument", "date not real", "date form", "size fraction", "size negative",
          "size out of range", "size between one value", "size between at the end", "date between one value",
          "drive missing", "drive is a file", "no drive", "list missing", "list is a folder", "list truncated",
          "list cut mid-line", "list nonsense", "list line edited", "list other version", "list root differs",
          "list names a file twice", "archive listed", "archive a link to a listed file", "archive folder missing",
          "archive not a zip", "archive not a zip, dry run", "archive a pipe", "list a pipe", "move folder missing", "move folder is a file",
          "save folder missing"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestCli::badInputChangesNothing()
{
    QFETCH(QString, kind);
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    const QByteArray listText = ReadFile(list);
    const QString drive = Arg(m_drive->root());
    const QString listArg = Arg(list);
    const QByteArray listed = m_drive->path("docs/four.LOG");
    const QByteArray damaged = QFile::encodeName(m_lists->filePath(QStringLiteral("damaged.list")));
    bool written = true;
    auto damage = [&](const QByteArray &text) {
        written = written && WriteFile(damaged, text);
        return Arg(damaged);
    };

    QTemporaryDir pipes;
    QStringList args;
    if (kind == "unknown option") args = {"scan", "--quick", drive};
    else if (kind == "missing argument") args = {"scan", drive, "--name"};
    else if (kind == "date not real") args = {"scan", "--created", "older", "2023-02-30", drive};
    else if (kind == "date form") args = {"scan", "--modified", "recent", "07/12/2026", drive};
    else if (kind == "size fraction") args = {"scan", "--size", "larger", "1.5", drive};
    else if (kind == "size negative") args = {"scan", "--size", "less", "-1", drive};
    else if (kind == "size out of range") args = {"scan", "--size", "less", "2147483648", drive};
    else if (kind == "size between one value") args = {"scan", "--size", "between", "5", drive};
    else if (kind == "size between at the end") args = {"scan", drive, "--size", "between", "5"};
    else if (kind == "date between one value") args = {"scan", "--accessed", "between", "2024-01-01", drive};
    else if (kind == "drive missing") args = {"scan", drive + "/nowhere"};
    else if (kind == "drive is a file") args = {"scan", drive + "/docs/keep.txt"};
    else if (kind == "no drive") args = {"scan", "--summary"};
    else if (kind == "list missing") args = {"delete", m_lists->filePath("none.list")};
    else if (kind == "list is a folder") args = {"delete", m_lists->path()};
    else if (kind == "list truncated") args = {"delete", damage(listText.left(listText.lastIndexOf("end\n")))};
    else if (kind == "list cut mid-line") args = {"delete", damage(listText.left(listText.size() / 2))};
    else if (kind == "list nonsense") args = {"delete", damage("brimvale-list\t1\nroot\t" + m_drive->root() + "\nrm -rf /\nend\n")};
    else if (kind == "list line edited") args = {"delete", damage(QByteArray(listText).replace("\tfile\t", "\tfile\tx"))};
    else if (kind == "list other version") args = {"delete", damage(QByteArray(listText).replace("brimvale-list\t1", "brimvale-list\t99"))};
    else if (kind == "list root differs")
        args = {"delete", damage(QByteArray(listText).replace("root\t" + m_drive->root(), "root\t" + m_drive->path("docs")))};
    else if (kind == "list names a file twice") {
        const qsizetype start = listText.indexOf('\n', listText.indexOf("root\t")) + 1;
        const QByteArray first = listText.mid(start, listText.indexOf('\n', start) + 1 - start);
        args = {"delete", damage(QByteArray(listText).replace("end\n", first + "end\n"))};
    }
    else if (kind == "archive listed") args = {"zip", listArg, Arg(listed)};
    else if (kind == "archive a link to a listed file") {
        const QByteArray link = QFile::encodeName(m_lists->filePath(QStringLiteral("backup.zip")));
        QCOMPARE(::symlink(listed.constData(), link.constData()), 0);
        args = {"zip", listArg, Arg(link)};
    }
    else if (kind == "archive folder missing") args = {"zip", listArg, m_lists->filePath("no/such/a.zip")};
    else if (kind.startsWith("archive not a zip")) {
        written = WriteFile(QFile::encodeName(m_lists->filePath(QStringLiteral("notes.zip"))), "my notes\n");
        args = {"zip", listArg, m_lists->filePath("notes.zip")};
        if (kind.endsWith("dry run"))
            args.insert(1, "--dry-run");
    }
    // Pipes live apart: a snapshot would wait on them.
    else if (kind == "archive a pipe" || kind == "list a pipe") {
        const QByteArray pipe = QFile::encodeName(pipes.filePath(QStringLiteral("fifo")));
        QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
        args = kind == "list a pipe" ? QStringList{"delete", Arg(pipe)} : QStringList{"zip", listArg, Arg(pipe)};
    }
    else if (kind == "move folder missing") args = {"move", listArg, m_lists->filePath("nowhere")};
    else if (kind == "move folder is a file") args = {"move", listArg, Arg(listed)};
    else if (kind == "save folder missing") args = {"scan", "--save", m_lists->filePath("no/such.list"), drive};
    QVERIFY2(!args.isEmpty(), qPrintable(kind));
    QVERIFY(written);

    const QMap<QByteArray, QByteArray> drive0 = Snapshot(m_drive->root());
    const QMap<QByteArray, QByteArray> lists0 = Snapshot(QFile::encodeName(m_lists->path()));
    const Run run = RunCli(args);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QVERIFY(run.err.startsWith("brimvale-cli: "));
    if (kind.startsWith("archive not a zip") || kind == "archive a pipe") {
        QVERIFY2(run.err.contains("not a zip archive"), run.err.constData());
        QCOMPARE(run.err.count('\n'), 1); // said once, not once per file
    }
    QCOMPARE(Snapshot(m_drive->root()), drive0);
    QCOMPARE(Snapshot(QFile::encodeName(m_lists->path())), lists0);
}

void TestCli::saveReplacesOnlyAnEarlierList()
{
    // A user's file named by mistake stays as it was, and no scan runs.
    const QByteArray mine = m_drive->path("docs/keep.txt");
    const QByteArray content = ReadFile(mine);
    Run run = RunCli(QStringList{"scan", "--save", Arg(mine)} + Drive());
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(ReadFile(mine), content);

    // An earlier list is replaced whole, by the new scan's files.
    const QByteArray list = SaveList();
    QVERIFY(!list.isEmpty());
    QVERIFY(ReadFile(list).contains(EscapePath(m_drive->path("docs/four.LOG"))));
    QVERIFY(!SaveList({"--ext", "tar.gz"}).isEmpty());
    const QByteArray text = ReadFile(list);
    QVERIFY(text.contains(EscapePath(m_drive->path("docs/a.tar.gz"))));
    QVERIFY(!text.contains(EscapePath(m_drive->path("docs/four.LOG"))));
    QCOMPARE(Snapshot(QFile::encodeName(m_lists->path())).size(), 1); // no temporary file left beside it
}

void TestCli::outputThatCannotBeWrittenIsAFailure()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("needs /dev/full to make standard output fail");
    const QByteArray list = QFile::encodeName(m_lists->filePath(QStringLiteral("files.list")));
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(BV_CLI_PATH), QStringList{"scan", "--save", Arg(list)} + Drive());
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardError().contains("cannot write the output"));
    // The list does not depend on standard output and is still whole.
    QVERIFY(ReadFile(list).endsWith("\nend\n"));
}

void TestCli::programNeedsNoGuiLibraries()
{
    const QString ldd = QStandardPaths::findExecutable(QStringLiteral("ldd"));
    if (ldd.isEmpty())
        QSKIP("needs ldd to read the program's libraries");
    QProcess process;
    process.start(ldd, {QStringLiteral(BV_CLI_PATH)});
    QVERIFY(process.waitForFinished(30000));
    const QByteArray libraries = process.readAllStandardOutput();
    QVERIFY(libraries.contains("libQt6Core"));
    QVERIFY2(!libraries.contains("libQt6Gui") && !libraries.contains("libQt6Widgets"), libraries.constData());
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
