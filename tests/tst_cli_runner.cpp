// The one action loop seen from both front ends: the wizard and brimvale-cli
// run the same steps through the core runner and report the same failures,
// in the same order, with the same figures; a Cancel (the progress window's
// button, or SIGINT and SIGTERM for the command line) stops a long copy to
// another file system at once and leaves the file whole where it was.
#include "ChildProcess.h"
#include "CliProcess.h"
#include "ModalWatcher.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"

#include "cli/CCliAction.h"
#include "cli/CCommandLine.h"
#include "controls/CActionProgressDlg.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CFlatPushButton.h"
#include "core/CDeleteStep.h"
#include "core/CFileScan.h"
#include "core/CMoveStep.h"
#include "core/CProtection.h"
#include "core/CResultsModel.h"
#include "results/CActionRun.h"
#include "results/CResultsPage.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kMB = 1024 * 1024;

bool WriteData(const QByteArray &path, std::int64_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // Real blocks, each MB a little different, so that a copy cut short or
    // shifted shows in the bytes.
    QByteArray block(int(kMB), '\0');
    bool ok = true;
    for (std::int64_t done = 0; ok && done < size; done += block.size()) {
        for (int i = 0; i < block.size(); i += 4096)
            block[i] = char(done / kMB + i / 4096);
        const std::size_t want = std::size_t(std::min<std::int64_t>(block.size(), size - done));
        ok = ::write(fd, block.constData(), want) == ssize_t(want);
    }
    return ::close(fd) == 0 && ok;
}

// What shows a file was changed: identity, size and a sample of its bytes.
QByteArray Fingerprint(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return "missing";
    QByteArray print = QByteArray::number(qulonglong(st.st_ino)) + ' ' + QByteArray::number(qlonglong(st.st_size)) + ' '
                       + QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return print + " unreadable";
    for (qint64 at = 0; at < st.st_size; at += 37 * kMB) {
        file.seek(at);
        print += ' ' + file.read(4096).toHex().left(16);
    }
    return print;
}

// Names in `folder`, hidden ones too.
QList<QByteArray> Entries(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        ::closedir(dir);
    }
    return names;
}

QByteArray SaveList(const QByteArray &root, const QByteArray &list)
{
    const ProcessRun run = RunCli({QStringLiteral("scan"), QStringLiteral("--save"), QFile::decodeName(list),
                                   QFile::decodeName(root)});
    return run.exitCode == 0 ? QByteArray() : run.err + " (scan failed)";
}

// Express lists everything below Temp. After the scan one file goes, one is
// written anew under its old name, and one folder becomes a link to itself
// moved away: three refusals of three kinds, among files dealt with.
void MakeTree(TempDrive &drive)
{
    const QList<QPair<QByteArray, std::int64_t>> files = {
        {"Temp/a.tmp", 1000},       {"Temp/gone.tmp", 2000},     {"Temp/sub/b.tmp", 50000},
        {"Temp/sub/c.tmp", 7000},   {"Temp/swapped.tmp", 3000},  {"Temp/z/d.tmp", 120000},
        {"Temp/z/e.tmp", 10},
    };
    for (const auto &[path, size] : files)
        QVERIFY(drive.makeFolder(path.left(path.lastIndexOf('/'))) && WriteData(drive.path(path), size));
}

void Mishaps(TempDrive &drive)
{
    QCOMPARE(::unlink(drive.path("Temp/gone.tmp").constData()), 0);
    // Written beside it and renamed over it, so that the new file can never be
    // given the old one's inode number: whether a file system reuses it at once
    // would decide between two refusals otherwise.
    QVERIFY(WriteData(drive.path("Temp/swapped.new"), 3000));
    QCOMPARE(::rename(drive.path("Temp/swapped.new").constData(), drive.path("Temp/swapped.tmp").constData()), 0);
    QCOMPARE(::rename(drive.path("Temp/sub").constData(), drive.path("elsewhere").constData()), 0);
    QCOMPARE(::symlink(drive.path("elsewhere").constData(), drive.path("Temp/sub").constData()), 0);
}

// An outcome with its paths made relative to the drive, for comparing two drives.
QStringList Describe(const ActionOutcome &outcome, const QByteArray &root)
{
    QStringList lines;
    for (const FailedFile &failed : outcome.failures)
        lines << QString::fromUtf8(failed.path.mid(root.size())) + QLatin1Char(' ') + QString::number(int(failed.result.code));
    lines << QStringLiteral("done %1 of %2, measured %3, cancelled %4")
                 .arg(outcome.done)
                 .arg(outcome.total)
                 .arg(outcome.measured)
                 .arg(outcome.cancelled);
    return lines;
}

} // namespace

class TestCliRunner : public QObject
{
    Q_OBJECT

private slots:
    // First: its forked child paints, and a fork keeps none of the painting
    // threads an earlier test may have started, only their records.
    void cancelStopsALongCopyAndLeavesTheFileWhole();
    void wizardAndCommandLineReportTheSame_data();
    void wizardAndCommandLineReportTheSame();
};

