// What Express must never offer on a real Linux machine, on temporary
// drives: backups, caches a running desktop needs, files under a lock, and
// files the user may not remove. Each drive is walked for real, so the
// walk's own facts (owners, modes, attributes, folder identities) are what
// protection decides on, with one reader and with several.
#include "RawFiles.h"
#include "ChildProcess.h"
#include "OpenFileHolder.h"
#include "TempDrive.h"

#include "core/CBackupFolders.h"
#include "core/CDesktopSessionCaches.h"
#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CLiveWorkItems.h"
#include "core/CProcOpenFileSource.h"
#include "core/CProtection.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CProcessFiles.h"
#include "platform/RealPath.h"

#include <QMap>
#include <QtTest>

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reasons = QMap<QByteArray, ProtectionReason>; // by path below the drive

// Every file Express matches on the drive, with protection's verdict.
Reasons WalkExpress(CProtection &protection, const QByteArray &root, int readers)
{
    CFileScan criteria;
    criteria.m_bExpress = 1;
    criteria.m_strDrive = QFile::decodeName(root);
    CFileMatcher matcher(criteria);
    protection.Load();
    Reasons reasons;
    CDirectoryWalker walker;
    walker.SetReaderCount(readers);
    walker.SetFileHandler([&](const WalkRecord &record) {
        if (matcher.MatchFile(record))
            reasons.insert((record.folder + '/' + record.name).mid(root.size() + 1), protection.Check(record));
    });
    walker.Walk(root);
    return reasons;
}

std::unique_ptr<CProtection> PlainProtection(const QByteArray &root, std::unique_ptr<COpenFileSource> open = nullptr)
{
    return std::make_unique<CProtection>(root, CProtectedTrees(QByteArray()), nullptr, std::move(open));
}

QByteArray Describe(const Reasons &reasons)
{
    QByteArray text;
    for (auto it = reasons.begin(); it != reasons.end(); ++it)
        text += it.key() + '=' + QByteArray::number(int(it.value())) + ' ';
    return text;
}

// Compares the verdicts on the files `expected` names; the message lists them all.
#define COMPARE_REASONS(actual, expected)                                                                    \
    do {                                                                                                     \
        for (auto it = (expected).begin(); it != (expected).end(); ++it)                                     \
            QVERIFY2((actual).value(it.key(), ProtectionReason(255)) == it.value(),                          \
                     (it.key() + " in " + Describe(actual)).constData());                                    \
    } while (0)

bool SetFlag(const QByteArray &path, int flag, bool on)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | flag : flags & ~flag;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

constexpr uid_t kNobody = 65534;

// What the live-work rule hands on, in order: "path checked|reason".
QByteArrayList WalkLiveWork(const QByteArray &root, std::int64_t now, int readers, std::int64_t *unchecked = nullptr)
{
    CFileScan criteria;
    criteria.m_bExpress = 1;
    criteria.m_strDrive = QFile::decodeName(root);
    CFileMatcher matcher(criteria);
    QByteArrayList out;
    const auto hand = [&out, &root](const ScanMatch &match) {
        out.append((match.record.folder + '/' + match.record.name).mid(root.size() + 1) + ' '
                   + (match.unchecked ? match.why.text.toUtf8() : QByteArray("checked")));
    };
    CLiveWorkItems live(root, now, hand);
    CDirectoryWalker walker;
    walker.SetReaderCount(readers);
    walker.SetFileHandler([&](const WalkRecord &record) {
        if (!matcher.MatchFile(record))
            return;
        const MatchReason why = matcher.GetReason(record);
        const ScanMatch match{record, why};
        if (live.Enter(record))
            live.Hold(match);
        else
            hand(match);
    });
    walker.Walk(root);
    live.Finish();
    if (unchecked)
        *unchecked = live.GetLeftUnchecked();
    return out;
}

} // namespace

