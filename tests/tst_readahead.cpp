#include <QtTest>

#include "ChildProcess.h"
#include "TempDrive.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CReaderCount.h"
#include "platform/DirectoryEntries.h"
#include "platform/LookHint.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <mutex>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Reading folders ahead on other threads must not change what the walk
// reports: the same rows in the same order, the same folders skipped, the
// same mounts and links left alone, with one reader and with eight.

namespace {

using Hook = std::function<void(const QByteArray &folder)>;

struct Outcome
{
    CDirectoryWalker::Result result = CDirectoryWalker::Result::Completed;
    QByteArray text;  // every event, in order
    QByteArray paths; // the same without what differs between two copies of a tree
    std::int64_t files = 0;
    std::int64_t readAhead = 0;
    std::int64_t cameLooked = 0; // files reported with their facts, where looked at only when asked
};

// Everything a handler sees, relative to `root`, one line per event.
Outcome WalkWith(int readers, const QByteArray &root, const Hook &onFolder = {},
                 const std::function<bool(std::int64_t filesSoFar)> &cancel = {},
                 const std::function<void(CDirectoryWalker &walker)> &configure = {},
                 const LookHint *lookWhenAsked = nullptr)
{
    Outcome outcome;
    CDirectoryWalker walker;
    walker.SetReaderCount(readers);
    if (configure)
        configure(walker);
    // Files looked at only when asked, and asked for every one.
    if (lookWhenAsked) {
        walker.SetLookAtEveryFile(false);
        walker.SetLookHint(*lookWhenAsked);
    }
    walker.SetFolderHandler([&](const QByteArray &folder) {
        outcome.text += "D " + folder.mid(root.size()) + '\n';
        outcome.paths += "D " + folder.mid(root.size()) + '\n';
        if (onFolder)
            onFolder(folder);
    });
    walker.SetFileHandler([&](const WalkRecord &r) {
        outcome.cameLooked += lookWhenAsked && r.looked;
        if (!walker.LookAtFile())
            return;
        ++outcome.files;
        outcome.paths += "F " + r.folder.mid(root.size()) + '|' + r.name + ' ' + QByteArray::number(r.size) + '\n';
        outcome.text += "F " + r.folder.mid(root.size()) + '|' + r.name + ' ' + QByteArray::number(r.size) + ' '
                        + QByteArray::number(r.modifiedTime) + ' ' + QByteArray::number(r.accessedTime) + ' '
                        + QByteArray::number(r.creationTime) + ' ' + QByteArray::number(qulonglong(r.inode)) + ' '
                        + QByteArray::number(r.identity.modifiedNs) + ' ' + QByteArray::number(r.allocatedBytes)
                        + ' ' + QByteArray::number(r.linkCount) + ' ' + QByteArray::number(r.chainLength) + '\n';
    });
    if (cancel)
        walker.SetCancelCheck([&] { return cancel(outcome.files); });
    outcome.result = walker.Walk(root);
    const QByteArray end = "result " + QByteArray::number(int(outcome.result)) + " skipped "
                           + QByteArray::number(walker.GetSkippedFolders()) + '\n';
    outcome.text += end;
    outcome.paths += end;
    outcome.readAhead = walker.GetFoldersReadAhead();
    return outcome;
}

// The temporary folder's own clean-up cannot see names that are not UTF-8
// (nor remove pipes), so this one removes its tree by name bytes.
class CorpusDrive : public TempDrive
{
public:
    ~CorpusDrive() { RemoveTree(root()); }
};

// A tree with the awkward things a drive holds: names that are not UTF-8 or
// hold newlines, links to files, folders, the root and each other, hard
// links, a pipe, empty folders, a big flat folder. The same seed gives the
// same tree.
bool MakeCorpus(CorpusDrive &drive, quint32 seed)
{
    QRandomGenerator random(seed);
    QList<QByteArray> folders{""};
    bool ok = true;
    for (int i = 0; i < 160; ++i) {
        const QByteArray parent = folders[random.bounded(int(folders.size()))];
        QByteArray name = "d" + QByteArray::number(i);
        if (i % 17 == 0)
            name += "\xff\xfe";
        if (i % 23 == 0)
            name += "\nline";
        const QByteArray path = parent.isEmpty() ? name : parent + '/' + name;
        ok = ok && drive.makeFolder(path);
        folders.append(path);
    }
    for (int i = 0; i < 1500; ++i) {
        const QByteArray folder = folders[random.bounded(int(folders.size()))];
        QByteArray name = "f" + QByteArray::number(i) + (i % 11 == 0 ? ".tmp\x80" : ".log");
        const QByteArray path = folder.isEmpty() ? name : folder + '/' + name;
        ok = ok && drive.makeFile(path, random.bounded(100000));
        if (i % 50 == 0)
            ok = ok && drive.setTimes(path, 86400 * (1 + i), 86400 * (2 + i));
    }
    for (int i = 0; i < 400; ++i)
        ok = ok && drive.makeFile("flat/" + QByteArray::number(i), i);
    ok = ok && drive.makeSymlink("d1-link", "d1") && drive.makeSymlink("loop-a", "loop-b")
         && drive.makeSymlink("loop-b", "loop-a") && drive.makeSymlink("flat/up", "..")
         && drive.makeSymlink("flat/root", drive.root()) && drive.makeSymlink("flat/dangling", "nowhere");
    ok = ok && ::link(drive.path("flat/7").constData(), drive.path("flat/hard").constData()) == 0;
    ok = ok && ::mkfifo(drive.path("flat/pipe").constData(), 0644) == 0;
    ok = ok && drive.makeFolder("empty/empty/empty");
    return ok;
}

// Folders only count as read ahead once their last change is older than a
// tick of the file system's clock; a tree made a moment ago is read again.
void LetTheTreeAge()
{
    QThread::msleep(120);
}

// Where two listings part, for a readable failure.
QByteArray FirstDifference(const QByteArray &a, const QByteArray &b)
{
    const QList<QByteArray> left = a.split('\n');
    const QList<QByteArray> right = b.split('\n');
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        if (left.value(i) != right.value(i))
            return "line " + QByteArray::number(i) + ": [" + left.value(i) + "] against [" + right.value(i) + ']';
    }
    return {};
}