void TestCliRunner::wizardAndCommandLineReportTheSame_data()
{
    QTest::addColumn<bool>("move");
    QTest::newRow("delete") << false;
    QTest::newRow("move") << true;
}

void TestCliRunner::wizardAndCommandLineReportTheSame()
{
    QFETCH(bool, move);
    TempDrive wizardDrive;
    TempDrive cliDrive;
    QTemporaryDir lists;
    QVERIFY(wizardDrive.isValid() && cliDrive.isValid() && lists.isValid());
    MakeTree(wizardDrive);
    MakeTree(cliDrive);
    QVERIFY(wizardDrive.makeFolder("to") && cliDrive.makeFolder("to"));
    const auto makeStep = [move](const CResultStore &store, const QByteArray &root) -> std::unique_ptr<CActionStep> {
        if (move)
            return std::make_unique<CMoveStep>(store, root, root + "/to", false);
        return std::make_unique<CDeleteStep>(store, root);
    };

    // The wizard: its scan, the mishaps, the action, its failed-files dialog.
    CFileScan scan;
    std::unique_ptr<CResultsPage> page = ShowResultsPage(scan, wizardDrive.root());
    QVERIFY(ScanToEnd(*page));
    QCOMPARE(page->GetModel()->rowCount(), 7);
    Mishaps(wizardDrive);
    QObject answers;
    int failedDialogRows = -1;
    AnswerModal<CFailedFilesDlg>(&answers, [&failedDialogRows](CFailedFilesDlg *dlg) {
        failedDialogRows = int(dlg->GetFailedFiles().size());
        dlg->reject();
    });
    std::unique_ptr<CActionStep> wizardStep = makeStep(page->GetModel()->GetStore(), page->GetScannedDrive());
    const ActionOutcome wizard = CActionRun(*page).Run(*wizardStep);

    // The command line: its saved list, the same mishaps, the same step.
    const QByteArray list = QFile::encodeName(lists.filePath(QStringLiteral("files.list")));
    QCOMPARE(SaveList(cliDrive.root(), list), QByteArray());
    Mishaps(cliDrive);
    CliRequest request;
    request.command = move ? CliRequest::Move : CliRequest::Delete;
    request.listPath = list;
    request.folder = cliDrive.path("to");
    CCliAction action(request);
    QVERIFY(action.Prepare());
    const std::unique_ptr<CProtection> protection = CProtection::ForDrive(action.GetRoot());
    protection->Load();
    std::unique_ptr<CActionStep> cliStep = makeStep(action.GetStore(), action.GetRoot());
    const ActionOutcome cli = action.RunStep(*cliStep, protection.get());

    const QStringList wizardLines = Describe(wizard, wizardDrive.root());
    const QStringList cliLines = Describe(cli, cliDrive.root());
    QCOMPARE(cliLines, wizardLines);
    // The files refused: a folder's files come in the walk's order, so only
    // their set is fixed here; the order is the one both runs share.
    QStringList failed;
    for (const FailedFile &file : wizard.failures)
        failed << QString::fromUtf8(file.path.mid(wizardDrive.root().size()));
    std::sort(failed.begin(), failed.end());
    QCOMPARE(failed, QStringList({"/Temp/gone.tmp", "/Temp/sub/b.tmp", "/Temp/sub/c.tmp", "/Temp/swapped.tmp"}));
    QCOMPARE(wizard.done, 3);
    QVERIFY(wizard.measured && cli.measured);
    // Deleting frees the files' blocks; a move within one file system frees
    // nothing. (A list read back carries no allocation, so only the wizard
    // forecasts.)
    QCOMPARE(wizard.forecastFreedBytes > 0, !move);
    // The wizard lists what failed, and only that.
    QCOMPARE(failedDialogRows, 4);
    const CResultsModel &model = *page->GetModel();
    QCOMPARE(model.rowCount(), 4);
    // Last row first: the failures come in the reverse of the list's order.
    QStringList lastFirst;
    for (int row = model.rowCount() - 1; row >= 0; --row)
        lastFirst << QString::fromUtf8(model.GetStore().GetPath(model.GetItem(row)).mid(wizardDrive.root().size()));
    QStringList met;
    for (const FailedFile &file : wizard.failures)
        met << QString::fromUtf8(file.path.mid(wizardDrive.root().size()));
    QCOMPARE(met, lastFirst);
}