class TestExpressLinux : public QObject
{
    Q_OBJECT

private slots:
    void snapshotRootsAreReadFromRsnapshotSettings_data();
    void snapshotRootsAreReadFromRsnapshotSettings();
    void backupsAreNeverOffered();
    void desktopSessionCachesAreProtected();
    void sessionOnlyEntriesFollowTheirOwnersSession();
    void lockTableLinesNameTheLockedFiles();
    void filesBelowALockedFolderAreInUseWhileTheLockIsHeld();
    void filesTheUserMayNotRemoveAreRefused();
    void immutableFilesAreRefusedEvenToTheAdministrator();
    void liveTemporaryItemsAreHandedOnUnchecked();
    void anItemIsDecidedAsTheWalkLeavesIt();
    void liveReasonSaysHowLongAgo_data();
    void liveReasonSaysHowLongAgo();
    void summaryCountsEveryReason_data();
    void summaryCountsEveryReason();
};

void TestExpressLinux::snapshotRootsAreReadFromRsnapshotSettings_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QByteArrayList>("roots");
    QTest::newRow("tab") << QByteArray("snapshot_root\t/.snapshots/\n") << QByteArrayList{"/.snapshots/"};
    QTest::newRow("comment and CRLF") << QByteArray("#snapshot_root\t/no/\r\nsnapshot_root\t\t/a b/\r\n")
                                      << QByteArrayList{"/a b/"};
    QTest::newRow("spaces") << QByteArray("snapshot_root   /x  \n") << QByteArrayList{"/x"};
    QTest::newRow("two") << QByteArray("snapshot_root\t/a\nretain\tdaily\t7\nsnapshot_root\t/b\n")
                         << QByteArrayList{"/a", "/b"};
    QTest::newRow("other keys") << QByteArray("snapshot_rootx\t/a\nno_create_root\t1\nsnapshot_root\n")
                                << QByteArrayList{};
}

void TestExpressLinux::snapshotRootsAreReadFromRsnapshotSettings()
{
    QFETCH(QByteArray, config);
    QFETCH(QByteArrayList, roots);
    const std::vector<QByteArray> found = CBackupFolders::SnapshotRootsOf(config);
    QCOMPARE(QByteArrayList(found.begin(), found.end()), roots);
}