#define COMPARE_LISTINGS(actual, expected)                                                                           \
    QVERIFY2((actual) == (expected), FirstDifference(actual, expected).constData())

bool MakeFileAt(int folderFd, const QByteArray &relative)
{
    const int fd = ::openat(folderFd, relative.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int ThreadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::NoDotAndDotDot | QDir::Dirs).size());
}

int DescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

bool BecomeNobody(QByteArray &why)
{
    if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0) {
        why = "cannot switch to uid 65534";
        return false;
    }
    return true;
}

bool WriteSmallFile(const QByteArray &path, const QByteArray &text)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

class TestReadAhead : public QObject
{
    Q_OBJECT

private slots:
    void theFaultCorpusIsListedAlikeWithOneReaderAndWithEight()
    {
        CorpusDrive drive;
        QVERIFY(MakeCorpus(drive, 7));
        LetTheTreeAge();
        const Outcome one = WalkWith(1, drive.root());
        const Outcome eight = WalkWith(8, drive.root());
        const Outcome two = WalkWith(2, drive.root());
        QCOMPARE(one.files, 1500 + 400 + 7);
        COMPARE_LISTINGS(eight.text, one.text);
        COMPARE_LISTINGS(two.text, one.text);
        QCOMPARE(one.readAhead, 0);
        // The readers did the work: nearly every folder came read ahead.
        QVERIFY2(eight.readAhead > 150, QByteArray::number(eight.readAhead).constData());
    }

    void filesLookedAtOnlyWhenAskedAreReportedAlike()
    {
        // Looked at when the handler asks, whatever the readers looked at
        // ahead, every file is reported as a walk that looks at each finds it.
        CorpusDrive drive;
        QVERIFY(MakeCorpus(drive, 11));
        LetTheTreeAge();
        const Outcome every = WalkWith(1, drive.root());
        const auto endsWithLog = [](bool, const char *name, std::size_t length) {
            return length > 4 && std::memcmp(name + length - 4, ".log", 4) == 0;
        };
        LookHint none, logs, belowD1;
        logs.fileMayMatch = endsWithLog;
        belowD1.folderMatches = [](const char *name, std::size_t length) { return QByteArray(name, qsizetype(length)) == "d1"; };
        belowD1.fileMayMatch = [](bool inMatchingFolder, const char *, std::size_t) { return inMatchingFolder; };
        for (int readers : {1, 8}) {
            for (const LookHint *hint : {&none, &logs, &belowD1}) {
                const Outcome asked = WalkWith(readers, drive.root(), {}, {}, {}, hint);
                COMPARE_LISTINGS(asked.text, every.text);
                // Only readers look ahead, and only at what the hint names.
                if (readers == 1 || hint == &none)
                    QCOMPARE(asked.cameLooked, 0);
                else if (hint == &logs)
                    QVERIFY2(asked.cameLooked > 1000, QByteArray::number(asked.cameLooked).constData());
                else
                    QVERIFY(asked.cameLooked > 0 && asked.cameLooked < 1000);
            }
        }
    }

