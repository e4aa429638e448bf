#include <QtTest>

#include "RawFiles.h"
#include "TempDrive.h"
#include "core/FileOpReason.h"
#include "platform/CFolderChain.h"
#include "platform/CSetAsideEntry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The primitives every action builds on: setting a listed file aside before
// acting on it, and reaching folders by a chain of descriptors.

namespace {

FileIdentity IdentityOf(const QByteArray &path)
{
    struct statx st;
    if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return {};
    return FileIdentity::FromStatx(st);
}

int OpenFolder(const QByteArray &path)
{
    return ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Names in a folder, "." and ".." left out, sorted.
} // namespace

class TestSetAside : public QObject
{
    Q_OBJECT

private slots:
    void checkTellsWhatChanged()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("f/file", 5));
        QVERIFY(drive.makeFile("f/other", 5));
        const int folder = OpenFolder(drive.path("f"));
        QVERIFY(folder >= 0);
        const FileIdentity id = IdentityOf(drive.path("f/file"));
        QVERIFY(CSetAsideEntry::Check(folder, "file", id).ok());
        QCOMPARE(CSetAsideEntry::Check(folder, "missing", id).code, FileOpCode::Gone);
        QCOMPARE(CSetAsideEntry::Check(folder, "other", id).code, FileOpCode::Replaced);

        // Same inode, other size: written to since the scan.
        QCOMPARE(::truncate(drive.path("f/file").constData(), 6), 0);
        QCOMPARE(CSetAsideEntry::Check(folder, "file", id).code, FileOpCode::Changed);
        // Same inode and size, another modification time.
        QCOMPARE(::truncate(drive.path("f/file").constData(), 5), 0);
        struct timespec times[2] = {{0, UTIME_OMIT}, {1234567890, 123}};
        QCOMPARE(::utimensat(folder, "file", times, 0), 0);
        QCOMPARE(CSetAsideEntry::Check(folder, "file", id).code, FileOpCode::Changed);