void TestExpressLinux::backupsAreNeverOffered()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    const QByteArray root = drive.root();
    QVERIFY(drive.makeFolder("etc") && drive.makeFolder("sysetc"));
    // The drive's own settings name a root of their own; this system's name
    // one on the drive by its real path, and one elsewhere.
    QVERIFY(WriteFile(drive.path("etc/rsnapshot.conf"), "config_version\t1.2\nsnapshot_root\t/backup/snaps/\n"));
    QVERIFY(WriteFile(drive.path("sysetc/rsnapshot-home.conf"),
                      "snapshot_root\t" + RealPath(root) + "/other/\nsnapshot_root\t/elsewhere/\n"));
    const QList<QByteArray> backups = {
        "backup/snaps/daily.0/home/u/.cache/x.tmp", "var/cache/rsnapshot/hourly.0/tmp/a.tmp",
        "other/weekly.1/Temp/w.log",                "timeshift/snapshots/2026-01-01/localhost/tmp/b.tmp",
        "timeshift-btrfs/snapshots/1/@/var/tmp/c", ".snapshots/1/snapshot/var/tmp/c.log",
        "Temp/borg/data/0/17",                       "Temp/restic/data/00/abc",
        "Temp/restic/index/i1",
    };
    const QList<QByteArray> offered = {"Temp/plain.tmp", "Temp/fake/data/0/17", "Temp/marked/data/00/abc",
                                       "backup/snaps.old/x.tmp", "var/cache/apt/a.tmp"};
    for (const QList<QByteArray> *files : {&backups, &offered}) {
        for (const QByteArray &file : *files)
            QVERIFY(drive.makeFile(file, 10));
    }
    QVERIFY(WriteFile(drive.path("Temp/borg/README"), "This is a Borg Backup repository.\nSee https://\n"));
    QVERIFY(WriteFile(drive.path("Temp/borg/config"), "[repository]\n"));
    for (const QByteArray repo : {"Temp/restic", "Temp/marked"}) {
        QVERIFY(WriteFile(drive.path(repo + "/config"), "\x01\x02"));
        for (const QByteArray folder : {"keys", "snapshots", "data", "index"})
            QVERIFY(drive.makeFolder(repo + '/' + folder));
    }
    QVERIFY(WriteFile(drive.path("Temp/marked/.nobackup"), "")); // says it is no backup's
    QVERIFY(WriteFile(drive.path("Temp/fake/config"), "x"));    // a config and a README of another kind
    QVERIFY(WriteFile(drive.path("Temp/fake/README"), "This is a project.\n"));

    for (int readers : {1, 3}) {
        auto protection = PlainProtection(root);
        protection->SetSystemEtc(drive.path("sysetc"));
        const Reasons reasons = WalkExpress(*protection, root, readers);
        Reasons expected;
        for (const QByteArray &file : backups + QList<QByteArray>{"Temp/borg/README", "Temp/restic/config"})
            expected.insert(file, ProtectionReason::Backup);
        for (const QByteArray &file : offered)
            expected.insert(file, ProtectionReason::None);
        COMPARE_REASONS(reasons, expected);
        QCOMPARE(protection->GetCounts()[std::size_t(ProtectionReason::Backup)],
                 std::count(reasons.begin(), reasons.end(), ProtectionReason::Backup));
    }

    // An action's record has no walk chain: the repository is still found
    // from its path, and the snapshot roots by theirs.
    auto protection = PlainProtection(root);
    protection->Load();
    WalkRecord record;
    record.folder = drive.path("Temp/restic/data/00");
    record.name = "abc";
    QCOMPARE(protection->Check(record), ProtectionReason::Backup);
    record.folder = drive.path("backup/snaps/daily.0");
    QCOMPARE(protection->Check(record), ProtectionReason::Backup);
    record.folder = drive.path("Temp/fake/data/0");
    QCOMPARE(protection->Check(record), ProtectionReason::None);
}

void TestExpressLinux::desktopSessionCachesAreProtected()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    const Reasons expected = {
        {"home/u/.cache/icon-cache.kcache", ProtectionReason::DesktopSession},
        {"home/u/.cache/plasma_theme_breeze.kcache", ProtectionReason::DesktopSession},
        {"home/u/.cache/ksycoca6_de_LTcNa", ProtectionReason::DesktopSession},
        {"home/u/.cache/plasmashell/qmlcache/a.qmlc", ProtectionReason::DesktopSession},
        {"home/u/.cache/kwin/qmlcache/b.qmlc", ProtectionReason::DesktopSession},
        {"home/u/.cache/qtshadercache-x86_64-little_endian-lp64/c", ProtectionReason::DesktopSession},
        {"home/u/.cache/mesa_shader_cache/ab/cd", ProtectionReason::DesktopSession}, // our own session runs
        {"home/u/.cache/doc/by-app/d", ProtectionReason::DesktopSession},
        {"home/v/.cache/ksycoca5_en", ProtectionReason::DesktopSession},
        {"home/u/.cache/thumbnails/normal/e.png", ProtectionReason::None},
        {"home/u/.cache/kwinrc.tmp", ProtectionReason::None},
        {"home/u/.cache/pip/doc/f", ProtectionReason::None}, // "doc" only directly in .cache
        {"home/u/docs/kwin/g.log", ProtectionReason::None},
    };
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QVERIFY(drive.makeFile(it.key(), 5));
    auto protection = PlainProtection(drive.root());
    const Reasons reasons = WalkExpress(*protection, drive.root(), 1);
    COMPARE_REASONS(reasons, expected);
}