    void aFileLookedAtWhenAskedIsWhatHasItsNameThen()
    {
        // Each file is changed by the handler after the walk listed it and
        // before the handler asks: the answer is about the file as it is then.
        struct Row
        {
            QByteArray name;
            std::function<bool(const QByteArray &path)> change;
            bool found;
            std::int64_t size;
            std::uint32_t type;
        };
        const QList<Row> rows{
            {"kept", [](const QByteArray &) { return true; }, true, 3, S_IFREG},
            {"gone", [](const QByteArray &p) { return ::unlink(p.constData()) == 0; }, false, 0, 0},
            {"now-a-folder", [](const QByteArray &p) { return ::unlink(p.constData()) == 0 && ::mkdir(p.constData(), 0755) == 0; }, false, 0, 0},
            {"now-a-link", [](const QByteArray &p) { return ::unlink(p.constData()) == 0 && ::symlink("ab", p.constData()) == 0; }, true, 2, S_IFLNK},
            {"saved-again", [](const QByteArray &p) {
                 QFile file(QFile::decodeName(p));
                 return ::unlink(p.constData()) == 0 && file.open(QIODevice::WriteOnly) && file.write("ninebytes") == 9;
             }, true, 9, S_IFREG},
            {"bad", [](const QByteArray &) { return true; }, false, 0, 0}, // its statx fails with EIO
        };
        DirectoryEntries::g_testStatFailureName = "bad";
        DirectoryEntries::g_testStatFailureError = EIO;
        for (int readers : {1, 4}) {
            TempDrive drive;
            for (const Row &row : rows)
                QVERIFY(drive.makeFile("f/" + row.name, 3));
            LetTheTreeAge();
            QMap<QByteArray, WalkRecord> asked;
            CDirectoryWalker walker;
            walker.SetReaderCount(readers);
            walker.SetLookAtEveryFile(false);
            walker.SetFileHandler([&](const WalkRecord &record) {
                const Row &row = *std::find_if(rows.begin(), rows.end(), [&](const Row &r) { return r.name == record.name; });
                QVERIFY(!record.looked);
                QVERIFY(row.change(drive.path("f/" + row.name)));
                if (walker.LookAtFile())
                    asked.insert(record.name, record);
            });
            QCOMPARE(walker.Walk(drive.root()), CDirectoryWalker::Result::Completed);
            for (const Row &row : rows) {
                QCOMPARE(asked.contains(row.name), row.found);
                if (!row.found)
                    continue;
                const WalkRecord &record = asked[row.name];
                struct stat st {};
                QCOMPARE(::lstat(drive.path("f/" + row.name).constData(), &st), 0);
                QCOMPARE(record.size, row.size);
                QCOMPARE(record.identity.type, row.type);
                QCOMPARE(record.inode, st.st_ino);
                QCOMPARE(record.allocatedBytes, std::int64_t(st.st_blocks) * 512);
            }
            QCOMPARE(walker.GetSkippedFolders(), std::int64_t(1)); // the folder with "bad" was not read whole
        }
        DirectoryEntries::g_testStatFailureName.clear();
    }

