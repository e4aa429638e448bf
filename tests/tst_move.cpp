#include "ScanIntoStore.h"
#include <QtTest>

#include "RawFiles.h"
#include "ChildProcess.h"
#include "TempDrive.h"
#include "core/CMoveStep.h"
#include "core/CResultStore.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CreatePath.h"
#include "res/ResourceIds.h"

#include <QTemporaryDir>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// Moving listed files: the folder path the user types, where each file
// lands, and that a failed move leaves the source as it was and nothing at
// the destination, on one file system and across two.

namespace {

int IndexOf(const CResultStore &store, const QByteArray &name)
{
    for (int i = 0; i < store.GetCount(); ++i) {
        if (store.GetPaths().GetName(i) == name)
            return i;
    }
    return -1;
}

bool IsFolder(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Moves every listed file with `step`, returning the names that failed.
QList<QByteArray> MoveAll(CMoveStep &step, const CResultStore &store)
{
    QList<QByteArray> failed;
    for (int i = store.GetCount() - 1; i >= 0; --i) {
        if (!step.Run(i).ok())
            failed.append(store.GetPaths().GetName(i));
    }
    return failed;
}

// What is wrong, if anything, with `name` in `folder` against the file it
// was before a refused move: the same inode, the same bytes, alone there.
QByteArray LeftInPlace(const QByteArray &folder, const QByteArray &name, ino_t inode, const QByteArray &data)
{
    struct stat after;
    if (::lstat((folder + '/' + name).constData(), &after) != 0)
        return "gone from its folder";
    if (after.st_ino != inode)
        return "another file in its place";
    if (ReadFile(folder + '/' + name) != data)
        return "its bytes changed";
    const QList<QByteArray> entries = Entries(folder);
    if (entries != QList<QByteArray>{name})
        return "its folder holds: " + entries.join(' ');
    return {};
}

} // namespace

class TestMove : public QObject
{
    Q_OBJECT

private slots:
    void createPathMakesEveryMissingLevel_data()
    {
        QTest::addColumn<QByteArray>("relative");
        QTest::newRow("no trailing slash") << QByteArray("a/b/c");
        QTest::newRow("trailing slash") << QByteArray("a/b/c/");
        QTest::newRow("doubled slashes") << QByteArray("a//b///c");
    }
    void createPathMakesEveryMissingLevel()
    {
        QFETCH(QByteArray, relative);
        TempDrive drive;
        char before[4096];
        QVERIFY(::getcwd(before, sizeof before));
        QVERIFY(CreatePath(drive.root() + "/" + relative));
        QVERIFY(IsFolder(drive.path("a/b/c")));
        // Existing levels are fine a second time.
        QVERIFY(CreatePath(drive.root() + "/" + relative));
        char after[4096];
        QVERIFY(::getcwd(after, sizeof after));
        QCOMPARE(QByteArray(after), QByteArray(before));
    }