void TestExpressLinux::sessionOnlyEntriesFollowTheirOwnersSession()
{
    QList<uid_t> asked;
    CDesktopSessionCaches caches([&asked](uid_t user) {
        asked.append(user);
        return user == 1000;
    });
    WalkRecord record;
    record.folder = "/home/a/.cache/mesa_shader_cache/ab";
    record.name = "x";
    record.ownerId = 1000;
    QVERIFY(caches.IsSessionCache(record));
    record.ownerId = 1001;
    QVERIFY(!caches.IsSessionCache(record)); // no session of its owner: an ordinary cache
    QVERIFY(!caches.IsSessionCache(record));
    QCOMPARE(asked, (QList<uid_t>{1000, 1001})); // each owner is asked about once
    record.folder = "/home/a/.cache";
    record.name = "icon-cache.kcache";
    QVERIFY(caches.IsSessionCache(record)); // always, session or not
    QVERIFY(CDesktopSessionCaches::NameMatches("ksycoca*", "ksycoca6", 8));
    QVERIFY(!CDesktopSessionCaches::NameMatches("ksycoca*", "ksyco", 5));
    QVERIFY(CDesktopSessionCaches::NameMatches("*.kcache", ".kcache", 7));
    QVERIFY(!CDesktopSessionCaches::NameMatches("*.kcache", "a.kcache.old", 12));
}

void TestExpressLinux::lockTableLinesNameTheLockedFiles()
{
    const QByteArray table = "1: POSIX  ADVISORY  WRITE 2339 00:19:1195 0 EOF\n"
                             "2: FLOCK  ADVISORY  WRITE 812 fd:01:131090 0 EOF\n"
                             "2: -> FLOCK  ADVISORY  WRITE 900 fd:01:131090 0 EOF\n"
                             "3: OFDLCK ADVISORY  READ  -1 08:02:42 0 EOF\n"
                             "4: LEASE  ACTIVE    READ  77 <none>:0 0 EOF\n"
                             "5: POSIX  ADVISORY  WRITE 1 zz:01:5 0 EOF\n"
                             "6: broken";
    QList<QPair<dev_t, ino_t>> found;
    CProcessFiles::ParseLocks(table.constData(), std::size_t(table.size()),
                              [&found](dev_t device, ino_t inode) { found.append({device, inode}); });
    const QList<QPair<dev_t, ino_t>> expected = {
        {makedev(0, 0x19), 1195}, {makedev(0xfd, 1), 131090}, {makedev(0xfd, 1), 131090}, {makedev(8, 2), 42}};
    QCOMPARE(found, expected);
}

void TestExpressLinux::filesBelowALockedFolderAreInUseWhileTheLockIsHeld()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    QVERIFY(drive.makeFile("Temp/build/src/main.c.tmp", 10) && drive.makeFile("Temp/build/out.log", 10));
    QVERIFY(drive.makeFile("Temp/other/x.tmp", 10));
    const Reasons held = {{"Temp/build/src/main.c.tmp", ProtectionReason::InUse},
                          {"Temp/build/out.log", ProtectionReason::InUse},
                          {"Temp/other/x.tmp", ProtectionReason::None}};
    {
        OpenFileHolder locker(drive.path("Temp/build"), true);
        QVERIFY(locker.isHolding());
        for (int readers : {1, 2}) {
            auto protection = PlainProtection(drive.root(), std::make_unique<CProcOpenFileSource>());
            COMPARE_REASONS(WalkExpress(*protection, drive.root(), readers), held);
        }
    }
    auto protection = PlainProtection(drive.root(), std::make_unique<CProcOpenFileSource>());
    const Reasons released = WalkExpress(*protection, drive.root(), 1);
    QCOMPARE(released.value("Temp/build/src/main.c.tmp"), ProtectionReason::None);
    QCOMPARE(released.value("Temp/build/out.log"), ProtectionReason::None);
}