    void unreadableFoldersAreSkippedAlike()
    {
        CorpusDrive drive;
        QVERIFY(MakeCorpus(drive, 11));
        QVERIFY(drive.makeFile("locked/secret.txt") && drive.makeFile("locked/sub/deeper.txt"));
        QVERIFY(drive.makeFile("listonly/unstatable.txt") && drive.makeFile("listonly/inner/x.txt"));
        QVERIFY(::chmod(drive.root().constData(), 0755) == 0);
        QVERIFY(::chmod(drive.path("locked").constData(), 0700) == 0);
        QVERIFY(::chmod(drive.path("listonly").constData(), 0744) == 0);
        QVERIFY(drive.makeFile("noread/hidden.txt"));
        QVERIFY(::chmod(drive.path("noread").constData(), 0711) == 0); // enterable, not listable
        LetTheTreeAge();
        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (!BecomeNobody(out))
                return kSkipCode;
            if (::access(root.constData(), R_OK | X_OK) != 0) {
                out = "the temporary folder is not reachable by uid 65534";
                return kSkipCode;
            }
            const Outcome one = WalkWith(1, root);
            const Outcome eight = WalkWith(8, root);
            out = one.text == eight.text ? "same\n" : "differ " + FirstDifference(eight.text, one.text) + '\n';
            out += one.text.mid(one.text.lastIndexOf("result"));
            return 0;
        });
        ::chmod(drive.path("locked").constData(), 0755);
        ::chmod(drive.path("listonly").constData(), 0755);
        ::chmod(drive.path("noread").constData(), 0755);
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QVERIFY2(child.text.startsWith("same\n"), child.text.constData());
        // locked, listonly/inner and noread could not be read, nor could
        // listonly be read whole (its file cannot be looked at).
        QCOMPARE(child.text.mid(5), QByteArray("result 0 skipped 4\n"));
    }

    void mountsInsideTheTreeAreLeftAloneAlike()
    {
        CorpusDrive drive;
        QVERIFY(MakeCorpus(drive, 13));
        for (const char *folder : {"d2/tmpfs", "d5/bound", "d5/late", "odd\x0bname"})
            QVERIFY(drive.makeFolder(folder));
        QVERIFY(drive.makeFile("plain.txt", 3) && drive.makeFile("covered", 5));
        LetTheTreeAge();
        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (!EnterPrivateMountNamespace(out))
                return kSkipCode;
            if (::mount("none", (root + "/d2/tmpfs").constData(), "tmpfs", 0, "size=64k") != 0
                || ::mount("none", (root + "/odd\x0bname").constData(), "tmpfs", 0, "size=64k") != 0) {
                out = "cannot mount a tmpfs: " + QByteArray(strerror(errno));
                return kSkipCode;
            }
            WriteSmallFile(root + "/d2/tmpfs/foreign.txt", "x");
            if (::mount((root + "/d1").constData(), (root + "/d5/bound").constData(), nullptr, MS_BIND, nullptr) != 0
                || ::mount((root + "/plain.txt").constData(), (root + "/covered").constData(), nullptr, MS_BIND,
                           nullptr) != 0) {
                out = "cannot bind mount: " + QByteArray(strerror(errno));
                return kSkipCode;
            }
            // Mounted once the walk is under way: the table read at the
            // start does not name it, the mount check of the folder does.
            bool mounted = false;
            const auto mountLate = [&](const QByteArray &folder) {
                if (folder == root + "/d1" && !mounted) {
                    mounted = ::mount("none", (root + "/d5/late").constData(), "tmpfs", 0, "size=64k") == 0;
                    WriteSmallFile(root + "/d5/late/late.txt", "x");
                }
            };
            const Outcome one = WalkWith(1, root, mountLate);
            if (!mounted || ::umount((root + "/d5/late").constData()) != 0) {
                out = "cannot mount a tmpfs during the walk";
                return kSkipCode;
            }
            mounted = false;
            const Outcome eight = WalkWith(8, root, mountLate);
            out = one.text == eight.text ? "same\n" : "differ " + FirstDifference(eight.text, one.text) + '\n';
            out += one.text.contains("foreign") || one.text.contains("late.txt") || one.text.contains("/d5/bound")
                       ? "entered a mount\n"
                       : "mounts left alone\n";
            out += one.text.mid(one.text.lastIndexOf("result"));
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(child.text, QByteArray("same\nmounts left alone\nresult 0 skipped 0\n"));
    }

    void foldersAndFilesChangedAheadOfTheWalkAreSeenAsTheyAreNow()
    {
        // Once the walk has begun, and the readers have listed much of the
        // tree, folders lose files, are removed, or are replaced.
        const auto run = [](int readers, bool waitForReaders) {
            CorpusDrive drive;
            if (!MakeCorpus(drive, 17))
                return QByteArray("cannot make the tree");
            for (const char *path : {"later/a/keep.txt", "later/a/vanish.txt", "later/gone/inner/x.txt",
                                     "later/replaced/old.txt", "later/renamed/r.txt"})
                drive.makeFile(path);
            ::unlink(drive.path("flat/pipe").constData());
            LetTheTreeAge();
            const QByteArray root = drive.root();
            bool changed = false;
            const Outcome outcome = WalkWith(readers, root, [&](const QByteArray &folder) {
                if (folder != root || changed)
                    return;
                QThread::msleep(30); // readers get well ahead
                changed = true;
                ::unlink((root + "/later/a/vanish.txt").constData());
                RemoveTree(root + "/later/gone");
                ::rename((root + "/later/replaced").constData(), (root + "/later/aside").constData());
                ::mkdir((root + "/later/replaced").constData(), 0755);
                WriteSmallFile(root + "/later/replaced/new.txt", "new");
                ::rename((root + "/later/renamed/r.txt").constData(), (root + "/later/renamed/s.txt").constData());
            }, {}, [&](CDirectoryWalker &walker) {
                // Folders found changed are then read again by the readers.
                if (waitForReaders)
                    walker.SetWaitHandler([] {});
            });
            return outcome.paths;
        };
        const QByteArray one = run(1, false);
        QVERIFY2(one.contains("F /later/a|keep.txt 0\n") && !one.contains("vanish") && !one.contains("/gone")
                     && one.contains("replaced|new.txt") && !one.contains("replaced|old.txt")
                     && one.contains("aside|old.txt") && one.contains("|s.txt")
                     && !one.contains("|r.txt"),
                 one.constData());
        COMPARE_LISTINGS(run(8, false), one);
        COMPARE_LISTINGS(run(8, true), one);
    }

    void slowReadersKeepTheWaitHandlerRunning_data()
    {
        QTest::addColumn<int>("readers");
        QTest::addColumn<QByteArray>("slowSuffix"); // folders whose name ends so take long to read
        QTest::newRow("two readers, some folders slow") << 2 << QByteArray("7");
        QTest::newRow("eight readers, the root and some slow") << 8 << QByteArray(".");
    }

    void slowReadersKeepTheWaitHandlerRunning()
    {
        // A folder a reader takes long over (a cold disk) must not hold the
        // walking thread without its wait handler (a window's pump) for
        // more than a slice, and every folder, the root included, is read
        // by a reader, never on the walking thread: the same rows come in
        // the same order as with one reader.
        QFETCH(int, readers);
        QFETCH(QByteArray, slowSuffix);
        CorpusDrive drive;
        QVERIFY(MakeCorpus(drive, 23));
        ::unlink(drive.path("flat/pipe").constData());
        LetTheTreeAge();
        constexpr int kSlowMs = 200;
        const Qt::HANDLE walkingThread = QThread::currentThreadId();
        std::mutex guard;
        QByteArrayList readByReaders;
        bool readOnWalkingThread = false;
        bool readerBelowWalk = true;
        const int walkNiceness = ::getpriority(PRIO_PROCESS, 0); // this thread's
        QElapsedTimer clock;
        qint64 lastTurn = 0;
        qint64 longestWithoutTurn = 0;
        int waits = 0;
        const auto turn = [&] {
            const qint64 now = clock.elapsed();
            longestWithoutTurn = std::max(longestWithoutTurn, now - lastTurn);
            lastTurn = now;
        };
        clock.start();
        const Outcome slow = WalkWith(readers, drive.root(), {}, [&](std::int64_t) {
            turn();
            return false;
        }, [&](CDirectoryWalker &walker) {
            walker.SetWaitHandler([&] {
                ++waits;
                turn();
            });
            walker.SetReaderHook([&](const QByteArray &name) {
                {
                    std::lock_guard lock(guard);
                    readByReaders.append(name);
                    readOnWalkingThread = readOnWalkingThread || QThread::currentThreadId() == walkingThread;
                    readerBelowWalk = readerBelowWalk && ::getpriority(PRIO_PROCESS, 0) >= std::min(walkNiceness + 1, 19);
                }
                if (name.endsWith(slowSuffix))
                    QThread::msleep(kSlowMs);
            });
        });
        COMPARE_LISTINGS(slow.text, WalkWith(1, drive.root()).text);
        QVERIFY(!readOnWalkingThread);
        QVERIFY(readerBelowWalk); // a window's thread keeps the processor first
        QVERIFY(readByReaders.contains("."));
        QCOMPARE(readByReaders.size(), 160 + 4 + 1); // every folder once: d*, flat, empty/empty/empty, the root
        QVERIFY2(waits >= kSlowMs / CFolderReadAhead::kWaitSliceMs / 2, QByteArray::number(waits).constData());
        QVERIFY2(longestWithoutTurn < kSlowMs / 2, QByteArray::number(longestWithoutTurn).constData());
    }

    void aCancelWhileWaitingForAReaderEndsTheWalkAtOnce()
    {
        CorpusDrive drive;
        QVERIFY(MakeCorpus(drive, 29));
        LetTheTreeAge();
        QElapsedTimer clock;
        clock.start();
        // Cancelled below the root, once files were found.
        std::int64_t files = 0;
        int waits = 0;
        const Outcome outcome = WalkWith(2, drive.root(), {}, [&](std::int64_t filesSoFar) {
            files = filesSoFar;
            return waits >= 3;
        }, [&](CDirectoryWalker &walker) {
            walker.SetWaitHandler([&] { waits += files > 0; });
            walker.SetReaderHook([](const QByteArray &) { QThread::msleep(100); });
        });
        QCOMPARE(outcome.result, CDirectoryWalker::Result::Cancelled);
        QCOMPARE(waits, 3);
        QVERIFY(outcome.files > 0);
        // Every folder takes 100 ms: the walk ended with the readers' folders in hand, not the tree's.
        QVERIFY2(clock.elapsed() < 2000, QByteArray::number(clock.elapsed()).constData());
    }

    void aFolderRenamedAwayAndBackWhileItsListingIsHeldIsCountedUnreadable()
    {
        // "a" comes read ahead and its descriptor is given up; "b" below it
        // changed after the tree aged, so the walk reads it again itself and
        // must reopen "a" by name, which is away at that moment. The rest of
        // "a" cannot be reached: counted unreadable, nothing listed twice.
        for (int readers : {4, 1}) {
            TempDrive drive;
            for (int i = 0; i < 40; ++i)
                QVERIFY(drive.makeFile("a/f" + QByteArray::number(i)) && drive.makeFile("a/b/g" + QByteArray::number(i)));
            QVERIFY(drive.makeFile("z/last"));
            LetTheTreeAge();
            QVERIFY(drive.makeFile("a/b/fresh"));
            const QByteArray root = drive.root();
            bool away = false;
            const auto back = [&] {
                if (away)
                    away = ::rename((root + "/away").constData(), (root + "/a").constData()) != 0;
            };
            const Outcome outcome = WalkWith(readers, root, [&](const QByteArray &folder) {
                if (folder == root + "/a")
                    away = ::rename((root + "/a").constData(), (root + "/away").constData()) == 0;
                else if (folder == root + "/z")
                    back();
            });
            back();
            QVERIFY(!away);
            QCOMPARE(outcome.result, CDirectoryWalker::Result::Completed);
            const QList<QByteArray> lines = outcome.paths.split('\n');
            QCOMPARE(QSet<QByteArray>(lines.begin(), lines.end()).size(), lines.size());
            QVERIFY2(outcome.paths.contains("F /z|last"), outcome.paths.constData());
            if (readers > 1) {
                QVERIFY2(outcome.paths.endsWith("skipped 1\n") && !outcome.paths.contains("|fresh"),
                         outcome.paths.constData());
            } else {
                QVERIFY2(outcome.paths.endsWith("skipped 0\n") && outcome.paths.contains("|fresh"),
                         outcome.paths.constData());
            }
        }
    }

    void aFileWhoseStatxFailsCountsItsFolderUnreadable()
    {
        TempDrive drive;
        for (int i = 0; i < 20; ++i)
            QVERIFY(drive.makeFile("f/" + QByteArray::number(i)));
        QVERIFY(drive.makeFile("f/bad") && drive.makeFile("g/ok"));
        LetTheTreeAge();
        DirectoryEntries::g_testStatFailureName = "bad";
        DirectoryEntries::g_testStatFailureError = EIO;
        for (int readers : {1, 4}) {
            const Outcome outcome = WalkWith(readers, drive.root());
            QCOMPARE(outcome.files, std::int64_t(21));
            QVERIFY2(outcome.paths.endsWith("skipped 1\n"), outcome.paths.constData());
        }
        // A file removed between the listing and its statx is merely gone.
        DirectoryEntries::g_testStatFailureError = ENOENT;
        for (int readers : {1, 4})
            QVERIFY(WalkWith(readers, drive.root()).paths.endsWith("skipped 0\n"));
        DirectoryEntries::g_testStatFailureName.clear();
    }

    void cancelStopsTheReadersAndKeepsWhatWasFound()
    {
        CorpusDrive drive;
        QVERIFY(MakeCorpus(drive, 19));
        ::unlink(drive.path("flat/pipe").constData());
        LetTheTreeAge();
        const int threads = ThreadCount();
        const int descriptors = DescriptorCount();
        for (int stopAt : {1, 40, 700}) {
            int threadsDuring = 0;
            const Outcome outcome = WalkWith(8, drive.root(), {}, [&](std::int64_t files) {
                threadsDuring = std::max(threadsDuring, ThreadCount());
                return files == stopAt;
            });
            QCOMPARE(outcome.result, CDirectoryWalker::Result::Cancelled);
            QCOMPARE(outcome.files, stopAt);
            QVERIFY(threadsDuring > threads); // the readers were running
            QCOMPARE(ThreadCount(), threads);
            QCOMPARE(DescriptorCount(), descriptors);
        }
        // A walker dropped in the middle of a walk (from a handler of its
        // own) is not possible; a walker destroyed after a cancel leaves
        // nothing behind either, and one walker walks again from scratch.
        CDirectoryWalker walker;
        walker.SetReaderCount(8);
        int seen = 0;
        walker.SetFileHandler([&](const WalkRecord &) { ++seen; });
        walker.SetCancelCheck([&] { return seen == 5; });
        QCOMPARE(walker.Walk(drive.root()), CDirectoryWalker::Result::Cancelled);
        walker.SetCancelCheck({});
        seen = 0;
        QCOMPARE(walker.Walk(drive.root()), CDirectoryWalker::Result::Completed);
        QCOMPARE(seen, 1500 + 400 + 7);
        QCOMPARE(ThreadCount(), threads);
        QCOMPARE(DescriptorCount(), descriptors); // those left for the readers to close too
    }

    void foldersLongerThanOneReplyAreListedWhole_data()
    {
        QTest::addColumn<QString>("base");
        QTest::newRow("temporary folder") << QDir::tempPath();
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            QTest::newRow("tmpfs") << QStringLiteral("/dev/shm");
    }

    void foldersLongerThanOneReplyAreListedWhole()
    {
        // Names of every length up to the longest, so that replies end at
        // every distance from the buffer's end: a short reply taken for the
        // last one too early would lose the rest of the folder.
        QFETCH(QString, base);
        QTemporaryDir dir(base + QStringLiteral("/bv-replies-XXXXXX"));
        QVERIFY(dir.isValid());
        const QByteArray root = QFile::encodeName(dir.path());
        QSet<QByteArray> expected;
        for (int i = 0; i < 3000; ++i) {
            QByteArray name = QByteArray::number(i) + '_';
            name += QByteArray(1 + (i * 7) % (255 - int(name.size())), 'n');
            const int fd = ::open((root + "/big/" + name).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd < 0) {
                QVERIFY(::mkdir((root + "/big").constData(), 0755) == 0);
                --i;
                continue;
            }
            ::close(fd);
            expected.insert(name);
        }
        LetTheTreeAge();
        for (const int readers : {1, 4}) {
            QSet<QByteArray> seen;
            std::int64_t reports = 0;
            CDirectoryWalker walker;
            walker.SetReaderCount(readers);
            walker.SetFileHandler([&](const WalkRecord &r) {
                ++reports;
                seen.insert(r.name);
            });
            QCOMPARE(walker.Walk(root), CDirectoryWalker::Result::Completed);
            QCOMPARE(reports, std::int64_t(expected.size()));
            QVERIFY(seen == expected);
        }
    }

    void aVeryDeepTreeIsWalkedWithFewDescriptors()
    {
        // 20,000 levels, a file in each, and a second folder at every 10th of
        // the first 2,000 levels that the readers leave for later: under a
        // limit of 128 descriptors, far fewer than the depth. On a tmpfs of
        // the child's own, since removing 20,000 folders from a disk that
        // discards freed blocks takes over a minute.
        TempDrive drive;
        QVERIFY(drive.makeFolder("deep"));
        const QByteArray root = drive.path("deep");
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (!EnterPrivateMountNamespace(out))
                return kSkipCode;
            if (::mount("none", root.constData(), "tmpfs", 0, "size=256m") != 0) {
                out = "cannot mount a tmpfs: " + QByteArray(strerror(errno));
                return kSkipCode;
            }
            int at = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            for (int level = 0; level < 20000 && at >= 0; ++level) {
                bool ok = ::mkdirat(at, "d", 0755) == 0;
                ok = ok && MakeFileAt(at, "f" + QByteArray::number(level));
                if (level % 10 == 0 && level < 2000)
                    ok = ok && ::mkdirat(at, "side", 0755) == 0 && MakeFileAt(at, "side/leaf");
                const int next = ok ? ::openat(at, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
                ::close(at);
                at = next;
            }
            if (at < 0) {
                out = "cannot make the chain";
                return 1;
            }
            ::close(at);
            LetTheTreeAge();
            // Far fewer than the depth, then barely more than the program needs.
            for (rlim_t descriptors : {128, 20})
            for (int readers : {8, 1}) {
                struct rlimit limit = {descriptors, descriptors};
                if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
                    out = "cannot lower the descriptor limit";
                    return kSkipCode;
                }
                CDirectoryWalker walker;
                walker.SetReaderCount(readers);
                std::int64_t files = 0;
                walker.SetFileHandler([&](const WalkRecord &) { ++files; });
                const CDirectoryWalker::Result result = walker.Walk(root);
                out += "result " + QByteArray::number(int(result)) + " files " + QByteArray::number(files)
                       + " skipped " + QByteArray::number(walker.GetSkippedFolders()) + '\n';
                if (readers > 1 && descriptors > 20 && walker.GetFoldersReadAhead() < 10000)
                    out += "read ahead only " + QByteArray::number(walker.GetFoldersReadAhead()) + '\n';
            }
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(child.text, QByteArray("result 0 files 20200 skipped 0\n").repeated(4));
    }

    void rotatingDisksAreFoundBehindPartitionsAndMappers()
    {
        // A copy of the shape of /sys: a partition of a turning disk, a
        // mapper over it and over a solid-state disk, and a mapper over
        // solid-state disks only.
        TempDrive sys;
        QVERIFY(sys.makeFolder("hdd/queue") && sys.makeFolder("hdd/hdd1") && sys.makeFolder("ssd/queue")
                && sys.makeFolder("ssd/ssd1") && sys.makeFolder("dm-0/slaves") && sys.makeFolder("dm-0/queue")
                && sys.makeFolder("dm-1/slaves") && sys.makeFolder("dm-1/queue") && sys.makeFolder("dm-2/slaves"));
        QVERIFY(WriteSmallFile(sys.path("hdd/queue/rotational"), "1\n"));
        QVERIFY(WriteSmallFile(sys.path("ssd/queue/rotational"), "0\n"));
        QVERIFY(WriteSmallFile(sys.path("hdd/hdd1/partition"), "1\n"));
        QVERIFY(WriteSmallFile(sys.path("ssd/ssd1/partition"), "1\n"));
        QVERIFY(WriteSmallFile(sys.path("dm-0/queue/rotational"), "0\n")); // mappers say 0 whatever lies below
        QVERIFY(WriteSmallFile(sys.path("dm-1/queue/rotational"), "0\n"));
        QVERIFY(sys.makeSymlink("dm-0/slaves/hdd1", "../../hdd/hdd1") && sys.makeSymlink("dm-0/slaves/ssd1", "../../ssd/ssd1"));
        QVERIFY(sys.makeSymlink("dm-1/slaves/ssd1", "../../ssd/ssd1"));
        QVERIFY(sys.makeSymlink("dm-2/slaves/dm-0", "../../dm-0")); // a mapper over a mapper

        QVERIFY(CReaderCount::IsRotationalAt(sys.path("hdd")));
        QVERIFY(CReaderCount::IsRotationalAt(sys.path("hdd/hdd1")));
        QVERIFY(!CReaderCount::IsRotationalAt(sys.path("ssd/ssd1")));
        QVERIFY(CReaderCount::IsRotationalAt(sys.path("dm-0")));
        QVERIFY(!CReaderCount::IsRotationalAt(sys.path("dm-1")));
        QVERIFY(CReaderCount::IsRotationalAt(sys.path("dm-2")));
        QVERIFY(!CReaderCount::IsRotationalAt(sys.path("missing")));

        // A paravirtual disk and its partitions say they turn; they are taken not to.
        QVERIFY(sys.makeFolder("bus/drivers/virtio_blk") && sys.makeFolder("bus/devices/virtio1")
                && sys.makeFolder("vda/queue") && sys.makeFolder("vda/vda1") && sys.makeFolder("dm-3/slaves"));
        QVERIFY(sys.makeSymlink("bus/devices/virtio1/driver", "../../drivers/virtio_blk"));
        QVERIFY(sys.makeSymlink("vda/device", "../bus/devices/virtio1"));
        QVERIFY(WriteSmallFile(sys.path("vda/queue/rotational"), "1\n"));
        QVERIFY(WriteSmallFile(sys.path("vda/vda1/partition"), "1\n"));
        QVERIFY(sys.makeSymlink("dm-3/slaves/vda1", "../../vda/vda1"));
        QVERIFY(!CReaderCount::IsRotationalAt(sys.path("vda")));
        QVERIFY(!CReaderCount::IsRotationalAt(sys.path("vda/vda1")));
        QVERIFY(!CReaderCount::IsRotationalAt(sys.path("dm-3")));
        QVERIFY(CReaderCount::IsRotationalAt(sys.path("hdd"))); // a disk with no driver link still counts

        // The environment overrides the choice; nonsense is ignored.
        const QByteArray saved = qgetenv("BRIMVALE_READERS");
        qputenv("BRIMVALE_READERS", "3");
        QCOMPARE(CReaderCount::ForDrive(0, 0), 3);
        for (const char *nonsense : {"0", "-2", "four", "4x", ""}) {
            qputenv("BRIMVALE_READERS", nonsense);
            QCOMPARE(CReaderCount::FromEnvironment(), 0);
            const int chosen = CReaderCount::ForDrive(0, 0);
            QVERIFY(chosen >= 1 && chosen <= CReaderCount::kMostReaders);
        }
        if (saved.isNull())
            qunsetenv("BRIMVALE_READERS");
        else
            qputenv("BRIMVALE_READERS", saved);
    }
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_readahead.moc"
