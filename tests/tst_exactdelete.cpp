#include "ScanIntoStore.h"
#include <QtTest>

#include "ChildProcess.h"
#include "TempDrive.h"
#include "core/CDeleteStep.h"
#include "core/CResultStore.h"
#include "platform/CDirectoryWalker.h"

#include <QDir>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Delete acts on exactly the files the walk listed, whatever happens to their
// names between the scan and the action.

namespace {

struct Inode
{
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Inode &other) const = default;
};

Inode InodeAt(const QByteArray &path)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return {};
    return {info.st_dev, info.st_ino};
}

std::int64_t SizeAt(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0 ? std::int64_t(info.st_size) : -1;
}

// Entries of a folder whose names the user never gave them.
QList<QByteArray> AsideEntries(const QByteArray &folder)
{
    QList<QByteArray> found;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return found;
    DIR *dir = ::fdopendir(fd);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != ".." && name.startsWith(".bv-aside-"))
            found.append(name);
    }
    ::closedir(dir);
    return found;
}

bool WriteFile(const QByteArray &path, std::int64_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return ok;
}

} // namespace

class TestExactDelete : public QObject
{
    Q_OBJECT

private slots:
    void aNewFileUnderTheListedNameIsLeftAlone()
    {
        // Saved again under the same name after the scan: the file system
        // may well give the new file the freed inode number, so only size
        // and times tell it from the listed one. The old file is closed.
        TempDrive drive;
        const QByteArray path = drive.path("r/victim.tmp");
        int reused = 0;
        for (int attempt = 0; attempt < 40; ++attempt) {
            QVERIFY(drive.makeFile("r/victim.tmp", 10));
            CResultStore store;
            WalkIntoStore(store, drive.root());
            QCOMPARE(store.GetCount(), 1);
            const Inode listed = InodeAt(path);
            QCOMPARE(::unlink(path.constData()), 0);
            QVERIFY(WriteFile(path, 20 + attempt));
            reused += InodeAt(path) == listed ? 1 : 0;

            CDeleteStep step(store, drive.root());
            const FileOpResult result = step.Run(0);
            QVERIFY2(!result.ok(), qPrintable(QStringLiteral("attempt %1").arg(attempt)));
            QCOMPARE(SizeAt(path), std::int64_t(20 + attempt));
            QVERIFY(AsideEntries(drive.path("r")).isEmpty());
            QCOMPARE(::unlink(path.constData()), 0);
        }
        qInfo("inode number reused in %d of 40 attempts", reused);
    }

    void aFileSwappedInWhileDeletingIsNeverRemoved_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("a file outside the drive") << 0;
        QTest::newRow("a link to a file outside the drive") << 1;
        QTest::newRow("an unlisted file of the same folder") << 2;
    }
    void aFileSwappedInWhileDeletingIsNeverRemoved()
    {
        // A second process keeps exchanging the listed entry with another
        // one (renameat2 RENAME_EXCHANGE) while Delete runs. Whatever the
        // timing, the other entry survives, and Delete succeeds only when the
        // listed file is really gone.
        QFETCH(int, kind);
        TempDrive drive;
        TempDrive outside;
        QVERIFY(drive.makeFolder("s"));
        QVERIFY(drive.makeFolder("links"));
        const QByteArray listed = drive.path("s/listed.tmp");
        const QByteArray target = outside.path("target.doc");
        QByteArray other;
        switch (kind) {
        case 0: other = outside.path("precious.doc"); break;
        case 1: other = drive.path("links/innocent.lnk"); break;
        default: other = drive.path("s/neighbour.doc"); break;
        }

        int wrong = 0, deleted = 0, refused = 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            QVERIFY(WriteFile(listed, 1));
            if (kind == 1) {
                QVERIFY(WriteFile(target, 3));
                QCOMPARE(::symlink(target.constData(), other.constData()), 0);
            } else {
                QVERIFY(WriteFile(other, 2));
            }
            CResultStore store;
            WalkIntoStore(store, drive.root(), {"listed.tmp"});
            QCOMPARE(store.GetCount(), 1);
            const Inode listedInode = InodeAt(listed);
            const Inode otherInode = InodeAt(other);

            int ready[2];
            QCOMPARE(::pipe(ready), 0);
            const pid_t swapper = ::fork();
            if (swapper == 0) {
                ::close(ready[0]);
                [[maybe_unused]] const ssize_t n = ::write(ready[1], "x", 1);
                for (int round = 0; round < 20000; ++round)
                    ::renameat2(AT_FDCWD, listed.constData(), AT_FDCWD, other.constData(), RENAME_EXCHANGE);
                ::_exit(0);
            }
            ::close(ready[1]);
            char byte = 0;
            QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
            ::close(ready[0]);
            CDeleteStep step(store, drive.root());
            const FileOpResult result = step.Run(0);
            ::kill(swapper, SIGKILL);
            ::waitpid(swapper, nullptr, 0);

            const QByteArray folder = drive.path("s");
            const QList<QByteArray> aside = AsideEntries(folder);
            const auto survives = [&](const Inode &inode) {
                if (InodeAt(listed) == inode || InodeAt(other) == inode)
                    return true;
                for (const QByteArray &name : aside) {
                    if (InodeAt(folder + '/' + name) == inode)
                        return true;
                }
                return false;
            };
            if (!survives(otherInode))
                ++wrong; // an unlisted entry was removed
            if (result.ok() == survives(listedInode))
                ++wrong; // success reported for a file still there, or a failure for one gone
            if (kind == 1 && SizeAt(target) != 3)
                ++wrong;
            (result.ok() ? deleted : refused) += 1;

            ::unlink(listed.constData());
            ::unlink(other.constData());
            for (const QByteArray &name : aside)
                ::unlink((folder + '/' + name).constData());
        }
        qInfo("%d deleted, %d refused, %d wrong of 100", deleted, refused, wrong);
        QCOMPARE(wrong, 0);
    }

    void aDeepChainIsDeletedWithFewDescriptors()
    {
        // One file in each of 1,500 nested folders, deleted from the deepest
        // up, in a process allowed 64 descriptors: every file goes, and
        // nothing else does.
        TempDrive drive;
        const int deepest = MakeChain(drive.root(), 1500, "level", true);
        QVERIFY(deepest >= 0);
        ::close(deepest);
        QVERIFY(drive.makeFile("keep.txt", 1));

        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            CResultStore store;
            WalkIntoStore(store, root);
            struct rlimit limit = {64, 64};
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
                out = "cannot lower the descriptor limit";
                return kSkipCode;
            }
            int failures = 0;
            int count = 0;
            CDeleteStep step(store, root);
            for (int i = store.GetCount() - 1; i >= 0; --i) {
                if (store.GetPaths().GetName(i) == "keep.txt")
                    continue;
                ++count;
                if (!step.Run(i).ok())
                    ++failures;
            }
            out = QByteArray::number(count) + ' ' + QByteArray::number(failures);
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(child.text, QByteArray("1500 0"));
        QCOMPARE(SizeAt(drive.path("keep.txt")), std::int64_t(1));
        // Only the folders are left.
        CResultStore store;
        WalkIntoStore(store, drive.root());
        QCOMPARE(store.GetCount(), 1);
        QVERIFY(RemoveTree(drive.path("level")));
    }
};

QTEST_GUILESS_MAIN(TestExactDelete)
#include "tst_exactdelete.moc"