void TestExpressLinux::filesTheUserMayNotRemoveAreRefused()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    const QByteArray root = drive.root();
    QVERIFY(::chmod(root.constData(), 0755) == 0);
    QVERIFY(drive.makeFile("sticky/theirs.tmp", 10) && drive.makeFile("sticky/mine.tmp", 10));
    QVERIFY(drive.makeFile("readonly/a.tmp", 10) && drive.makeFile("open/b.tmp", 10));
    QVERIFY(drive.makeFile("ownsticky/theirs.tmp", 10) && drive.makeFile("group/c.tmp", 10));
    QVERIFY(::chmod(drive.path("sticky").constData(), 01777) == 0);
    QVERIFY(::chmod(drive.path("open").constData(), 0777) == 0);
    QVERIFY(::chmod(drive.path("ownsticky").constData(), 01755) == 0);
    QVERIFY(::chmod(drive.path("group").constData(), 0770) == 0);
    if (::chown(drive.path("sticky/mine.tmp").constData(), kNobody, kNobody) != 0
        || ::chown(drive.path("ownsticky").constData(), kNobody, kNobody) != 0
        || ::chown(drive.path("group").constData(), 0, kNobody) != 0)
        QSKIP("cannot give files to user 65534 here");

    const ChildOutput child = RunInChild([&root](QByteArray &out) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0
            || ::setresuid(kNobody, kNobody, kNobody) != 0) {
            out = "cannot become user 65534";
            return kSkipCode;
        }
        for (int readers : {1, 3}) {
            CProtection protection(root, CProtectedTrees(QByteArray()), nullptr, nullptr);
            protection.SetUser(CUserCredentials::Current());
            const Reasons reasons = WalkExpress(protection, root, readers);
            for (auto it = reasons.begin(); it != reasons.end(); ++it)
                out += it.key() + '=' + QByteArray::number(int(it.value())) + ' ';
            out += '\n';
        }
        return 0;
    });
    if (child.exitCode == kSkipCode)
        QSKIP(child.text.constData());
    QCOMPARE(child.exitCode, 0);
    // Another's file in a sticky folder, a folder not ours to write: refused.
    // Our own file in a sticky folder, anything in a folder we own (sticky
    // or not), a folder writable by all or by our group: ours to remove.
    const QByteArray expected = "group/c.tmp=0 open/b.tmp=0 ownsticky/theirs.tmp=0 readonly/a.tmp=6 "
                                "sticky/mine.tmp=0 sticky/theirs.tmp=6 \n";
    QCOMPARE(child.text, expected + expected);
}

void TestExpressLinux::immutableFilesAreRefusedEvenToTheAdministrator()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    QVERIFY(drive.makeFile("Temp/locked/a.tmp", 10) && drive.makeFile("Temp/b.tmp", 10));
    QVERIFY(drive.makeFile("Temp/append.log", 10) && drive.makeFile("Temp/free/c.tmp", 10));
    if (!SetFlag(drive.path("Temp/b.tmp"), FS_IMMUTABLE_FL, true))
        QSKIP("this file system does not let the test make a file immutable (chattr +i)");
    const bool folder = SetFlag(drive.path("Temp/locked"), FS_IMMUTABLE_FL, true);
    const bool append = SetFlag(drive.path("Temp/append.log"), FS_APPEND_FL, true);
    auto protection = PlainProtection(drive.root());
    protection->SetUser(CUserCredentials{0, {0}});
    const Reasons reasons = WalkExpress(*protection, drive.root(), 2);
    // The drive can only be removed once the flags are gone again.
    SetFlag(drive.path("Temp/b.tmp"), FS_IMMUTABLE_FL, false);
    SetFlag(drive.path("Temp/locked"), FS_IMMUTABLE_FL, false);
    SetFlag(drive.path("Temp/append.log"), FS_APPEND_FL, false);
    QCOMPARE(reasons.value("Temp/b.tmp"), ProtectionReason::Immutable);
    if (folder)
        QCOMPARE(reasons.value("Temp/locked/a.tmp"), ProtectionReason::Immutable); // nothing leaves it
    if (append)
        QCOMPARE(reasons.value("Temp/append.log"), ProtectionReason::Immutable);
    QCOMPARE(reasons.value("Temp/free/c.tmp"), ProtectionReason::None);
}

