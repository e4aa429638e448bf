#include <QtTest>

#include "RawFiles.h"
#include "TempDrive.h"
#include "platform/CFileDeleter.h"
#include "platform/CVerifiedEntry.h"
#include "core/CDeleteStep.h"
#include "core/CEliminateStep.h"
#include "core/CResultStore.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Identity = FileIdentity;

// What the walk would have recorded for the path.
Identity Scan(const QByteArray &path)
{
    struct statx info;
    if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return {};
    return FileIdentity::FromStatx(info);
}

FileOpResult DeleteScanned(const TempDrive &drive, const QByteArray &path, const Identity &id)
{
    return CFileDeleter().Delete(drive.root(), path, id);
}

constexpr uid_t kNobody = 65534;

// Runs the delete in a child process that has become user 65534, since root
// ignores the permission bits under test. False when that user cannot be
// taken on (no privilege to switch): the caller skips.
bool DeleteAsNobody(const QByteArray &root, const QByteArray &path, const Identity &id, FileOpResult &result)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::close(channel[0]);
        int answer[3] = {0, 0, 0};
        if (::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0
            && ::setresuid(kNobody, kNobody, kNobody) == 0) {
            const FileOpResult outcome = CFileDeleter().Delete(root, path, id);
            answer[0] = 1;
            answer[1] = int(outcome.code);
            answer[2] = outcome.error;
        }
        [[maybe_unused]] const auto written = ::write(channel[1], answer, sizeof answer);
        ::_exit(0);
    }
    ::close(channel[1]);
    int answer[3] = {0, 0, 0};
    const bool read = ::read(channel[0], answer, sizeof answer) == sizeof answer;
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    if (!read || answer[0] != 1)
        return false;
    result = FileOpResult::Make(FileOpCode(answer[1]), answer[2]);
    return true;
}

} // namespace

class TestDelete : public QObject
{
    Q_OBJECT
private slots:
    void deletesTheListedFileWhateverItsName_data()
    {
        QTest::addColumn<QByteArray>("relative");
        QTest::newRow("plain, in a sub-folder") << QByteArray("a/b/plain.tmp");
        QTest::newRow("in the root") << QByteArray("top.log");
        QTest::newRow("invalid UTF-8") << QByteArray("bad\xff\xfe.tmp");
        QTest::newRow("newline") << QByteArray("line\nbreak.tmp");
        QTest::newRow("leading dash") << QByteArray("-rf");
        QTest::newRow("folder with invalid UTF-8") << QByteArray("dir\xc3(/x.tmp");
    }
    void deletesTheListedFileWhateverItsName()
    {
        QFETCH(QByteArray, relative);
        TempDrive drive;
        QVERIFY(drive.makeFile(relative, 10));
        const QByteArray path = drive.path(relative);
        QVERIFY(DeleteScanned(drive, path, Scan(path)).ok());
        QVERIFY(!Exists(path));
        // The temporary folder's own clean-up skips names that are not UTF-8.
        const int slash = relative.lastIndexOf('/');
        if (slash > 0)
            ::rmdir(drive.path(relative.left(slash)).constData());
    }