void TestCliRunner::cancelStopsALongCopyAndLeavesTheFileWhole()
{
    TempDrive drive;
    TempDrive target;
    QTemporaryDir lists;
    QVERIFY(drive.isValid() && target.isValid() && lists.isValid());
    // Large enough that the copy takes a good fraction of a second even
    // from the page cache, small enough to write quickly once.
    constexpr std::int64_t kSize = 512 * kMB;
    const QByteArray big = drive.path("Temp/big.tmp");
    QVERIFY(drive.makeFolder("Temp") && WriteData(big, kSize));
    const QByteArray before = Fingerprint(big);
    const QByteArray list = QFile::encodeName(lists.filePath(QStringLiteral("files.list")));
    QCOMPARE(SaveList(drive.root(), list), QByteArray());
    const QByteArray mountPoint = target.root();

    const ChildOutput child = RunInChild([&](QByteArray &out) {
        QByteArray why;
        if (!EnterPrivateMountNamespace(why)) {
            out = why;
            return kSkipCode;
        }
        if (::mount("none", mountPoint.constData(), "tmpfs", 0, "size=1g") != 0) {
            out = "cannot mount a tmpfs in a private mount namespace: " + QByteArray(strerror(errno));
            return kSkipCode;
        }

        // The wizard: Cancel pressed while the window shows the bytes copied.
        CFileScan scan;
        std::unique_ptr<CResultsPage> page = ShowResultsPage(scan, drive.root());
        if (!ScanToEnd(*page) || page->GetModel()->rowCount() != 1) {
            out = "the scan did not list the file";
            return 1;
        }
        QElapsedTimer clock;
        qint64 cancelledAt = -1;
        QTimer watcher;
        watcher.setInterval(2);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *dlg = qobject_cast<CActionProgressDlg *>(widget);
                if (dlg && dlg->isVisible() && cancelledAt < 0 && dlg->GetStatusStatic()->text().contains(" of ")) {
                    cancelledAt = clock.elapsed();
                    dlg->GetCancelButton()->click();
                }
            }
        });
        watcher.start();
        clock.start();
        CMoveStep step(page->GetModel()->GetStore(), page->GetScannedDrive(), mountPoint, false);
        const ActionOutcome outcome = CActionRun(*page).Run(step);
        const qint64 stoppedAfter = clock.elapsed() - cancelledAt;
        watcher.stop();
        out += "wizard " + QByteArray::number(cancelledAt >= 0) + ' ' + QByteArray::number(stoppedAfter < 1000) + ' '
               + QByteArray::number(outcome.cancelled) + ' ' + QByteArray::number(outcome.done) + ' '
               + QByteArray::number(outcome.GetFailedCount()) + ' ' + QByteArray::number(page->GetModel()->rowCount())
               + ' ' + QByteArray::number(page->GetModel()->GetCheck(0)) + ' '
               + QByteArray::number(int(Entries(mountPoint).size())) + ' ' + QByteArray::number(Fingerprint(big) == before)
               + '\n';

        // The command line: the same move stopped by each signal.
        for (const int signal : {SIGINT, SIGTERM}) {
            int errPipe[2];
            if (::pipe2(errPipe, O_CLOEXEC) != 0)
                return 1;
            struct statvfs empty;
            ::statvfs(mountPoint.constData(), &empty);
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::dup2(errPipe[1], 2);
                ::execl(BV_CLI_PATH, BV_CLI_PATH, "move", list.constData(), mountPoint.constData(), nullptr);
                ::_exit(127);
            }
            ::close(errPipe[1]);
            // Signalled once the copy has taken room on the tmpfs.
            bool copying = false;
            for (int i = 0; i < 20000 && !copying; ++i) {
                struct statvfs now;
                copying = ::statvfs(mountPoint.constData(), &now) == 0 && now.f_bfree + 256 < empty.f_bfree;
                if (!copying)
                    ::usleep(500);
            }
            QElapsedTimer stopClock;
            stopClock.start();
            ::kill(pid, signal);
            int status = 0;
            ::waitpid(pid, &status, 0);
            const qint64 stopMs = stopClock.elapsed();
            QByteArray err;
            char buffer[4096];
            ssize_t n;
            while ((n = ::read(errPipe[0], buffer, sizeof buffer)) > 0)
                err.append(buffer, n);
            ::close(errPipe[0]);
            out += "cli " + QByteArray::number(copying) + ' ' + QByteArray::number(stopMs < 1000) + ' '
                   + QByteArray::number(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ' '
                   + QByteArray::number(err.contains("move: cancelled; 0 done, 0 failed")) + ' '
                   + QByteArray::number(int(Entries(mountPoint).size())) + ' '
                   + QByteArray::number(Fingerprint(big) == before) + '\n';
        }
        return 0;
    });
    if (child.exitCode == kSkipCode)
        QSKIP(child.text.constData());
    QCOMPARE(child.exitCode, 0);
    // Pressed while the bytes showed, stopped within a second, nothing done
    // or failed, the row still listed and checked, nothing at the
    // destination, the file as it was.
    const QList<QByteArray> lines = child.text.split('\n');
    QCOMPARE(lines.value(0), QByteArray("wizard 1 1 1 0 0 1 1 0 1"));
    // Each signal: seen mid-copy, stopped within a second with 128 + its
    // number, said so, and left everything as it was.
    QCOMPARE(lines.value(1), QByteArray("cli 1 1 130 1 0 1"));
    QCOMPARE(lines.value(2), QByteArray("cli 1 1 143 1 0 1"));
    QCOMPARE(Fingerprint(big), before);
}

QTEST_MAIN(TestCliRunner)
#include "tst_cli_runner.moc"