        // A link where a file was is another thing, whatever it points to.
        FileIdentity asLink = id;
        QCOMPARE(::unlink(drive.path("f/other").constData()), 0);
        QCOMPARE(::symlink("file", drive.path("f/other").constData()), 0);
        asLink.inode = IdentityOf(drive.path("f/other")).inode;
        QCOMPARE(CSetAsideEntry::Check(folder, "other", asLink).code, FileOpCode::Replaced);
        ::close(folder);
    }

    void aHeldFileGoesBackUnlessUnlinkedOrMoved()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("f/keep.bin", 3));
        QVERIFY(drive.makeFile("f/gone.bin", 3));
        const int folder = OpenFolder(drive.path("f"));
        {
            CSetAsideEntry entry(folder, "keep.bin", IdentityOf(drive.path("f/keep.bin")));
            QVERIFY(entry.IsHeld());
            QVERIFY(entry.GetAsideName() != "keep.bin");
            QVERIFY(!Exists(drive.path("f/keep.bin")));
            QVERIFY(Exists(drive.path("f/" + entry.GetAsideName())));
        }
        QCOMPARE(Entries(drive.path("f")), QList<QByteArray>({"gone.bin", "keep.bin"}));

        CSetAsideEntry gone(folder, "gone.bin", IdentityOf(drive.path("f/gone.bin")));
        QVERIFY(gone.Unlink().ok());
        QVERIFY(!gone.IsHeld());
        QCOMPARE(Entries(drive.path("f")), QList<QByteArray>({"keep.bin"}));
        // Nothing is held any more: a second unlink does nothing.
        QVERIFY(!gone.Unlink().ok());
        ::close(folder);
    }

    void aNameTakenMeanwhileLeavesTheFileAsideAndSaysSo()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("f/report.doc", 4));
        const int folder = OpenFolder(drive.path("f"));
        CSetAsideEntry entry(folder, "report.doc", IdentityOf(drive.path("f/report.doc")));
        QVERIFY(entry.IsHeld());
        // The user saves a new file under the name while it is held.
        QVERIFY(drive.makeFile("f/report.doc", 9));
        const QByteArray aside = entry.GetAsideName();
        QCOMPARE(entry.Restore().code, FileOpCode::LeftAside);
        QVERIFY(!entry.IsHeld());
        // Neither file is lost, and the newcomer is not overwritten.
        QCOMPARE(IdentityOf(drive.path("f/report.doc")).size, 9);
        QCOMPARE(IdentityOf(drive.path("f/" + aside)).size, 4);
        ::close(folder);
    }

    void movingAHeldFileNeverReplacesAnything()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("from/a.txt", 1));
        QVERIFY(drive.makeFile("to/a.txt", 2));
        const int from = OpenFolder(drive.path("from"));
        const int to = OpenFolder(drive.path("to"));
        CSetAsideEntry entry(from, "a.txt", IdentityOf(drive.path("from/a.txt")));
        QVERIFY(entry.IsHeld());
        const FileOpResult clash = entry.RenameTo(to, "a.txt");
        QCOMPARE(clash.code, FileOpCode::Failed);
        QCOMPARE(clash.error, EEXIST);
        QVERIFY(entry.IsHeld());
        QCOMPARE(IdentityOf(drive.path("to/a.txt")).size, 2);
        QVERIFY(entry.RenameTo(to, "b.txt").ok());
        QCOMPARE(IdentityOf(drive.path("to/b.txt")).size, 1);
        QCOMPARE(Entries(drive.path("from")), QList<QByteArray>());
        ::close(from);
        ::close(to);
    }

    void readingAHeldFileChecksTheOpenFile()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("f/data", 7));
        QVERIFY(drive.makeSymlink("f/link", "data"));
        const int folder = OpenFolder(drive.path("f"));
        {
            CSetAsideEntry entry(folder, "data", IdentityOf(drive.path("f/data")));
            FileOpResult result;
            const int fd = entry.OpenForReading(result);
            QVERIFY(result.ok());
            QVERIFY(fd >= 0);
            struct stat info;
            QCOMPARE(::fstat(fd, &info), 0);
            QCOMPARE(info.st_size, off_t(7));
            ::close(fd);
        }
        // A held link is never opened, so never followed.
        CSetAsideEntry link(folder, "link", IdentityOf(drive.path("f/link")));
        QVERIFY(link.IsHeld());
        FileOpResult result;
        QCOMPARE(link.OpenForReading(result), -1);
        QVERIFY(!result.ok());
        QVERIFY(link.Restore().ok());
        QCOMPARE(Entries(drive.path("f")), QList<QByteArray>({"data", "link"}));
        ::close(folder);
    }

    void refusesNamesThatAreNotOneEntry()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("f/x", 1));
        const int folder = OpenFolder(drive.path("f"));
        const FileIdentity id = IdentityOf(drive.path("f/x"));
        for (const QByteArray &name : {QByteArray(), QByteArray("."), QByteArray(".."), QByteArray("../f/x")}) {
            CSetAsideEntry entry(folder, name, id);
            QVERIFY(!entry.IsHeld());
            QCOMPARE(entry.GetResult().code, FileOpCode::Failed);
        }
        CSetAsideEntry noFolder(-1, "x", id);
        QVERIFY(!noFolder.IsHeld());
        QVERIFY(Exists(drive.path("f/x")));
        ::close(folder);
    }

    void aChainReopensClosedLevelsAndNoticesReplacedFolders()
    {
        TempDrive drive;
        QByteArray relative;
        for (int level = 0; level < 300; ++level)
            relative += (level ? "/" : "") + QByteArray("l") + QByteArray::number(level);
        QVERIFY(drive.makeFile(relative + "/leaf", 1));

        CFolderChain chain;
        FileOpResult result;
        QVERIFY(chain.OpenRoot(drive.root() + "/", result));
        for (const QByteArray &name : relative.split('/'))
            chain.Push(name);
        QCOMPARE(chain.GetDepth(), 301);
        const int deepest = chain.GetLastFd(result);
        QVERIFY(result.ok());
        QVERIFY(CSetAsideEntry::Check(deepest, "leaf", IdentityOf(drive.path(relative + "/leaf"))).ok());
        QVERIFY(chain.GetOpenCount() <= 64);
        QVERIFY(!chain.IsOpen(150));

        // Every level can be reached again, climbing up.
        for (int level = 300; level >= 1; --level) {
            const int fd = chain.GetFd(level, result);
            QVERIFY2(fd >= 0, qPrintable(QString::number(level)));
            struct stat info;
            QCOMPARE(::fstatat(fd, "", &info, AT_EMPTY_PATH), 0);
            QVERIFY(S_ISDIR(info.st_mode));
            QVERIFY(chain.GetOpenCount() <= 64);
        }

        // A closed level renamed away and replaced by another folder is not
        // taken for the one that was there.
        chain.Truncate(200);
        QVERIFY(chain.GetLastFd(result) >= 0);
        int closed = 100;
        while (closed < 199 && chain.IsOpen(closed))
            ++closed;
        QVERIFY(!chain.IsOpen(closed));
        // Level n of the chain is the folder "l<n-1>" (level 0 is the root).
        const QByteArray component = "l" + QByteArray::number(closed - 1);
        const QByteArray parent = relative.left(relative.indexOf("/" + component + "/"));
        const QByteArray moved = drive.path(parent + "/" + component);
        QCOMPARE(::rename(moved.constData(), (moved + "-away").constData()), 0);
        QCOMPARE(::mkdir(moved.constData(), 0755), 0);
        chain.Truncate(closed + 1);
        QCOMPARE(chain.GetFd(closed, result), -1);
        QCOMPARE(result.code, FileOpCode::Replaced);

        // A link in place of a folder is never followed.
        QCOMPARE(::rmdir(moved.constData()), 0);
        QCOMPARE(::symlink((moved + "-away").constData(), moved.constData()), 0);
        QCOMPARE(chain.GetFd(closed, result), -1);
        QCOMPARE(result.code, FileOpCode::Replaced);
    }

    void everyResultHasItsOwnReason()
    {
        QSet<QString> texts;
        const FileOpCode codes[] = {FileOpCode::Ok,     FileOpCode::Gone,    FileOpCode::Replaced, FileOpCode::Permission,
                                    FileOpCode::Failed, FileOpCode::Changed, FileOpCode::LeftAside,
                                    FileOpCode::AlreadyThere};
        for (FileOpCode code : codes) {
            const QString text = DescribeFileOp(FileOpResult::Make(code, code == FileOpCode::Failed ? EROFS : 0));
            QVERIFY(!text.isEmpty());
            texts.insert(text);
        }
        QCOMPARE(texts.size(), int(std::size(codes)));
        QVERIFY(DescribeFileOp(FileOpResult::Make(FileOpCode::Failed, EROFS)).contains(QString::fromLocal8Bit(strerror(EROFS))));
    }
};

QTEST_GUILESS_MAIN(TestSetAside)
#include "tst_setaside.moc"
