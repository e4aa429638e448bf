#include <QtTest>

#include "ChildProcess.h"
#include "TempDrive.h"
#include "platform/CDirectoryWalker.h"

#include <QDir>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct Walked
{
    CDirectoryWalker::Result result = CDirectoryWalker::Result::Completed;
    QList<WalkRecord> files;
    QList<QByteArray> folders;
    std::int64_t skipped = 0;

    // Paths below `root`, in walk order.
    QList<QByteArray> relativePaths(const QByteArray &root) const
    {
        QList<QByteArray> paths;
        for (const WalkRecord &file : files) {
            QByteArray path = file.folder + '/' + file.name;
            paths.append(path.mid(root.size() + 1));
        }
        return paths;
    }
    const WalkRecord *find(const QByteArray &name) const
    {
        for (const WalkRecord &file : files) {
            if (file.name == name)
                return &file;
        }
        return nullptr;
    }
};

Walked walk(const QByteArray &root, std::function<bool()> cancel = {})
{
    Walked walked;
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) { walked.files.append(record); });
    walker.SetFolderHandler([&](const QByteArray &folder) { walked.folders.append(folder); });
    walker.SetCancelCheck(std::move(cancel));
    walked.result = walker.Walk(root);
    walked.skipped = walker.GetSkippedFolders();
    return walked;
}

int openDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

std::time_t utc(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
}

// The walk's outcome as lines, for passing out of a child.
QByteArray describe(const Walked &walked, const QByteArray &root)
{
    QByteArray text = "result " + QByteArray::number(int(walked.result)) + " skipped "
                      + QByteArray::number(walked.skipped) + " folders " + QByteArray::number(walked.folders.size())
                      + '\n';
    for (const QByteArray &path : walked.relativePaths(root))
        text += path + '\n';
    return text;
}

} // namespace

class TestWalk : public QObject
{
    Q_OBJECT

private slots:
    void reportsEachFileWithItsRawNameSizeTimesAndIdentity()
    {
        TempDrive drive;
        const QByteArray newline("line\nbreak.txt");
        const QByteArray notUtf8("bad\xff\xfe name.log");
        const QByteArray dash("-rf");
        const std::int64_t fiveGb = 5LL << 30;
        QVERIFY(drive.makeFile("big.iso", fiveGb));
        QVERIFY(drive.makeFile("dir/" + newline, 3));
        QVERIFY(drive.makeFile("dir/" + notUtf8, 1));
        QVERIFY(drive.makeFile(dash, 0));
        QVERIFY(drive.makeFile("old.txt", 10));
        QVERIFY(drive.makeFile("future.txt", 20));
        QVERIFY(drive.setTimes("old.txt", utc(1969, 7, 20), utc(1969, 12, 31)));
        QVERIFY(drive.setTimes("future.txt", utc(2040, 2, 29), utc(2041, 1, 1)));
        QVERIFY(drive.makeSymlink("link", "a/target/of/twenty-one"));
        QVERIFY(::mkfifo(drive.path("pipe").constData(), 0644) == 0);
        QVERIFY(drive.makeFolder("empty/deeper"));

        const int descriptors = openDescriptorCount();
        const Walked walked = walk(drive.root());
        QCOMPARE(walked.result, CDirectoryWalker::Result::Completed);
        QCOMPARE(openDescriptorCount(), descriptors);

        QList<QByteArray> paths = walked.relativePaths(drive.root());
        std::sort(paths.begin(), paths.end());
        const QList<QByteArray> expected{dash, "big.iso", "dir/" + notUtf8, "dir/" + newline,
                                         "future.txt", "link", "old.txt"};
        QCOMPARE(paths, expected);

        QCOMPARE(walked.find("big.iso")->size, fiveGb);
        QCOMPARE(walked.find(newline)->size, 3);
        QCOMPARE(walked.find(newline)->folder, drive.root() + "/dir");
        QCOMPARE(walked.find("big.iso")->folder, drive.root());
        // A link is the link itself: its size is the length of what it points to.
        QCOMPARE(walked.find("link")->size, std::int64_t(qstrlen("a/target/of/twenty-one")));

        const WalkRecord *old = walked.find("old.txt");
        QCOMPARE(old->modifiedTime, std::int64_t(utc(1969, 7, 20)));
        QCOMPARE(old->accessedTime, std::int64_t(utc(1969, 12, 31)));
        const WalkRecord *future = walked.find("future.txt");
        QCOMPARE(future->modifiedTime, std::int64_t(utc(2040, 2, 29)));
        QCOMPARE(future->accessedTime, std::int64_t(utc(2041, 1, 1)));
        // Birth time, or the change time where there is none: never the
        // modify time the user (or an archive) can set freely.
        QVERIFY(future->creationTime > 0);
        QVERIFY(future->creationTime <= QDateTime::currentSecsSinceEpoch() + 60);

        struct stat st;
        QVERIFY(::lstat(drive.path("dir/" + notUtf8).constData(), &st) == 0);
        QCOMPARE(walked.find(notUtf8)->device, st.st_dev);
        QCOMPARE(walked.find(notUtf8)->inode, st.st_ino);
        ::unlink(drive.path("pipe").constData()); // the temporary folder's clean-up skips pipes
    }