    void createPathRefusesWhatIsNoFolderPath()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("file"));
        QVERIFY(!CreatePath(""));
        QVERIFY(!CreatePath("relative/path"));
        QVERIFY(!CreatePath("./x"));
        QVERIFY(!CreatePath("C:\\Backup"));
        // A level that is a file, and one below it.
        QVERIFY(!CreatePath(drive.path("file")));
        QVERIFY(!CreatePath(drive.path("file/below")));
        QVERIFY(!Exists(drive.path("file/below")));
    }

    void createPathRefusesAFolderTheUserCannotEnterOrWrite()
    {
        TempDrive drive;
        QCOMPARE(::chmod(drive.root().constData(), 0755), 0);
        const QList<QPair<QByteArray, mode_t>> folders{{"closed", 0700}, {"readonly", 0555}, {"open", 0777}};
        for (const auto &[name, mode] : folders) {
            QVERIFY(drive.makeFolder(name));
            QCOMPARE(::chmod(drive.path(name).constData(), mode), 0);
        }
        const QList<QPair<QByteArray, bool>> cases{{"closed", false}, {"closed/below", false}, {"readonly", false},
                                                   {"readonly/new", false}, {"open", true}, {"open/new", true}};
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0
                || ::setresuid(65534, 65534, 65534) != 0) {
                out = "cannot become uid 65534";
                return kSkipCode;
            }
            for (const auto &[relative, usable] : cases) {
                if (CreatePath(drive.path(relative)) != usable)
                    out += relative + (usable ? " refused; " : " accepted; ");
            }
            return out.isEmpty() ? 0 : 1;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QVERIFY2(child.exitCode == 0, child.text.constData());
        QVERIFY(IsFolder(drive.path("open/new")));
        QVERIFY(!Exists(drive.path("readonly/new")));
    }

    void createPathFollowsTypedLinksButNotMadeOnes()
    {
        TempDrive drive;
        QVERIFY(drive.makeFolder("real"));
        QVERIFY(drive.makeSymlink("link", drive.path("real")));
        QVERIFY(CreatePath(drive.path("link/new")));
        QVERIFY(IsFolder(drive.path("real/new")));
        // A link to a file in the typed path is no folder.
        QVERIFY(drive.makeFile("f"));
        QVERIFY(drive.makeSymlink("flink", drive.path("f")));
        QVERIFY(!CreatePath(drive.path("flink/x")));
    }

    void destinationPaths_data()
    {
        QTest::addColumn<QByteArray>("destination");
        QTest::addColumn<QByteArray>("driveRoot");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<bool>("preserve");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("mount") << QByteArray("/backup") << QByteArray("/mnt/data")
                               << QByteArray("/mnt/data/a/b/x.tmp") << true << QByteArray("/backup/a/b/x.tmp");
        QTest::newRow("mount with slash") << QByteArray("/backup/") << QByteArray("/mnt/data/")
                                          << QByteArray("/mnt/data/a/b/x.tmp") << true
                                          << QByteArray("/backup/a/b/x.tmp");
        QTest::newRow("root drive") << QByteArray("/backup") << QByteArray("/") << QByteArray("/home/u/x.tmp")
                                    << true << QByteArray("/backup/home/u/x.tmp");
        QTest::newRow("file in drive root") << QByteArray("/backup") << QByteArray("/mnt/data")
                                            << QByteArray("/mnt/data/x.tmp") << true << QByteArray("/backup/x.tmp");
        QTest::newRow("to the root") << QByteArray("/") << QByteArray("/mnt/data")
                                     << QByteArray("/mnt/data/a/x.tmp") << true << QByteArray("/a/x.tmp");
        QTest::newRow("flat") << QByteArray("/backup") << QByteArray("/") << QByteArray("/home/u/x.tmp") << false
                              << QByteArray("/backup/x.tmp");
    }
    void destinationPaths()
    {
        QFETCH(QByteArray, destination);
        QFETCH(QByteArray, driveRoot);
        QFETCH(QByteArray, source);
        QFETCH(bool, preserve);
        QFETCH(QByteArray, expected);
        QCOMPARE(CMoveStep::DestinationPath(destination, driveRoot, source, preserve), expected);
    }

    void movesWithinOneFileSystem()
    {
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a/b"));
        QVERIFY(WriteFile(drive.path("a/b/x.tmp"), "payload"));
        const QByteArray badName("bad\xff\xfe name.tmp");
        QVERIFY(WriteFile(drive.path("a/" + badName), "latin"));
        QVERIFY(drive.makeSymlink("a/link.tmp", "../elsewhere"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        QCOMPARE(store.GetCount(), 3);
        struct stat before;
        QVERIFY(::lstat(drive.path("a/b/x.tmp").constData(), &before) == 0);
        CMoveStep step(store, drive.root(), target.root(), false);
        QCOMPARE(step.GetStatusTextId(), IDS_MOVING);
        QCOMPARE(step.GetFailedMessageId(), IDS_MOVE_FAILED);
        QVERIFY(MoveAll(step, store).isEmpty());
        QCOMPARE(Entries(target.root()), (QList<QByteArray>{badName, "link.tmp", "x.tmp"}));
        struct stat after;
        QVERIFY(::lstat(target.path("x.tmp").constData(), &after) == 0);
        QCOMPARE(after.st_ino, before.st_ino); // renamed, not copied
        QCOMPARE(ReadFile(target.path(badName)), QByteArray("latin"));
        // The temporary folder's own clean-up cannot see such a name.
        ::unlink(target.path(badName).constData());
        QVERIFY(Entries(drive.path("a/b")).isEmpty());
        QVERIFY(Entries(drive.path("a")) == QList<QByteArray>{"b"});
    }

    void preservePathRebuildsTheChain()
    {
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a/b"));
        QVERIFY(WriteFile(drive.path("a/b/x.tmp"), "deep"));
        QVERIFY(WriteFile(drive.path("top.tmp"), "top"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        CMoveStep step(store, drive.root(), target.root() + "/", true);
        QVERIFY(MoveAll(step, store).isEmpty());
        QCOMPARE(ReadFile(target.path("a/b/x.tmp")), QByteArray("deep"));
        // A file in the drive root lands straight in the chosen folder.
        QCOMPARE(ReadFile(target.path("top.tmp")), QByteArray("top"));
        QCOMPARE(Entries(target.root()), (QList<QByteArray>{"a", "top.tmp"}));
    }

    void failedPreservedMoveRemovesOnlyTheFoldersMadeForIt()
    {
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a/b/c"));
        QVERIFY(WriteFile(drive.path("a/b/c/x.tmp"), "source"));
        QVERIFY(WriteFile(drive.path("a/b/c/y.tmp"), "other"));
        // "a" exists and is empty at the destination, "a/b/c" will be made;
        // a clash on y.tmp is prepared in another branch.
        QVERIFY(target.makeFolder("a"));
        CResultStore store;
        WalkIntoStore(store, drive.root(), {"x.tmp"});
        QCOMPARE(store.GetCount(), 1);
        // Make the move fail after the folders exist: the file changes.
        QVERIFY(WriteFile(drive.path("a/b/c/x.tmp"), "changed after the scan"));
        CMoveStep step(store, drive.root(), target.root(), true);
        QVERIFY(!step.Run(0).ok());
        QCOMPARE(ReadFile(drive.path("a/b/c/x.tmp")), QByteArray("changed after the scan"));
        // b and c were made for the file and go; a was there before and stays.
        QVERIFY(IsFolder(target.path("a")));
        QVERIFY(Entries(target.path("a")).isEmpty());
        QVERIFY(IsFolder(target.root()));
    }

    void failedPreservedMoveToAFreshChosenFolderKeepsIt()
    {
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a/b"));
        QVERIFY(WriteFile(drive.path("a/b/x.tmp"), "source"));
        QVERIFY(CreatePath(target.path("chosen")));
        QVERIFY(target.makeFolder("chosen/a/b"));
        QVERIFY(WriteFile(target.path("chosen/a/b/x.tmp"), "already there"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        CMoveStep step(store, drive.root(), target.path("chosen"), true);
        QVERIFY(!step.Run(0).ok());
        QCOMPARE(ReadFile(target.path("chosen/a/b/x.tmp")), QByteArray("already there"));
        QCOMPARE(ReadFile(drive.path("a/b/x.tmp")), QByteArray("source"));
        QVERIFY(IsFolder(target.path("chosen")));
    }

    void aClashNeverReplaces()
    {
        TempDrive drive, target;
        QVERIFY(WriteFile(drive.path("x.tmp"), "mine"));
        QVERIFY(WriteFile(target.path("x.tmp"), "theirs"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        for (bool copy : {false, true}) {
            CMoveStep step(store, drive.root(), target.root(), false);
            step.GetMover().SetAlwaysCopy(copy);
            const FileOpResult result = step.Run(0);
            QVERIFY(!result.ok());
            QCOMPARE(result.error, EEXIST);
            QCOMPARE(ReadFile(target.path("x.tmp")), QByteArray("theirs"));
            QCOMPARE(ReadFile(drive.path("x.tmp")), QByteArray("mine"));
            QCOMPARE(Entries(drive.root()), QList<QByteArray>{"x.tmp"});
            QCOMPARE(Entries(target.root()), QList<QByteArray>{"x.tmp"});
        }
    }

    void aMoveOntoItsOwnPlaceIsRefusedAsAlreadyThere_data()
    {
        QTest::addColumn<QByteArray>("destination"); // below the drive root
        QTest::addColumn<bool>("preserve");
        QTest::addColumn<bool>("copy");
        for (bool copy : {false, true}) {
            const QByteArray how = copy ? " (copying)" : "";
            QTest::newRow("own folder" + how) << QByteArray("Temp") << false << copy;
            QTest::newRow("own folder by a link" + how) << QByteArray("alias") << false << copy;
            QTest::newRow("drive root, preserve path" + how) << QByteArray() << true << copy;
        }
    }
    void aMoveOntoItsOwnPlaceIsRefusedAsAlreadyThere()
    {
        QFETCH(QByteArray, destination);
        QFETCH(bool, preserve);
        QFETCH(bool, copy);
        TempDrive drive;
        QVERIFY(drive.makeFolder("Temp"));
        QVERIFY(WriteFile(drive.path("Temp/a.tmp"), "data"));
        QVERIFY(drive.makeSymlink("alias", drive.path("Temp")));
        struct stat before;
        QCOMPARE(::lstat(drive.path("Temp/a.tmp").constData(), &before), 0);
        CResultStore store;
        WalkIntoStore(store, drive.root(), {"a.tmp"});
        QCOMPARE(store.GetCount(), 1);
        CMoveStep step(store, drive.root(), destination.isEmpty() ? drive.root() : drive.path(destination), preserve);
        step.GetMover().SetAlwaysCopy(copy);
        const FileOpResult result = step.Run(0);
        QCOMPARE(int(result.code), int(FileOpCode::AlreadyThere));
        QCOMPARE(LeftInPlace(drive.path("Temp"), "a.tmp", before.st_ino, "data"), QByteArray());
        QVERIFY(step.TakeRecord()->IsEmpty());
    }

    void sameNamedFilesFirstVisitedWins()
    {
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("one"));
        QVERIFY(drive.makeFolder("two"));
        QVERIFY(WriteFile(drive.path("one/x.tmp"), "one"));
        QVERIFY(WriteFile(drive.path("two/x.tmp"), "two"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        QCOMPARE(store.GetCount(), 2);
        CMoveStep step(store, drive.root(), target.root(), false);
        const int last = store.GetCount() - 1;
        QVERIFY(step.Run(last).ok());
        QVERIFY(!step.Run(0).ok());
        const QByteArray movedFrom = store.GetPaths().GetFolder(last);
        QCOMPARE(ReadFile(target.path("x.tmp")), movedFrom.endsWith("one") ? QByteArray("one") : QByteArray("two"));
        QVERIFY(Exists(store.GetPath(0)));
    }

    void aFileReCreatedAfterTheScanStays_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::newRow("rename") << false;
        QTest::newRow("copy") << true;
    }
    void aFileReCreatedAfterTheScanStays()
    {
        QFETCH(bool, copy);
        TempDrive drive, target;
        QVERIFY(WriteFile(drive.path("x.tmp"), "listed"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        QVERIFY(::unlink(drive.path("x.tmp").constData()) == 0);
        QVERIFY(WriteFile(drive.path("x.tmp"), "newbie"));
        CMoveStep step(store, drive.root(), target.root(), false);
        step.GetMover().SetAlwaysCopy(copy);
        QVERIFY(!step.Run(0).ok());
        QCOMPARE(ReadFile(drive.path("x.tmp")), QByteArray("newbie"));
        QCOMPARE(Entries(drive.root()), QList<QByteArray>{"x.tmp"});
        QVERIFY(Entries(target.root()).isEmpty());
    }

    void movesAcrossFileSystems()
    {
        TempDrive drive;
        QTemporaryDir shm("/dev/shm/bv-move-XXXXXX");
        if (!shm.isValid() || DeviceOf("/dev/shm") == DeviceOf(drive.root()))
            QSKIP("no second file system at /dev/shm");
        const QByteArray target = QFile::encodeName(shm.path());
        QVERIFY(drive.makeFolder("a"));
        QVERIFY(WriteFile(drive.path("a/x.tmp"), "across"));
        QVERIFY(::chmod(drive.path("a/x.tmp").constData(), 0640) == 0);
        const struct timespec times[2] = {{1000000000, 123456789}, {1200000000, 987654321}};
        QVERIFY(::utimensat(AT_FDCWD, drive.path("a/x.tmp").constData(), times, 0) == 0);
        const bool sourceXattr = ::setxattr(drive.path("a/x.tmp").constData(), "user.bv", "v", 1, 0) == 0;
        QVERIFY(drive.makeSymlink("a/link.tmp", "../target with spaces"));
        const QByteArray badName("\xc3\x28odd.tmp");
        QVERIFY(WriteFile(drive.path("a/" + badName), "odd"));
        // Sparse: 5 GB with a little data in the middle.
        const QByteArray sparse = drive.path("a/sparse.tmp");
        QVERIFY(drive.makeFile("a/sparse.tmp", std::int64_t(5) << 30));
        {
            const int fd = ::open(sparse.constData(), O_WRONLY | O_CLOEXEC);
            QVERIFY(fd >= 0);
            QCOMPARE(::pwrite(fd, "middle", 6, off_t(1) << 31), ssize_t(6));
            ::close(fd);
        }
        CResultStore store;
        WalkIntoStore(store, drive.root());
        QCOMPARE(store.GetCount(), 4);
        CMoveStep step(store, drive.root(), target, true);
        QVERIFY(MoveAll(step, store).isEmpty());
        QVERIFY(Entries(drive.path("a")).isEmpty());

        struct stat info;
        QVERIFY(::lstat((target + "/a/x.tmp").constData(), &info) == 0);
        QCOMPARE(ReadFile(target + "/a/x.tmp"), QByteArray("across"));
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        QCOMPARE(info.st_mtim.tv_sec, time_t(1200000000));
        QCOMPARE(info.st_mtim.tv_nsec, 987654321L);
        QCOMPARE(info.st_atim.tv_nsec, 123456789L);
        char value[8] = {};
        const bool targetXattr = ::setxattr((target + "/a").constData(), "user.probe", "p", 1, 0) == 0;
        if (sourceXattr && targetXattr) {
            QCOMPARE(::getxattr((target + "/a/x.tmp").constData(), "user.bv", value, sizeof value), ssize_t(1));
            QCOMPARE(value[0], 'v');
        }
        char link[256] = {};
        QVERIFY(::readlink((target + "/a/link.tmp").constData(), link, sizeof link - 1) > 0);
        QCOMPARE(QByteArray(link), QByteArray("../target with spaces"));
        QCOMPARE(ReadFile(target + "/a/" + badName), QByteArray("odd"));

        QVERIFY(::lstat((target + "/a/sparse.tmp").constData(), &info) == 0);
        QCOMPARE(std::int64_t(info.st_size), std::int64_t(5) << 30);
        QVERIFY2(std::int64_t(info.st_blocks) * 512 < (std::int64_t(1) << 20),
                 QByteArray::number(std::int64_t(info.st_blocks) * 512).constData());
        const int fd = ::open((target + "/a/sparse.tmp").constData(), O_RDONLY | O_CLOEXEC);
        char middle[7] = {};
        QCOMPARE(::pread(fd, middle, 6, off_t(1) << 31), ssize_t(6));
        ::close(fd);
        QCOMPARE(QByteArray(middle), QByteArray("middle"));
        // Nothing temporary left behind.
        QCOMPARE(Entries(target + "/a"), (QList<QByteArray>{"link.tmp", "sparse.tmp", "x.tmp", badName}));
        ::unlink((target + "/a/" + badName).constData());
    }

    void aFullDestinationLeavesTheSourceAsItWas()
    {
        TempDrive drive;
        QVERIFY(drive.makeFolder("a"));
        QByteArray data(256 * 1024, 'z');
        QVERIFY(WriteFile(drive.path("a/big.tmp"), data));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        struct stat before;
        QVERIFY(::lstat(drive.path("a/big.tmp").constData(), &before) == 0);
        QTemporaryDir mountPoint;
        const QByteArray target = QFile::encodeName(mountPoint.path());
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            QByteArray why;
            if (!EnterPrivateMountNamespace(why)) {
                out = why;
                return kSkipCode;
            }
            if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=64k") != 0) {
                out = "cannot mount a small tmpfs";
                return kSkipCode;
            }
            for (int mode = 0; mode < 4; ++mode) {
                const bool preserve = mode & 1;
                CMoveStep step(store, drive.root(), target, preserve);
                // Also through a named temporary file, which must go too.
                step.GetMover().SetNamedTemporary(mode & 2);
                const FileOpResult result = step.Run(0);
                if (result.ok()) {
                    out = "the move into a full file system claimed success";
                    return 1;
                }
                const QList<QByteArray> left = Entries(target);
                if (!left.isEmpty()) {
                    out = "left at the destination: " + left.join(' ');
                    return 1;
                }
            }
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QVERIFY2(child.exitCode == 0, child.text.constData());
        const QByteArray left = LeftInPlace(drive.path("a"), "big.tmp", before.st_ino, data);
        QVERIFY2(left.isEmpty(), left.constData());
    }

    void aLinkInTheRebuiltChainIsNotFollowed()
    {
        TempDrive drive, target, elsewhere;
        QVERIFY(drive.makeFolder("a"));
        QVERIFY(WriteFile(drive.path("a/x.tmp"), "x"));
        QVERIFY(target.makeSymlink("a", elsewhere.root()));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        CMoveStep step(store, drive.root(), target.root(), true);
        QVERIFY(!step.Run(0).ok());
        QVERIFY(Entries(elsewhere.root()).isEmpty());
        QCOMPARE(ReadFile(drive.path("a/x.tmp")), QByteArray("x"));
    }

    void aMoveRefusedByPermissionsLeavesBothSides_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<bool>("sourceLocked");
        QTest::newRow("rename, source folder read-only") << false << true;
        QTest::newRow("rename, destination read-only") << false << false;
        QTest::newRow("copy, source folder read-only") << true << true;
        QTest::newRow("copy, destination read-only") << true << false;
    }
    void aMoveRefusedByPermissionsLeavesBothSides()
    {
        QFETCH(bool, copy);
        QFETCH(bool, sourceLocked);
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a"));
        QVERIFY(WriteFile(drive.path("a/x.tmp"), "guarded"));
        // Root ignores permission bits, so the move runs as nobody, who may
        // pass through both trees but write only where the case allows.
        QVERIFY(::chmod(drive.root().constData(), 0755) == 0);
        QVERIFY(::chmod(drive.path("a").constData(), sourceLocked ? 0755 : 0777) == 0);
        QVERIFY(::chmod(target.root().constData(), sourceLocked ? 0777 : 0755) == 0);
        CResultStore store;
        WalkIntoStore(store, drive.root());
        QCOMPARE(store.GetCount(), 1);
        struct stat before;
        QVERIFY(::lstat(drive.path("a/x.tmp").constData(), &before) == 0);
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0
                || ::setresuid(65534, 65534, 65534) != 0) {
                out = "cannot become uid 65534";
                return kSkipCode;
            }
            for (bool preserve : {false, true}) {
                CMoveStep step(store, drive.root(), target.root(), preserve);
                step.GetMover().SetAlwaysCopy(copy);
                const FileOpResult result = step.Run(0);
                if (result.ok()) {
                    out = "a move without permission claimed success";
                    return 1;
                }
                if (result.code != FileOpCode::Permission && result.error != EACCES && result.error != EPERM) {
                    out = "refused for another reason: " + QByteArray::number(int(result.code)) + " errno "
                          + QByteArray::number(result.error);
                    return 1;
                }
            }
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QVERIFY2(child.exitCode == 0, child.text.constData());
        const QByteArray left = LeftInPlace(drive.path("a"), "x.tmp", before.st_ino, "guarded");
        QVERIFY2(left.isEmpty(), left.constData());
        QVERIFY(Entries(target.root()).isEmpty());
    }

    void aCopyWithoutUnnamedTemporariesLeavesNoTrace()
    {
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a"));
        QVERIFY(WriteFile(drive.path("a/x.tmp"), "named"));
        QVERIFY(WriteFile(drive.path("a/y.tmp"), "clashing"));
        QVERIFY(WriteFile(target.path("y.tmp"), "theirs"));
        QVERIFY(drive.makeSymlink("a/link.tmp", "x.tmp"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        QCOMPARE(store.GetCount(), 3);
        CMoveStep step(store, drive.root(), target.root(), false);
        step.GetMover().SetAlwaysCopy(true);
        step.GetMover().SetNamedTemporary(true);
        QVERIFY(step.Run(IndexOf(store, "x.tmp")).ok());
        QVERIFY(step.Run(IndexOf(store, "link.tmp")).ok());
        const FileOpResult clash = step.Run(IndexOf(store, "y.tmp"));
        QCOMPARE(clash.error, EEXIST);
        QCOMPARE(ReadFile(target.path("x.tmp")), QByteArray("named"));
        char link[64] = {};
        QVERIFY(::readlink(target.path("link.tmp").constData(), link, sizeof link - 1) > 0);
        QCOMPARE(QByteArray(link), QByteArray("x.tmp"));
        QCOMPARE(ReadFile(target.path("y.tmp")), QByteArray("theirs"));
        QCOMPARE(ReadFile(drive.path("a/y.tmp")), QByteArray("clashing"));
        // No temporary name is left on either side.
        QCOMPARE(Entries(target.root()), (QList<QByteArray>{"link.tmp", "x.tmp", "y.tmp"}));
        QCOMPARE(Entries(drive.path("a")), QList<QByteArray>{"y.tmp"});
    }

    void preservePathFromTheRootDrive()
    {
        // The files lie in a temporary folder, but the drive is "/": the
        // whole chain below "/" is rebuilt under the chosen folder.
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a/b"));
        QVERIFY(WriteFile(drive.path("a/b/x.tmp"), "from the root"));
        QVERIFY(WriteFile(drive.path("top.tmp"), "top"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        QCOMPARE(store.GetCount(), 2);
        CMoveStep step(store, "/", target.root(), true);
        QVERIFY(MoveAll(step, store).isEmpty());
        const QByteArray rebuilt = target.root() + drive.root();
        QCOMPARE(ReadFile(rebuilt + "/a/b/x.tmp"), QByteArray("from the root"));
        QCOMPARE(ReadFile(rebuilt + "/top.tmp"), QByteArray("top"));
        QVERIFY(!Exists(drive.path("a/b/x.tmp")));
        QVERIFY(!Exists(drive.path("top.tmp")));
        // The first level below the chosen folder is the first level below "/".
        const QByteArray first = drive.root().mid(1).split('/').first();
        QCOMPARE(Entries(target.root()), QList<QByteArray>{first});
    }

    void aMissingDestinationFailsEveryFile()
    {
        TempDrive drive, target;
        QVERIFY(WriteFile(drive.path("x.tmp"), "x"));
        CResultStore store;
        WalkIntoStore(store, drive.root());
        CMoveStep step(store, drive.root(), target.path("not/there"), false);
        QVERIFY(!step.Run(0).ok());
        QVERIFY(!step.Run(5).ok());
        QVERIFY(Exists(drive.path("x.tmp")));
    }
};

QTEST_GUILESS_MAIN(TestMove)
#include "tst_move.moc"