    void readOnlyFileInWritableFolderGoesWithoutModeChange()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("keep/readonly.txt", 3));
        QVERIFY(drive.makeFile("keep/other.txt", 3));
        const QByteArray path = drive.path("keep/readonly.txt");
        QCOMPARE(::chmod(path.constData(), 0444), 0);
        QVERIFY(DeleteScanned(drive, path, Scan(path)).ok());
        QVERIFY(!Exists(path));
        QVERIFY(Exists(drive.path("keep/other.txt")));
    }

    void listedSymlinkGoesButNotItsTarget()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("target.bin", 5));
        QVERIFY(drive.makeSymlink("link.bin", drive.path("target.bin")));
        const QByteArray link = drive.path("link.bin");
        QVERIFY(DeleteScanned(drive, link, Scan(link)).ok());
        QVERIFY(!Exists(link));
        QVERIFY(Exists(drive.path("target.bin")));
    }

    void fileChangedSinceTheScanSurvives()
    {
        TempDrive drive;
        TempDrive outside;
        QVERIFY(outside.makeFile("precious.doc", 7));
        QVERIFY(drive.makeFile("f/by-file.tmp", 1));
        QVERIFY(drive.makeFile("f/by-link.tmp", 1));
        const QByteArray byFile = drive.path("f/by-file.tmp");
        const QByteArray byLink = drive.path("f/by-link.tmp");
        const Identity fileId = Scan(byFile);
        const Identity linkId = Scan(byLink);

        // Another file under the same name: new inode. The old one is kept
        // open meanwhile so that its inode number cannot be reused at once.
        const int keepOld = ::open(byFile.constData(), O_RDONLY | O_CLOEXEC);
        QCOMPARE(::unlink(byFile.constData()), 0);
        QVERIFY(drive.makeFile("f/by-file.tmp", 2));
        QCOMPARE(DeleteScanned(drive, byFile, fileId).code, FileOpCode::Replaced);
        QVERIFY(Exists(byFile));
        ::close(keepOld);

        QCOMPARE(::unlink(byLink.constData()), 0);
        QVERIFY(drive.makeSymlink("f/by-link.tmp", outside.path("precious.doc")));
        QCOMPARE(DeleteScanned(drive, byLink, linkId).code, FileOpCode::Replaced);
        QVERIFY(Exists(byLink));
        QVERIFY(Exists(outside.path("precious.doc")));
    }

    void fileOrFolderRemovedByOthersIsReportedGone()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("x/gone.tmp", 1));
        QVERIFY(drive.makeFile("y/z/deep.tmp", 1));
        const QByteArray gone = drive.path("x/gone.tmp");
        const QByteArray deep = drive.path("y/z/deep.tmp");
        const Identity goneId = Scan(gone);
        const Identity deepId = Scan(deep);
        QCOMPARE(::unlink(gone.constData()), 0);
        QCOMPARE(::unlink(deep.constData()), 0);
        QCOMPARE(::rmdir(drive.path("y/z").constData()), 0);
        QCOMPARE(DeleteScanned(drive, gone, goneId).code, FileOpCode::Gone);
        QCOMPARE(DeleteScanned(drive, deep, deepId).code, FileOpCode::Gone);
    }

    void nothingIsDeletedThroughAFolderReplacedByALink()
    {
        TempDrive drive;
        TempDrive outside;
        QVERIFY(drive.makeFile("cache/sub/victim.dat", 4));
        const QByteArray path = drive.path("cache/sub/victim.dat");
        const Identity id = Scan(path);
        // The folder moves away and a link to its new place takes its name:
        // the same file is reachable through the link, but not deleted.
        QCOMPARE(::rename(drive.path("cache").constData(), outside.path("moved").constData()), 0);
        QVERIFY(drive.makeSymlink("cache", outside.path("moved")));
        const FileOpResult result = DeleteScanned(drive, path, id);
        QCOMPARE(result.code, FileOpCode::Replaced);
        QVERIFY(Exists(outside.path("moved/sub/victim.dat")));
    }

    void pathsOutsideTheDriveAreRefused()
    {
        TempDrive drive;
        TempDrive other;
        QVERIFY(other.makeFile("elsewhere.tmp", 1));
        QVERIFY(drive.makeFile("a/inside.tmp", 1));
        const QByteArray elsewhere = other.path("elsewhere.tmp");
        QCOMPARE(DeleteScanned(drive, elsewhere, Scan(elsewhere)).code, FileOpCode::Failed);
        const QByteArray climbing = drive.path("a/../a/inside.tmp");
        QCOMPARE(DeleteScanned(drive, climbing, Scan(drive.path("a/inside.tmp"))).code, FileOpCode::Failed);
        // A root spelled with a trailing slash is the same root.
        QCOMPARE(CFileDeleter().Delete(drive.root() + "/", elsewhere, FileIdentity()).code, FileOpCode::Failed);
        QVERIFY(Exists(elsewhere));
        QVERIFY(Exists(drive.path("a/inside.tmp")));
    }

    void splitsPathsBelowTheRoot()
    {
        QByteArray folder, name;
        QVERIFY(CVerifiedEntry::SplitBelowRoot("/", "/etc/x", folder, name));
        QCOMPARE(folder, QByteArray("etc"));
        QCOMPARE(name, QByteArray("x"));
        QVERIFY(CVerifiedEntry::SplitBelowRoot("/mnt/data/", "/mnt/data/top", folder, name));
        QCOMPARE(folder, QByteArray());
        QCOMPARE(name, QByteArray("top"));
        QVERIFY(!CVerifiedEntry::SplitBelowRoot("/mnt/data", "/mnt/database/x", folder, name));
        QVERIFY(!CVerifiedEntry::SplitBelowRoot("/mnt/data", "/mnt/data", folder, name));
        QVERIFY(!CVerifiedEntry::SplitBelowRoot("/mnt/data", "/mnt/data/a/..", folder, name));
    }

    void fileInAFolderTheUserCannotWriteStays()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("locked/file.tmp", 1));
        QVERIFY(drive.makeFile("open/file.tmp", 1));
        QCOMPARE(::chmod(drive.root().constData(), 0755), 0);
        QCOMPARE(::chmod(drive.path("locked").constData(), 0555), 0);
        QCOMPARE(::chmod(drive.path("open").constData(), 0777), 0);
        const QByteArray locked = drive.path("locked/file.tmp");
        const QByteArray open = drive.path("open/file.tmp");

        FileOpResult lockedResult, openResult;
        if (::geteuid() != 0) {
            lockedResult = DeleteScanned(drive, locked, Scan(locked));
            openResult = DeleteScanned(drive, open, Scan(open));
        } else if (!DeleteAsNobody(drive.root(), locked, Scan(locked), lockedResult)
                   || !DeleteAsNobody(drive.root(), open, Scan(open), openResult)) {
            ::chmod(drive.path("locked").constData(), 0755);
            QSKIP("running as root and unable to switch to user 65534: the unwritable folder cannot be tested");
        }
        ::chmod(drive.path("locked").constData(), 0755);
        QCOMPARE(lockedResult.code, FileOpCode::Permission);
        QVERIFY(Exists(locked));
        // The same user can delete in a folder it may write: the refusal above
        // came from the folder's mode, not from the switch of user.
        QVERIFY(openResult.ok());
        QVERIFY(!Exists(open));
    }

    void stepsReachFilesThroughTheirResultIndex()
    {
        TempDrive drive;
        CResultStore store;
        const QList<QByteArray> names = {"first.tmp", "second.tmp", "third.tmp"};
        for (const QByteArray &name : names) {
            QVERIFY(drive.makeFile("found/" + name, 1));
            WalkRecord record;
            record.folder = drive.path("found");
            record.name = name;
            const Identity id = Scan(drive.path("found/" + name));
            record.device = id.device;
            record.inode = id.inode;
            record.identity = id;
            store.AddResult(record);
        }
        CEliminateStep eliminate;
        QVERIFY(eliminate.Run(0).ok());
        QVERIFY(!eliminate.ChangesDisk());
        QVERIFY(Exists(drive.path("found/first.tmp")));

        CDeleteStep step(store, drive.root());
        QVERIFY(step.ChangesDisk());
        QVERIFY(step.Run(1).ok());
        QVERIFY(!Exists(drive.path("found/second.tmp")));
        QVERIFY(Exists(drive.path("found/first.tmp")));
        QVERIFY(Exists(drive.path("found/third.tmp")));
        QCOMPARE(step.Run(1).code, FileOpCode::Gone);
        QCOMPARE(step.Run(3).code, FileOpCode::Failed);
        QCOMPARE(step.Run(-1).code, FileOpCode::Failed);
    }

    void immutableFileStays()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("pinned.sys", 1));
        const QByteArray path = drive.path("pinned.sys");
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
            ::close(fd);
            QSKIP("this file system keeps no inode flags: an immutable file cannot be made");
        }
        const int plain = flags;
        flags |= FS_IMMUTABLE_FL;
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) {
            ::close(fd);
            QSKIP("no privilege to mark a file immutable here");
        }
        const FileOpResult result = DeleteScanned(drive, path, Scan(path));
        ::ioctl(fd, FS_IOC_SETFLAGS, &plain);
        ::close(fd);
        QCOMPARE(result.code, FileOpCode::Permission);
        QVERIFY(Exists(path));
    }
};

QTEST_GUILESS_MAIN(TestDelete)
#include "tst_delete.moc"