    void neverFollowsOrEntersSymlinks()
    {
        TempDrive drive;
        TempDrive outside;
        QVERIFY(outside.makeFile("secret/elsewhere.txt", 5));
        QVERIFY(drive.makeFile("real/inside.txt", 7));
        QVERIFY(drive.makeSymlink("loop-a", "loop-b"));
        QVERIFY(drive.makeSymlink("loop-b", "loop-a"));
        QVERIFY(drive.makeSymlink("real/self", "."));
        QVERIFY(drive.makeSymlink("real/up", ".."));
        QVERIFY(drive.makeSymlink("out", outside.root()));
        QVERIFY(drive.makeSymlink("again", "real"));

        const Walked walked = walk(drive.root());
        QCOMPARE(walked.result, CDirectoryWalker::Result::Completed);
        QList<QByteArray> paths = walked.relativePaths(drive.root());
        std::sort(paths.begin(), paths.end());
        const QList<QByteArray> expected{"again", "loop-a", "loop-b", "out", "real/inside.txt", "real/self", "real/up"};
        QCOMPARE(paths, expected);
        QCOMPARE(walked.folders, QList<QByteArray>({drive.root(), drive.root() + "/real"}));
    }

    void walksDepthFirstAndReportsEachFolderBeforeItsFiles()
    {
        TempDrive drive;
        for (const char *path : {"a/1", "a/b/2", "a/b/c/3", "a/b/c/4", "a/d/5", "e/6", "e/f/7", "8", "g/h/i/j/9"})
            QVERIFY(drive.makeFile(path));
        QVERIFY(drive.makeFolder("a/empty"));

        QList<QByteArray> events;
        CDirectoryWalker walker;
        walker.SetFolderHandler([&](const QByteArray &folder) { events.append("folder " + folder); });
        walker.SetFileHandler([&](const WalkRecord &file) { events.append("file " + file.folder); });
        QCOMPARE(walker.Walk(drive.root() + "//"), CDirectoryWalker::Result::Completed);

        QCOMPARE(events.count(), 9 + 12);
        QCOMPARE(events.first(), "folder " + drive.root());
        // Depth first: once the walk has left a folder it never comes back, so
        // every folder's events, its subtree's included, form one unbroken run.
        QSet<QByteArray> left;
        QList<QByteArray> open;
        for (const QByteArray &event : events) {
            const QByteArray folder = event.mid(event.indexOf(' ') + 1);
            while (!open.isEmpty() && !(folder == open.last() || folder.startsWith(open.last() + '/')))
                left.insert(open.takeLast());
            QVERIFY2(!left.contains(folder), event.constData());
            if (event.startsWith("folder ")) {
                QVERIFY2(!open.contains(folder), event.constData()); // entered once
                open.append(folder);
            } else {
                QVERIFY2(!open.isEmpty() && open.last() == folder, event.constData()); // its folder came first
            }
        }
    }

