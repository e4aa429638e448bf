// A killed action hides nothing and leaves nothing partial: every action is
// run in a child killed with SIGKILL at a random (seeded) moment, and after
// the start-up recovery every file is at its own place or complete at its
// destination, never both, with no hidden or temporary name left. Also: the
// recovery's own rules on hand-made journals, every start of brimvale-cli
// running it, and a refused Move that leaves its source folder untouched.
#include "RawFiles.h"
#include "ChildProcess.h"
#include "CrashHarness.h"

#include "core/CMoveStep.h"
#include "platform/CActionJournal.h"
#include "platform/CFileMover.h"
#include "platform/CJournalRecovery.h"
#include "platform/CSetAsideEntry.h"
#include "platform/FileIdentity.h"
#include "platform/JournalRecord.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 30;
constexpr int kFiles = 200;

FileIdentity IdentityOf(const QByteArray &path)
{
    struct statx st;
    if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return FileIdentity();
    return FileIdentity::FromStatx(st);
}

int OpenFolder(const QByteArray &path)
{
    return ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Writes a journal by hand, as a process that died would have left it.
void WriteJournal(const QByteArray &stateFolder, const QList<JournalRecord> &records, int lockFd = -1)
{
    QDir().mkpath(QString::fromLocal8Bit(stateFolder));
    QByteArray text;
    for (const JournalRecord &record : records)
        text += record.Encode();
    QFile file(QString::fromLocal8Bit(stateFolder + "/journal-1-test"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    if (lockFd >= 0)
        Q_UNUSED(lockFd);
}

JournalRecord FolderRecord(char kind, int ticket, const QByteArray &folder)
{
    JournalRecord record;
    record.kind = kind;
    record.ticket = ticket;
    record.folder = folder;
    struct stat info {};
    ::stat(folder.constData(), &info);
    record.folderDevice = info.st_dev;
    record.folderInode = info.st_ino;
    return record;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void killedActionsLeaveEveryFileAccountedFor_data();
    void killedActionsLeaveEveryFileAccountedFor();
    void recoveryRules();
    void everyCliStartRecovers();
    void refusedMoveLeavesSourceFolderAlone();

private:
    QTemporaryDir m_base;
    QByteArray m_state; // $XDG_STATE_HOME
    QByteArray m_work;  // where the files are made
    QByteArray m_other; // another file system
    bool m_bMounted = false;
    QByteArray m_stateFolder;
};

void TestCrashSafety::initTestCase()
{
    QVERIFY(m_base.isValid());
    const QByteArray base = QFile::encodeName(m_base.path());
    // Two file systems of the test's own: two tmpfs in a mount namespace,
    // where flushing costs nothing (bench_crash runs on the real disks).
    // Without a namespace, the temporary folder and /dev/shm.
    QByteArray why;
    m_bMounted = EnterPrivateMountNamespace(why) && ::mount("none", base.constData(), "tmpfs", 0, "size=256m") == 0;
    QVERIFY(::mkdir((base + "/state").constData(), 0700) == 0 && ::mkdir((base + "/work").constData(), 0700) == 0
            && ::mkdir((base + "/other").constData(), 0700) == 0);
    m_state = base + "/state";
    m_work = base + "/work";
    m_other = base + "/other";
    if (!m_bMounted || ::mount("none", m_other.constData(), "tmpfs", 0, "size=256m") != 0) {
        m_other = QByteArray("/dev/shm/bv-crash-") + QByteArray::number(::getpid());
        QVERIFY(::mkdir(m_other.constData(), 0700) == 0);
    }
    // The journals go to a folder of the test's own, never the user's.
    qputenv("XDG_STATE_HOME", m_state);
    m_stateFolder = CActionJournal::StateFolder();
    QCOMPARE(m_stateFolder, m_state + "/brimvale");
}

void TestCrashSafety::cleanupTestCase()
{
    const QByteArray base = QFile::encodeName(m_base.path());
    if (!m_other.startsWith(base))
        QDir(QString::fromLocal8Bit(m_other)).removeRecursively();
    if (m_bMounted) {
        ::umount2((base + "/other").constData(), MNT_DETACH);
        ::umount2(base.constData(), MNT_DETACH);
    }
}

void TestCrashSafety::init()
{
    QDir(QString::fromLocal8Bit(m_stateFolder)).removeRecursively();
}

void TestCrashSafety::killedActionsLeaveEveryFileAccountedFor_data()
{
    QTest::addColumn<int>("action");
    for (CrashHarness::Action action : CrashHarness::AllActions())
        QTest::newRow(CrashHarness::Name(action)) << int(action);
}

void TestCrashSafety::killedActionsLeaveEveryFileAccountedFor()
{
    QFETCH(int, action);
    const auto which = CrashHarness::Action(action);
    if (CrashHarness::CrossesFileSystems(which)) {
        struct stat a {}, b {};
        if (::stat(m_work.constData(), &a) != 0 || ::stat(m_other.constData(), &b) != 0 || a.st_dev == b.st_dev)
            QSKIP("no second file system");
    }
    CrashHarness harness(m_work, m_other, BV_PLUGIN_DIR, kFiles, 2800u + std::uint32_t(action));
    int midway = 0;
    QElapsedTimer clock;
    clock.start();
    for (int run = 0; run < kRuns; ++run) {
        const CrashHarness::Outcome outcome = harness.RunOnce(which);
        const QByteArray where = "run " + QByteArray::number(run) + ": " + QByteArray::number(outcome.lost) + " lost, "
                                 + QByteArray::number(outcome.both) + " at both places, "
                                 + QByteArray::number(outcome.hidden) + " hidden, "
                                 + QByteArray::number(outcome.partial) + " partial, "
                                 + QByteArray::number(outcome.strays) + " strays";
        QVERIFY2(outcome.Clean(), where.constData());
        const int done = which == CrashHarness::Action::Compress ? outcome.done : outcome.files - outcome.untouched;
        if (outcome.killed && done > 0 && done < outcome.files)
            ++midway;
    }
    // The kills must have fallen inside the action, not only before or after it.
    QVERIFY2(midway >= kRuns / 3, QByteArray::number(midway).constData());
    QVERIFY(QDir(QString::fromLocal8Bit(m_stateFolder)).entryList(QDir::Files).isEmpty());
    qInfo("%s: %d runs killed midway, %lld ms", CrashHarness::Name(which), midway, qint64(clock.elapsed()));
}

void TestCrashSafety::recoveryRules()
{
    const QByteArray root = m_work + "/rules";
    QDir(QString::fromLocal8Bit(root)).removeRecursively();
    const QByteArray a = root + "/a", b = root + "/b";
    QVERIFY(QDir().mkpath(QString::fromLocal8Bit(a)) && QDir().mkpath(QString::fromLocal8Bit(b)));

    // Set aside, name free: put back. Set aside, name taken: a visible name.
    // Set aside with its copy at the destination: the move is finished.
    // Aside name now holding another file: not ours, left alone.
    QVERIFY(WriteFile(a + "/.bv-aside-1", "one") && WriteFile(a + "/.bv-aside-2", "two") && WriteFile(a + "/taken", "new"));
    QVERIFY(WriteFile(a + "/.bv-aside-3", "three") && WriteFile(b + "/three", "three"));
    QVERIFY(WriteFile(a + "/.bv-aside-4", "foreign"));
    QVERIFY(WriteFile(b + "/.bv-move-x.tmp", "partial") && WriteFile(b + "/.out.zip.0123456789ab.part", "partial"));
    QVERIFY(WriteFile(b + "/.out.zip.notours.part", "user's"));
    QList<JournalRecord> records;
    const auto aside = [&](int ticket, const QByteArray &name, const QByteArray &asideName) {
        JournalRecord record = FolderRecord(JournalRecord::Aside, ticket, a);
        const FileIdentity id = IdentityOf(a + '/' + asideName);
        record.name = name;
        record.other = asideName;
        record.fileDevice = id.device;
        record.fileInode = id.inode + (name == "foreign" ? 1 : 0);
        records.append(record);
    };
    aside(1, "one", ".bv-aside-1");
    aside(2, "taken", ".bv-aside-2");
    aside(3, "three", ".bv-aside-3");
    aside(4, "foreign", ".bv-aside-4");
    JournalRecord arrival = FolderRecord(JournalRecord::Arrival, 5, b);
    arrival.name = "three";
    arrival.fileDevice = IdentityOf(b + "/three").device;
    arrival.fileInode = IdentityOf(b + "/three").inode;
    arrival.ticketRef = 3;
    records.append(arrival);
    JournalRecord temporary = FolderRecord(JournalRecord::Temporary, 6, b);
    temporary.name = ".bv-move-x.tmp";
    records.append(temporary);
    JournalRecord archive = FolderRecord(JournalRecord::Archive, 7, b);
    archive.name = "out.zip";
    records.append(archive);
    // A note cleared before the kill is not acted on.
    QVERIFY(WriteFile(a + "/.bv-aside-8", "eight"));
    aside(8, "eight", ".bv-aside-8");
    JournalRecord cleared;
    cleared.kind = JournalRecord::Cleared;
    cleared.ticket = 9;
    cleared.ticketRef = 8;
    records.append(cleared);
    WriteJournal(m_stateFolder, records);

    // A journal still locked by its (running) process is left alone.
    const QByteArray livePath = m_stateFolder + "/journal-2-live";
    const int live = ::open(livePath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(live >= 0);
    QVERIFY(::flock(live, LOCK_EX) == 0);

    const CJournalRecovery::Report report = CJournalRecovery::Recover();
    QCOMPARE(report.restored, 1);
    QCOMPARE(report.finished, 1);
    QCOMPARE(report.removed, 2);
    QCOMPARE(report.renamed, QList<QByteArray>{a + "/taken (recovered)"});
    QVERIFY(report.left.isEmpty());
    QVERIFY(Exists(a + "/one") && !Exists(a + "/.bv-aside-1"));
    QVERIFY(Exists(a + "/taken (recovered)") && Exists(a + "/taken"));
    QVERIFY(!Exists(a + "/.bv-aside-3") && Exists(b + "/three"));
    QVERIFY(Exists(a + "/.bv-aside-4") && !Exists(a + "/foreign"));
    QVERIFY(Exists(a + "/.bv-aside-8") && !Exists(a + "/eight"));
    QVERIFY(!Exists(b + "/.bv-move-x.tmp") && !Exists(b + "/.out.zip.0123456789ab.part"));
    QVERIFY(Exists(b + "/.out.zip.notours.part"));
    QVERIFY(!Exists(m_stateFolder + "/journal-1-test"));
    QVERIFY(Exists(livePath));
    ::close(live);

    // A folder no longer at its path: the file is reported, the journal kept.
    QVERIFY(WriteFile(a + "/.bv-aside-10", "ten"));
    records.clear();
    aside(10, "ten", ".bv-aside-10");
    QVERIFY(::rename(a.constData(), (root + "/elsewhere").constData()) == 0);
    WriteJournal(m_stateFolder, records);
    const CJournalRecovery::Report lost = CJournalRecovery::Recover();
    QCOMPARE(lost.left, QList<QByteArray>{a + "/.bv-aside-10"});
    QVERIFY(Exists(m_stateFolder + "/journal-1-test"));
}

void TestCrashSafety::everyCliStartRecovers()
{
    const QByteArray root = m_work + "/cli";
    QDir(QString::fromLocal8Bit(root)).removeRecursively();
    QVERIFY(::mkdir(root.constData(), 0700) == 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_STATE_HOME"), QString::fromLocal8Bit(m_state));
    const auto cli = [&](const QStringList &args, QByteArray *err = nullptr) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(BV_CLI_PATH), args);
        process.waitForFinished(30000);
        if (err)
            *err = process.readAllStandardError();
        return process.exitCode();
    };
    // A child sets files aside and dies there, as a killed action would.
    const auto dieAside = [&](const QByteArray &name) {
        QVERIFY(WriteFile(root + '/' + name, "data"));
        const pid_t child = ::fork();
        if (child == 0) {
            const int folder = OpenFolder(root);
            auto *entry = new CSetAsideEntry(folder, name, IdentityOf(root + '/' + name));
            ::_exit(entry->IsHeld() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(!Exists(root + '/' + name));
    };
    const QList<QStringList> commands = {{QStringLiteral("--version")},
                                         {QStringLiteral("delete"), QStringLiteral("/nonexistent-list")},
                                         {QStringLiteral("no-such-command")},
                                         {QStringLiteral("recover")}};
    for (const QStringList &command : commands) {
        const QByteArray name = "file-" + command.first().toUtf8();
        dieAside(name);
        QByteArray err;
        cli(command, &err);
        QVERIFY2(Exists(root + '/' + name), qPrintable(command.join(' ')));
        QVERIFY2(err.contains("1 files put back"), err.constData());
    }
    QByteArray err;
    QCOMPARE(cli({QStringLiteral("recover")}, &err), 0);
    QVERIFY2(err.contains("nothing to put right"), err.constData());
    QCOMPARE(cli({QStringLiteral("recover"), QStringLiteral("extra")}), 2);
}

void TestCrashSafety::refusedMoveLeavesSourceFolderAlone()
{
    const QByteArray root = m_work + "/refused";
    QVERIFY(QDir().mkpath(QString::fromLocal8Bit(root + "/from")) && QDir().mkpath(QString::fromLocal8Bit(root + "/to")));
    QVERIFY(WriteFile(root + "/from/file", "data") && WriteFile(root + "/to/file", "other"));
    // Times a second back, so that any rename in the folder would show.
    const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    QVERIFY(::utimensat(AT_FDCWD, (root + "/from").constData(), past, 0) == 0);
    const FileIdentity before = IdentityOf(root + "/from");
    const int from = OpenFolder(root + "/from"), to = OpenFolder(root + "/to");
    for (bool copy : {false, true}) {
        CFileMover mover;
        mover.SetAlwaysCopy(copy);
        const FileOpResult result = mover.Move(from, "file", IdentityOf(root + "/from/file"), to, "file");
        QCOMPARE(result.code, FileOpCode::Failed);
        QCOMPARE(result.error, EEXIST);
        struct statx st;
        QVERIFY(::statx(AT_FDCWD, (root + "/from").constData(), 0, STATX_MTIME | STATX_CTIME, &st) == 0);
        QCOMPARE(qint64(st.stx_mtime.tv_sec), qint64(1000000000));
        QVERIFY(IdentityOf(root + "/from").SameFile(before));
    }
    ::close(from);
    ::close(to);
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