void TestExpressLinux::liveTemporaryItemsAreHandedOnUnchecked()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    // Every file made now was changed now: the scan is set 48 hours later,
    // and the "recent" ones are modified a minute before that.
    const std::int64_t now = std::time(nullptr) + 48 * 3600;
    QVERIFY(drive.makeFile("tmp/old/a.o", 10) && drive.makeFile("tmp/old/src/b.c", 10));
    QVERIFY(drive.makeFile("tmp/build/x.o", 10) && drive.makeFile("tmp/build/tmp/deep/y.o", 10));
    QVERIFY(drive.makeFile("tmp/build/src/main.c", 10) && drive.makeFile("tmp/loose.txt", 10));
    QVERIFY(drive.makeFile("tmp/fresh.txt", 10) && drive.makeFile("home/Temp/t.dat", 10));
    QVERIFY(drive.makeFile("docs/report.bak", 10) && drive.makeFile("var/cache/app/c.bin", 10));
    QVERIFY(drive.setTimes("tmp/build/src/main.c", now - 60, now - 60));  // being edited
    QVERIFY(drive.setTimes("tmp/fresh.txt", now - 2 * 3600, now));       // two hours ago
    QVERIFY(drive.setTimes("var/cache/app/c.bin", now - 60, now));         // a cache: not temporary work

    for (int readers : {1, 3}) {
        std::int64_t unchecked = 0;
        QByteArrayList rows = WalkLiveWork(drive.root(), now, readers, &unchecked);
        // Walk order varies with the listing; what each file gets does not.
        std::sort(rows.begin(), rows.end());
        const QByteArrayList expected = {
            "docs/report.bak checked",
            "home/Temp/t.dat checked",
            "tmp/build/src/main.c In use: changed less than an hour ago",
            "tmp/build/tmp/deep/y.o In use: changed less than an hour ago",
            "tmp/build/x.o In use: changed less than an hour ago",
            "tmp/fresh.txt In use: changed 2 hours ago",
            "tmp/loose.txt checked",
            "tmp/old/a.o checked",
            "tmp/old/src/b.c checked",
            "var/cache/app/c.bin checked",
        };
        QCOMPARE(rows, expected);
        QCOMPARE(unchecked, 4);
    }

    // A tree unpacked an hour ago keeps its old modification times; the
    // change times tell.
    const QByteArrayList unpacked = WalkLiveWork(drive.root(), std::time(nullptr) + 3600, 1);
    QVERIFY(unpacked.contains("tmp/old/a.o In use: changed 1 hour ago"));
}