    void cancelStopsBeforeTheNextEntryAndClosesEverything()
    {
        TempDrive drive;
        for (int i = 0; i < 30; ++i)
            QVERIFY(drive.makeFile("x/y/z/" + QByteArray::number(i)));
        const int descriptors = openDescriptorCount();
        int seen = 0;
        CDirectoryWalker walker;
        walker.SetFileHandler([&](const WalkRecord &) { ++seen; });
        walker.SetCancelCheck([&] { return seen == 3; });
        QCOMPARE(walker.Walk(drive.root()), CDirectoryWalker::Result::Cancelled);
        QCOMPARE(seen, 3);
        QCOMPARE(openDescriptorCount(), descriptors);

        // The same walker walks again from scratch.
        seen = 0;
        walker.SetCancelCheck({});
        QCOMPARE(walker.Walk(drive.root()), CDirectoryWalker::Result::Completed);
        QCOMPARE(seen, 30);
    }

    void aRootThatCannotBeOpenedGivesNothing()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("file.txt"));
        QVERIFY(drive.makeSymlink("linked", "."));
        for (const QByteArray &root : {drive.path("missing"), drive.path("file.txt"), drive.path("linked"), QByteArray()}) {
            const Walked walked = walk(root);
            QCOMPARE(walked.result, CDirectoryWalker::Result::RootUnavailable);
            QVERIFY(walked.files.isEmpty());
            QVERIFY(walked.folders.isEmpty());
        }
    }

    void filesAndFoldersVanishingDuringTheWalkAreSkipped()
    {
        TempDrive drive;
        for (int i = 0; i < 50; ++i)
            QVERIFY(drive.makeFile("many/f" + QByteArray::number(i)));
        QVERIFY(drive.makeFile("many/sub/inner"));

        // The first file met removes everything else; the listing read before
        // that still names the rest. (Read ahead, a folder's files are as they
        // were when it was listed, like any file changed just after the walk
        // passed it; the walk on one thread looks at each as it comes.)
        QList<QByteArray> reported;
        CDirectoryWalker walker;
        walker.SetReaderCount(1);
        walker.SetFileHandler([&](const WalkRecord &file) {
            reported.append(file.name);
            if (reported.size() == 1) {
                for (int i = 0; i < 50; ++i) {
                    if (file.name != "f" + QByteArray::number(i))
                        ::unlink(drive.path("many/f" + QByteArray::number(i)).constData());
                }
                ::unlink(drive.path("many/sub/inner").constData());
                ::rmdir(drive.path("many/sub").constData());
            }
        });
        QCOMPARE(walker.Walk(drive.root()), CDirectoryWalker::Result::Completed);
        QCOMPARE(reported.size(), 1);
    }

    void anUnreadableFolderIsSkippedWithItsSubtree()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("open/visible.txt"));
        QVERIFY(drive.makeFile("locked/secret.txt"));
        QVERIFY(drive.makeFile("locked/sub/deeper.txt"));
        QVERIFY(drive.makeFile("listonly/unstatable.txt"));
        QVERIFY(drive.makeFile("after.txt"));
        QVERIFY(::chmod(drive.root().constData(), 0755) == 0);
        QVERIFY(::chmod(drive.path("locked").constData(), 0700) == 0);
        QVERIFY(::chmod(drive.path("listonly").constData(), 0744) == 0);

        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            // Root reads everything, so the walk runs as nobody.
            if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0
                || ::setresuid(65534, 65534, 65534) != 0) {
                out = "cannot switch to uid 65534";
                return kSkipCode;
            }
            if (::access(root.constData(), R_OK | X_OK) != 0) {
                out = "the temporary folder is not reachable by uid 65534";
                return kSkipCode;
            }
            out = describe(walk(root), root);
            out += describe(walk(root + "/locked"), root);
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QList<QByteArray> lines = child.text.split('\n');
        const int second = int(lines.indexOf("result " + QByteArray::number(int(CDirectoryWalker::Result::RootUnavailable))
                                             + " skipped 0 folders 0"));
        QVERIFY2(second > 0, child.text.constData());
        QList<QByteArray> first = lines.mid(1, second - 1);
        std::sort(first.begin(), first.end());
        QCOMPARE(first, QList<QByteArray>({"after.txt", "open/visible.txt"}));
        // locked could not be read; listonly was listed, but its file cannot
        // be looked at, so it was not read whole either.
        QCOMPARE(lines.first(), "result 0 skipped 2 folders 3");
        QCOMPARE(lines.mid(second + 1), QList<QByteArray>({""}));
    }

    void staysOnTheDrivesFileSystemAndMount()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("a/mine.txt", 4));
        QVERIFY(drive.makeFile("plain.txt", 1));
        QVERIFY(drive.makeFile("covered", 2));
        QVERIFY(drive.makeFolder("tmpfs"));
        QVERIFY(drive.makeFolder("bound"));

        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (!EnterPrivateMountNamespace(out))
                return kSkipCode;
            if (::mount("none", (root + "/tmpfs").constData(), "tmpfs", 0, "size=64k") != 0) {
                out = "cannot mount a tmpfs: " + QByteArray(strerror(errno));
                return kSkipCode;
            }
            const int fd = ::open((root + "/tmpfs/foreign.txt").constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
            // A bind mount of the same file system has the same device number.
            if (::mount((root + "/a").constData(), (root + "/bound").constData(), nullptr, MS_BIND, nullptr) != 0
                || ::mount((root + "/plain.txt").constData(), (root + "/covered").constData(), nullptr, MS_BIND,
                           nullptr) != 0) {
                out = "cannot bind mount: " + QByteArray(strerror(errno));
                return kSkipCode;
            }
            out = describe(walk(root), root);
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QList<QByteArray> lines = child.text.split('\n');
        QCOMPARE(lines.takeFirst(), "result 0 skipped 0 folders 2"); // neither mount was entered
        std::sort(lines.begin(), lines.end());
        QCOMPARE(lines, QList<QByteArray>({"", "a/mine.txt", "plain.txt"}));
    }

    // The kernel cuts a folder listing short whenever a signal arrives during
    // the call, on every file system: a short reply is not the folder's end.
    void aSignalDuringAListingLosesNoEntry()
    {
        TempDrive drive;
        // Long names, so that a few thousand entries fill several listing buffers.
        constexpr int kPerFolder = 3000;
        const QByteArray stem(100, 'n');
        QVERIFY(drive.makeFile("one", 1));
        for (const QByteArray &folder : {QByteArray("big"), QByteArray("big/inner")}) {
            QVERIFY(drive.makeFolder(folder));
            for (int i = 0; i < kPerFolder; ++i) {
                const QByteArray name = folder + '/' + stem + QByteArray::number(i);
                QVERIFY(::link(drive.path("one").constData(), drive.path(name).constData()) == 0);
            }
        }
        struct sigaction quiet {};
        quiet.sa_handler = [](int) {};
        quiet.sa_flags = SA_RESTART;
        struct sigaction before {};
        QVERIFY(::sigaction(SIGUSR1, &quiet, &before) == 0);
        std::atomic<bool> stop = false;
        std::thread sender([&stop] {
            sigset_t own;
            sigemptyset(&own);
            sigaddset(&own, SIGUSR1);
            ::pthread_sigmask(SIG_BLOCK, &own, nullptr); // the signals go to the walk's threads
            while (!stop.load()) {
                ::kill(::getpid(), SIGUSR1);
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        });
        QStringList lost;
        for (const int readers : {1, 4}) {
            for (int round = 0; round < 2; ++round) {
                CDirectoryWalker walker;
                walker.SetReaderCount(readers);
                int files = 0;
                walker.SetFileHandler([&files](const WalkRecord &) { ++files; });
                const CDirectoryWalker::Result result = walker.Walk(drive.root());
                if (result != CDirectoryWalker::Result::Completed || files != 2 * kPerFolder + 1 || walker.GetSkippedFolders())
                    lost << QStringLiteral("%1 readers: %2 files").arg(readers).arg(files);
            }
        }
        stop = true;
        sender.join();
        ::sigaction(SIGUSR1, &before, nullptr);
        QVERIFY2(lost.isEmpty(), qPrintable(lost.join(u'\n')));
    }
};

QTEST_MAIN(TestWalk)
#include "tst_walk.moc"