void TestExpressLinux::anItemIsDecidedAsTheWalkLeavesIt()
{
    // Records made by hand, in walk order: an item's files are held until
    // a file outside it comes, and handed on before that file.
    QByteArrayList handed;
    CLiveWorkItems live("/d", 100000, [&handed](const ScanMatch &match) {
        // A locked file stays locked; a live one keeps its rule's folder.
        const QByteArray state = match.protection != ProtectionReason::None ? "-locked"
                                 : match.unchecked                         ? "-live"
                                                                           : "-old";
        handed.append(match.record.name + state + (match.why.folderLevel == 2 ? "@2" : ""));
        QCOMPARE(match.heldOpen, match.protection == ProtectionReason::InUse);
    });
    const auto enter = [&live, &handed](const QByteArray &folder, const QByteArray &name, std::int64_t time,
                                        ProtectionReason protection = ProtectionReason::None) {
        WalkRecord record;
        record.folder = folder;
        record.name = name;
        record.modifiedTime = record.changeTime = time;
        MatchReason why;
        why.folderLevel = 2;
        ScanMatch match{record, why, protection};
        match.heldOpen = protection == ProtectionReason::InUse;
        if (live.Enter(record))
            live.Hold(match);
        else
            handed.append(name + "-outside");
    };
    enter("/d/tmp/a", "1", 10);
    enter("/d/tmp/a", "1b", 10, ProtectionReason::InUse);
    enter("/d/tmp/a/b", "2", 99000);
    QVERIFY(handed.isEmpty());
    enter("/d/tmp", "3", 10);        // leaves a: a is decided first
    enter("/d/tmp", "4", 99999);     // each file directly in tmp is its own item
    enter("/d/tmpx/b", "5", 10);     // no temporary folder: handed on at once
    enter("/d/x/Tmp/c", "6", 10);
    enter("/tmp/elsewhere", "7", 10); // outside the drive

    // The folders of an item count (a file removed from one changes it),
    // those above it do not.
    const QByteArray folder = "/d/tmp/a/b";
    const auto enterBelowFolders = [&](const QByteArray &name, std::int64_t tmpTime, std::int64_t bTime) {
        WalkFolder chain[4] = {{1, 0, 2}, {2, 3, 3}, {3, 7, 1}, {4 + std::uint64_t(bTime), 9, 1}};
        chain[1].changeTime = tmpTime;
        chain[3].changeTime = bTime;
        WalkRecord record;
        record.folder = folder;
        record.name = name;
        record.chain = chain;
        record.chainLength = 4;
        QVERIFY(live.Enter(record));
        live.Hold(ScanMatch{record, MatchReason{}});
        live.Finish();
    };
    enterBelowFolders("8", 99999, 10); // only /d/tmp changed lately
    enterBelowFolders("9", 10, 99999); // b, inside the item, did
    QCOMPARE(handed, (QByteArrayList{"1-live@2", "1b-locked@2", "2-live@2", "3-old@2", "4-live@2", "5-outside",
                                     "6-old@2", "7-outside", "8-old", "9-live"}));
    QCOMPARE(live.GetLeftUnchecked(), 4);
}

void TestExpressLinux::liveReasonSaysHowLongAgo_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("now") << qint64(0) << "In use: changed less than an hour ago";
    QTest::newRow("future") << qint64(-500) << "In use: changed less than an hour ago";
    QTest::newRow("59 min") << qint64(3599) << "In use: changed less than an hour ago";
    QTest::newRow("1 h") << qint64(3600) << "In use: changed 1 hour ago";
    QTest::newRow("23 h") << qint64(23 * 3600 + 3599) << "In use: changed 23 hours ago";
}

void TestExpressLinux::liveReasonSaysHowLongAgo()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(CLiveWorkItems::LiveReason(seconds).text, text);
}

void TestExpressLinux::summaryCountsEveryReason_data()
{
    QTest::addColumn<QList<int>>("counts"); // by reason, then the files left unchecked
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QString>("text");
    QTest::newRow("express") << QList<int>{0, 0, 1, 0, 40, 2, 7, 1, 548} << false
                             << "Left out as protected : 43 files (in use 1, backup 40, desktop session 2); "
                                "8 files you may not remove were left out; "
                                "Left unchecked as in use : 548 files (changed in the last 24 hours)";
    QTest::newRow("custom") << QList<int>{0, 0, 0, 0, 0, 0, 7, 1, 0} << true
                            << "Locked as protected : 8 files (needs administrator rights 7, immutable 1)";
    QTest::newRow("only refused") << QList<int>{0, 0, 0, 0, 0, 0, 3, 0, 0} << false
                                  << "3 files you may not remove were left out";
}

void TestExpressLinux::summaryCountsEveryReason()
{
    QFETCH(QList<int>, counts);
    QFETCH(bool, locked);
    QFETCH(QString, text);
    CProtection::Counts array{};
    QCOMPARE(qsizetype(array.size()), counts.size());
    for (qsizetype i = 0; i < counts.size(); ++i)
        array[std::size_t(i)] = counts[i];
    QCOMPARE(CProtection::SummaryText(array, locked, 0), text);
}

QTEST_GUILESS_MAIN(TestExpressLinux)
#include "tst_expresslinux.moc"
