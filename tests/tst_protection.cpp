// What the protection decides without any window: the compact path set, the
// package database reader with its diversions, the folder table, files held
// by running processes (read from the real process table, with child
// processes of our own), and the filter between a scan and its list.
#include "FakeDpkgDatabase.h"
#include "RawFiles.h"
#include "TempDrive.h"

#include "core/CDpkgFileSource.h"
#include "core/CPathHashSet.h"
#include "core/CProcOpenFileSource.h"
#include "core/CProtectedTrees.h"
#include "core/CProtection.h"
#include "core/CProtectionFilter.h"
#include "core/MatchReason.h"
#include "core/CResultsModel.h"
#include "core/ItemRoles.h"
#include "platform/CDpkgReader.h"
#include "platform/CProcessFiles.h"
#include "platform/RealPath.h"
#include "platform/WalkRecord.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

WalkRecord Record(const QByteArray &folder, const QByteArray &name)
{
    WalkRecord record;
    record.folder = folder;
    record.name = name;
    struct stat st;
    const QByteArray path = folder + '/' + name;
    if (::lstat(path.constData(), &st) == 0) {
        record.device = st.st_dev;
        record.inode = st.st_ino;
        record.size = st.st_size;
    }
    return record;
}

// A package source that owns exactly the paths it was given.
class CFixedPackages : public CPackageFileSource
{
public:
    explicit CFixedPackages(QList<QByteArray> paths) : m_paths(std::move(paths)) {}
    bool LoadOwnedPaths(CPathHashSet &owned) override
    {
        for (const QByteArray &path : m_paths)
            owned.Insert(path.constData(), std::size_t(path.size()));
        return true;
    }

private:
    QList<QByteArray> m_paths;
};

class CFixedOpenFiles : public COpenFileSource
{
public:
    explicit CFixedOpenFiles(std::vector<FileKey> files, int unreadable = 0)
        : m_files(std::move(files)), m_unreadable(unreadable)
    {
    }
    OpenFiles LoadOpenFiles() override
    {
        ++loads;
        OpenFiles open;
        open.files = m_files;
        open.processes = 3;
        open.unreadableProcesses = m_unreadable;
        return open;
    }
    int loads = 0;

private:
    std::vector<FileKey> m_files;
    int m_unreadable;
};

// A child that holds `path` open (or only mapped, with its descriptor
// closed) until it is killed.
struct Holder
{
    pid_t pid = -1;
    bool Start(const QByteArray &path, bool mapOnly)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return false;
        pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
            if (fd < 0)
                ::_exit(1);
            if (mapOnly) {
                void *map = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
                if (map == MAP_FAILED)
                    ::_exit(2);
                ::close(fd);
            }
            const char c = 'r';
            if (::write(ready[1], &c, 1) != 1)
                ::_exit(3);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char c = 0;
        const bool ok = pid > 0 && ::read(ready[0], &c, 1) == 1 && c == 'r';
        ::close(ready[0]);
        return ok;
    }
    void Stop()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    ~Holder() { Stop(); }
};

std::unique_ptr<CProtection> ProtectionWithRealProcesses(const QByteArray &root)
{
    return std::make_unique<CProtection>(root, CProtectedTrees(QByteArray()), nullptr,
                                         std::make_unique<CProcOpenFileSource>());
}

// Folders under the default table with the home /home/u/, and whether
// files directly in each are protected.
const std::vector<std::pair<const char *, bool>> &FolderRows()
{
    static const std::vector<std::pair<const char *, bool>> rows = {
        {"/", false},
        {"/usr", true},
        {"/usr/lib/debug/.build-id/ab", true},
        {"/usr/share/perl/5.36.0/CPAN/Meta/History", true},
        {"/usr2/cache", false},
        {"/us", false},
        {"/lib64", true},
        {"/library/Temp", false},
        {"/etc/apt", true},
        {"/var/lib/dpkg/info", true},
        {"/var/lib", true},
        {"/var/library", false},
        {"/var/log", false},
        {"/var/tmp", false},
        {"/var/tmp/build/x", false},
        {"/var/cache/apt/archives", false},
        {"/var/cache/debconf", true},
        {"/var/backups", true},
        {"/tmp", false},
        {"/tmp/work/node_modules/m/tmp", true},
        {"/tmp/work/node_modules", true},
        {"/tmp/work/node_modulesX", false},
        {"/home/u/proj/.git/objects/ab", true},
        {"/home/u/proj/.github", false},
        {"/home/u/venv/lib/python3.11/site-packages/werkzeug/debug", true},
        {"/home/u/venv/lib/python3/dist-packages/awscli/customizations/history", true},
        {"/home/u/.ssh", true},
        {"/home/other/.ssh", true},
        {"/home/u/.gnupg/private-keys-v1.d", true},
        {"/home/u/.local/share/keyrings", true},
        {"/home/u/.local/share/Trash/files", false},
        {"/home/u/.local/share", false},
        {"/home/u/.config", true},
        {"/home/u/.config/app", true},
        {"/home/u/.config/app/Cache", false},
        {"/home/u/.config/app/Cache/deeper", false},
        {"/home/u/.cache/pip", false},
        {"/home/u/.cache/tool/node_modules/x", true},
        {"/home/u/Documents/Temp", false},
        {"/srv/data", true},
        {"/srv/data/.Trash-1000/files", false},
        {"/srv/data/.Trash/files", false},
        {"/srv/data/.Trashy", true},
        {"/home/u//.ssh/", true}, // doubled and trailing slashes name the same folder
    };
    return rows;
}

} // namespace

class TestProtection : public QObject
{
    Q_OBJECT

private slots:
    void pathSetFindsExactlyWhatWasInserted();
    void dpkgListsAndDiversions();
    void diversionLines_data();
    void diversionLines();
    void missingOrFailingDatabase();
    void folderTable_data();
    void folderTable();
    void oneTableAskedInAnyOrderAnswersAsAFreshOne();
    void homeInsideAProtectedTreeKeepsItsCacheOpen();
    void checkOrderCountsAndFolderMemo();
    void packagePathsAreNamedFromTheDriveRoot();
    void absoluteEntriesJudgeTheRealPath();
    void openAndMappedFilesAreInUseOnlyWhileHeld();
    void otherUsersProcessesAreCountedNotGuessed();
    void loadReadsTheSourcesOnce();
    void filterLeavesOutOrLocks();
    void lockedFileNeverBecomesChecked();
    void summaryLine();
};

void TestProtection::pathSetFindsExactlyWhatWasInserted()
{
    CPathHashSet set;
    QVERIFY(!set.Contains(std::string("/usr")));
    QVERIFY(set.Insert("/usr/bin/perl", 13));
    QVERIFY(!set.Insert("/usr/bin/perl", 13)); // once only
    QVERIFY(set.Contains(std::string("/usr/bin/perl")));
    QVERIFY(!set.Contains(std::string("/usr/bin/perl5")));
    QVERIFY(!set.Contains(std::string("/usr/bin/per")));
    QVERIFY(!set.Contains(std::string("/USR/bin/perl")));
    // Enough paths to grow the table many times; shared prefixes and equal
    // lengths make the hash do the work.
    for (int i = 0; i < 50000; ++i) {
        const std::string path = "/usr/share/doc/package-" + std::to_string(i) + "/changelog.gz";
        QVERIFY(set.Insert(path.data(), path.size()));
    }
    QCOMPARE(set.GetCount(), std::size_t(50001));
    for (int i = 0; i < 50000; i += 7) {
        QVERIFY(set.Contains("/usr/share/doc/package-" + std::to_string(i) + "/changelog.gz"));
        QVERIFY(!set.Contains("/usr/share/doc/package-" + std::to_string(i) + "/changelog.g"));
        QVERIFY(!set.Contains("/usr/share/doc/package-" + std::to_string(i + 50000) + "/changelog.gz"));
    }
    // Bytes that are not text, and a name with a newline, are paths like any other.
    const std::string odd("/tmp/bad\xff\nname", 14);
    QVERIFY(set.Insert(odd.data(), odd.size()));
    QVERIFY(set.Contains(odd));
    QVERIFY(set.GetMemoryBytes() < 8 * 1024 * 1024);
    set.Clear();
    QVERIFY(!set.Contains(odd));
    QCOMPARE(set.GetCount(), std::size_t(0));
}

void TestProtection::dpkgListsAndDiversions()
{
    // dpkg's own query programs read a database below the drive, as they
    // would the database of a system mounted there.
    TempDrive drive;
    QVERIFY(WriteDpkgDatabase(drive.root(),
                              {{"tool", "/.\n/opt\n/opt/tool\n/opt/tool/run.log\n/opt/tool/cfg.bak\n/opt/tool/trailing/\n"
                                        "/opt/tool/a to /b\n"},
                               {"libx:amd64", "/opt/lib/libx.so.1\n/opt/lib/last.old\n"}},
                              // The first diversion moved a packaged file aside, the second
                              // (a local one) names a path no package owns.
                              "/opt/tool/cfg.bak\n/opt/tool/cfg.bak.distrib\nother-package\n"
                              "/opt/free.log\n/opt/free.log.real\n:\n"));
    // Not a file list: its lines name no installed file.
    QVERIFY(WriteFile(drive.path("var/lib/dpkg/info/tool.md5sums"), "/opt/tool/not-owned.tmp\n"));
    // Variables that would point dpkg at another database are not passed on.
    QTemporaryDir elsewhere;
    QVERIFY(WriteDpkgDatabase(QFile::encodeName(elsewhere.path()), {{"decoy", "/opt/decoy\n"}}));
    qputenv("DPKG_ADMINDIR", QFile::encodeName(elsewhere.path()) + "/var/lib/dpkg");
    qputenv("DPKG_ROOT", QFile::encodeName(elsewhere.path()));

    CPathHashSet owned;
    CDpkgFileSource source(drive.root());
    const bool loaded = source.LoadOwnedPaths(owned);
    qunsetenv("DPKG_ADMINDIR");
    qunsetenv("DPKG_ROOT");
    QVERIFY2(loaded, qPrintable(source.GetError()));
    QCOMPARE(source.GetError(), QString());
    QCOMPARE(source.GetPackageCount(), 2);
    QCOMPARE(source.GetDiversionCount(), 2);
    for (const char *path : {"/", "/opt", "/opt/tool/run.log", "/opt/tool/cfg.bak", "/opt/tool/trailing",
                             "/opt/lib/libx.so.1", "/opt/lib/last.old", "/opt/tool/cfg.bak.distrib",
                             "/opt/tool/a to /b"})
        QVERIFY2(owned.Contains(std::string(path)), path);
    for (const char *path : {"/.", "/opt/tool/not-owned.tmp", "/opt/free.log.real", "/opt/free.log", "",
                             "/opt/tool/trailing/", "/opt/decoy"})
        QVERIFY2(!owned.Contains(std::string(path)), path);
}

void TestProtection::diversionLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<QByteArray>>("readings"); // from, to, from, to...
    const auto row = [](const char *name, const char *line, QList<QByteArray> readings) {
        QTest::newRow(name) << QByteArray(line) << readings;
    };
    row("by a package", "diversion of /usr/bin/x to /usr/bin/x.real by pkg-a", {"/usr/bin/x", "/usr/bin/x.real"});
    row("local", "local diversion of /etc/x to /etc/x.orig", {"/etc/x", "/etc/x.orig"});
    row("spaces and ' by ' in paths", "diversion of /a by b/x to /c by d/y by p", {"/a by b/x", "/c by d/y"});
    // " to /" inside a path: every reading is kept, so none is missed.
    row("ambiguous", "diversion of /a to /b to /c by p", {"/a", "/b to /c", "/a to /b", "/c"});
    row("trailing slash", "local diversion of /opt/d/ to /opt/e/", {"/opt/d", "/opt/e"});
    row("no target", "diversion of /usr/bin/x by pkg", {});
    row("relative", "local diversion of etc/x to etc/y", {});
    row("no diversion", "dpkg-divert: warning: something", {});
    row("empty", "", {});
}

void TestProtection::diversionLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<QByteArray>, readings);
    QList<QByteArray> got;
    const bool found = CDpkgReader::ParseDiversion(line, [&got](const QByteArray &from, const QByteArray &to) {
        got << from << to;
    });
    QCOMPARE(got, readings);
    QCOMPARE(found, !readings.isEmpty());
}

void TestProtection::missingOrFailingDatabase()
{
    TempDrive drive;
    CPathHashSet owned;
    // No database on the drive: nothing owned, and nothing went wrong.
    CDpkgFileSource none(drive.root());
    QVERIFY(!none.LoadOwnedPaths(owned));
    QCOMPARE(owned.GetCount(), std::size_t(0));
    QCOMPARE(none.GetError(), QString());
    // ... and no room made for paths that never came (it is read beside the walk).
    QVERIFY(owned.GetMemoryBytes() < 4096);

    // A database dpkg refuses (a status it cannot parse, a list cut short)
    // is reported, not taken for an empty one.
    QVERIFY(WriteDpkgDatabase(drive.root(), {{"tool", "/opt/tool\n"}}, "/opt/tool\n/opt/tool.real\npkg\n"));
    const QByteArray status = ReadFile(drive.path("var/lib/dpkg/status"));
    const struct
    {
        const char *file;
        QByteArray content;
        const char *error;
    } refused[] = {{"var/lib/dpkg/status", "Package tool without a colon\n", "parsing file"},
                   {"var/lib/dpkg/info/tool.list", "/opt/tool", "missing final newline"}};
    for (const auto &damage : refused) {
        const QByteArray before = ReadFile(drive.path(damage.file));
        QVERIFY(WriteFile(drive.path(damage.file), damage.content));
        CDpkgFileSource broken(drive.root());
        QVERIFY(!broken.LoadOwnedPaths(owned));
        QVERIFY2(broken.GetError().contains(QStringLiteral("dpkg-query exited with status 2"))
                     && broken.GetError().contains(QLatin1String(damage.error)),
                 qPrintable(broken.GetError()));
        QVERIFY(WriteFile(drive.path(damage.file), before));
    }
    QCOMPARE(ReadFile(drive.path("var/lib/dpkg/status")), status);

    // Stand-ins for the programs: missing, failing at once, failing after
    // some output. What was read before a failure stays owned.
    const QByteArray script = drive.path("partial-query");
    QVERIFY(WriteFile(script, "#!/bin/sh\necho tool\necho ' /opt/partial'\necho oops >&2\nexit 3\n"));
    QCOMPARE(::chmod(script.constData(), 0755), 0);
    struct Case
    {
        DpkgPrograms programs;
        bool loaded;
        const char *error;
        const char *owned;
    };
    const Case cases[] = {
        {{"/nonexistent/dpkg-query", "dpkg-divert"}, false, "No such file", nullptr},
        {{"false", "dpkg-divert"}, false, "false exited with status 1", nullptr},
        {{script, "dpkg-divert"}, true, "exited with status 3: oops", "/opt/partial"},
        // The file lists alone still protect the packages' files.
        {{"dpkg-query", "false"}, true, "false exited with status 1", "/opt/tool"},
    };
    for (const Case &c : cases) {
        CPathHashSet got;
        CDpkgFileSource source(drive.root(), c.programs);
        QCOMPARE(source.LoadOwnedPaths(got), c.loaded);
        QVERIFY2(source.GetError().contains(QLatin1String(c.error)), qPrintable(source.GetError()));
        if (c.owned)
            QVERIFY(got.Contains(std::string(c.owned)));
        QVERIFY(!got.Contains(std::string("/opt/tool.real")));
    }
}

void TestProtection::folderTable_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<bool>("isProtected");
    for (const auto &[folder, isProtected] : FolderRows())
        QTest::newRow(folder) << QByteArray(folder) << isProtected;
}

void TestProtection::folderTable()
{
    QFETCH(QByteArray, folder);
    QFETCH(bool, isProtected);
    const CProtectedTrees trees("/home/u/");
    QCOMPARE(trees.IsProtectedFolder(folder), isProtected);
}

void TestProtection::oneTableAskedInAnyOrderAnswersAsAFreshOne()
{
    // What one folder's answer kept of its ancestors must not leak into the
    // next: every row after every other, forwards and backwards.
    const CProtectedTrees trees("/home/u/");
    const auto &rows = FolderRows();
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto &[folder, isProtected] = rows[pass == 0 ? i : rows.size() - 1 - i];
            QVERIFY2(trees.IsProtectedFolder(QByteArray(folder)) == isProtected, folder);
        }
    }
    // Down a chain and up again, with entries that reach a few levels only.
    const std::vector<CProtectedTrees::Entry> table = {
        {CProtectedTrees::Anchor::Name, "two", 2, true},
        {CProtectedTrees::Anchor::Name, "open", CProtectedTrees::kAllBelow, false},
        {CProtectedTrees::Anchor::Name, "shut", CProtectedTrees::kAllBelow, true},
    };
    const CProtectedTrees own(QByteArray(), table);
    QByteArray chain = "/shut";
    QList<bool> down;
    for (const char *name : {"a", "two", "b", "c", "d", "open", "two", "e", "f", "g", "shut", "x"}) {
        chain += QByteArray("/") + name;
        down.append(own.IsProtectedFolder(chain));
    }
    QCOMPARE(down, (QList<bool>{true, true, true, true, true, false, true, true, true, false, true, true}));
    for (qsizetype i = down.size() - 1; i >= 0; --i) {
        QCOMPARE(own.IsProtectedFolder(chain), down[i]);
        chain.truncate(chain.lastIndexOf('/'));
    }
}

void TestProtection::homeInsideAProtectedTreeKeepsItsCacheOpen()
{
    // A service account whose home lies in /var/lib: its own cache and trash
    // stay open, the rest of its home does not.
    const CProtectedTrees trees("/var/lib/service");
    QVERIFY(!trees.IsProtectedFolder(QByteArray("/var/lib/service/.cache/x")));
    QVERIFY(trees.IsProtectedFolder(QByteArray("/var/lib/service/data")));
    QVERIFY(trees.IsProtectedFolder(QByteArray("/var/lib/service/.cache/x/site-packages")));
    // Without a home, home entries are left out rather than rooted at "/".
    const CProtectedTrees homeless{QByteArray()};
    QVERIFY(!homeless.IsProtectedFolder(QByteArray("/.config")));
    QVERIFY(homeless.IsProtectedFolder(QByteArray("/x/.ssh")));
    // A table of one's own: only the folder itself, and two levels.
    const std::vector<CProtectedTrees::Entry> table = {
        {CProtectedTrees::Anchor::Absolute, "/data/only", CProtectedTrees::kFolderOnly, true},
        {CProtectedTrees::Anchor::Name, "two", 2, true},
    };
    const CProtectedTrees own(QByteArray(), table);
    QVERIFY(own.IsProtectedFolder(QByteArray("/data/only")));
    QVERIFY(!own.IsProtectedFolder(QByteArray("/data/only/sub")));
    QVERIFY(own.IsProtectedFolder(QByteArray("/a/two/b/c")));
    QVERIFY(!own.IsProtectedFolder(QByteArray("/a/two/b/c/d")));
    QVERIFY(!own.IsProtectedFolder(QByteArray("/usr")));
}

void TestProtection::checkOrderCountsAndFolderMemo()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("a/owned.tmp", 5));
    QVERIFY(drive.makeFile("a/open.tmp", 6));
    QVERIFY(drive.makeFile("a/free.tmp", 7));
    QVERIFY(drive.makeFile("a/node_modules/owned-too.tmp", 8));
    QVERIFY(drive.makeFile("a/node_modules/plain.tmp", 9));
    const QByteArray root = drive.root();
    const WalkRecord open = Record(root + "/a", "open.tmp");
    CProtection protection(root, CProtectedTrees(QByteArray()),
                           std::make_unique<CFixedPackages>(QList<QByteArray>{"/a/owned.tmp", "/a/node_modules/owned-too.tmp"}),
                           std::make_unique<CFixedOpenFiles>(std::vector<COpenFileSource::FileKey>{{open.device, open.inode}}));
    protection.Load();
    QCOMPARE(protection.Check(Record(root + "/a", "owned.tmp")), ProtectionReason::PackageOwned);
    QCOMPARE(protection.Check(open), ProtectionReason::InUse);
    QCOMPARE(protection.Check(Record(root + "/a", "free.tmp")), ProtectionReason::None);
    // The package's claim is reported before the folder's.
    QCOMPARE(protection.Check(Record(root + "/a/node_modules", "owned-too.tmp")), ProtectionReason::PackageOwned);
    QCOMPARE(protection.Check(Record(root + "/a/node_modules", "plain.tmp")), ProtectionReason::ProtectedFolder);
    // Back in the open folder: the last folder's verdict must not stick.
    QCOMPARE(protection.Check(Record(root + "/a", "free.tmp")), ProtectionReason::None);
    QCOMPARE(protection.Check(Record(root + "/a/node_modules", "plain.tmp")), ProtectionReason::ProtectedFolder);

    const CProtection::Counts &counts = protection.GetCounts();
    QCOMPARE(counts[std::size_t(ProtectionReason::PackageOwned)], 2);
    QCOMPARE(counts[std::size_t(ProtectionReason::InUse)], 1);
    QCOMPARE(counts[std::size_t(ProtectionReason::ProtectedFolder)], 2);
    QCOMPARE(counts[std::size_t(ProtectionReason::None)], 0);
    QCOMPARE(protection.GetProtectedCount(), 5);
    protection.ResetCounts();
    QCOMPARE(protection.GetProtectedCount(), 0);

    // Same inode number on another device is another file.
    WalkRecord twin = open;
    twin.device = open.device + 1;
    twin.name = "twin.tmp";
    QCOMPARE(protection.Check(twin), ProtectionReason::None);
}

void TestProtection::packagePathsAreNamedFromTheDriveRoot()
{
    // The lists name "/etc/x.bak" as seen from the system they describe:
    // on a drive mounted at R that file is R/etc/x.bak, not /etc/x.bak.
    TempDrive drive;
    QVERIFY(drive.makeFile("etc2/x.bak"));
    QVERIFY(drive.makeFile("x.bak"));
    const QByteArray root = drive.root();
    CProtection protection(root + "///", CProtectedTrees(QByteArray()),
                           std::make_unique<CFixedPackages>(QList<QByteArray>{"/etc2/x.bak", "/x.bak"}), nullptr);
    protection.Load();
    QVERIFY(protection.HasPackageDatabase());
    QCOMPARE(protection.Check(Record(root + "/etc2", "x.bak")), ProtectionReason::PackageOwned);
    QCOMPARE(protection.Check(Record(root, "x.bak")), ProtectionReason::PackageOwned);
    QCOMPARE(protection.Check(Record(root + "/etc2", "x.bak2")), ProtectionReason::None);
    // The same list on the system's own root names the path as it is.
    CProtection atRoot("/", CProtectedTrees(QByteArray()),
                       std::make_unique<CFixedPackages>(QList<QByteArray>{root + "/etc2/x.bak", "/x.bak"}), nullptr);
    atRoot.Load();
    QCOMPARE(atRoot.Check(Record(root + "/etc2", "x.bak")), ProtectionReason::PackageOwned);
    WalkRecord inRoot;
    inRoot.folder = "/";
    inRoot.name = "x.bak";
    QCOMPARE(atRoot.Check(inRoot), ProtectionReason::PackageOwned);
}

void TestProtection::absoluteEntriesJudgeTheRealPath()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("real/locked/a.tmp"));
    QVERIFY(drive.makeFile("real/open/b.tmp"));
    QVERIFY(drive.makeSymlink("link", "real"));
    const QByteArray realLocked = RealPath(drive.path("real/locked"));
    const std::vector<CProtectedTrees::Entry> table = {
        {CProtectedTrees::Anchor::Absolute, realLocked.constData(), CProtectedTrees::kAllBelow, true},
    };
    // The drive is reached through a link: its files are judged where they are.
    const QByteArray root = drive.path("link");
    CProtection protection(root, CProtectedTrees(QByteArray(), table), nullptr, nullptr);
    protection.Load();
    QCOMPARE(protection.Check(Record(root + "/locked", "a.tmp")), ProtectionReason::ProtectedFolder);
    QCOMPARE(protection.Check(Record(root + "/open", "b.tmp")), ProtectionReason::None);
    QCOMPARE(protection.Check(Record(root + "/locked", "a.tmp")), ProtectionReason::ProtectedFolder);
}

void TestProtection::openAndMappedFilesAreInUseOnlyWhileHeld()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("held/open.log", 4096));
    QVERIFY(drive.makeFile("held/mapped.log", 4096));
    QVERIFY(drive.makeFile("held/free.log", 4096));
    const QByteArray root = drive.root();
    const WalkRecord open = Record(root + "/held", "open.log");
    const WalkRecord mapped = Record(root + "/held", "mapped.log");
    const WalkRecord free = Record(root + "/held", "free.log");

    Holder opener;
    Holder mapper;
    QVERIFY(opener.Start(drive.path("held/open.log"), false));
    QVERIFY(mapper.Start(drive.path("held/mapped.log"), true));
    {
        auto protection = ProtectionWithRealProcesses(root);
        protection->Load();
        QVERIFY(protection->GetProcessCount() >= 3);
        QCOMPARE(protection->Check(open), ProtectionReason::InUse);
        QCOMPARE(protection->Check(mapped), ProtectionReason::InUse); // no descriptor left, only the mapping
        QCOMPARE(protection->Check(free), ProtectionReason::None);
    }
    opener.Stop();
    mapper.Stop();
    {
        auto protection = ProtectionWithRealProcesses(root);
        protection->Load();
        QCOMPARE(protection->Check(open), ProtectionReason::None);
        QCOMPARE(protection->Check(mapped), ProtectionReason::None);
    }

    // Removed while held: the name is gone, a new file takes the name; the
    // newcomer is not the held file.
    QVERIFY(opener.Start(drive.path("held/open.log"), false));
    QVERIFY(::unlink(drive.path("held/open.log").constData()) == 0);
    QVERIFY(drive.makeFile("held/open.log", 10));
    auto protection = ProtectionWithRealProcesses(root);
    protection->Load();
    const WalkRecord newcomer = Record(root + "/held", "open.log");
    QVERIFY(newcomer.inode != open.inode);
    QCOMPARE(protection->Check(newcomer), ProtectionReason::None);
}

void TestProtection::otherUsersProcessesAreCountedNotGuessed()
{
    int out[2];
    QVERIFY(::pipe(out) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(77);
        const CProcessFiles::Stats stats = CProcessFiles().Read([](dev_t, ino_t) {});
        const int values[2] = {stats.processes, stats.unreadable};
        const bool ok = ::write(out[1], values, sizeof values) == ssize_t(sizeof values);
        ::_exit(ok ? 0 : 1);
    }
    ::close(out[1]);
    int values[2] = {-1, -1};
    const ssize_t got = ::read(out[0], values, sizeof values);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        QSKIP("cannot switch to another user here");
    QCOMPARE(got, ssize_t(sizeof values));
    // This test's own process belongs to another user than the reader: it
    // is counted as unreadable, and as a process.
    QVERIFY2(values[1] >= 1, qPrintable(QString::number(values[1])));
    QVERIFY(values[0] >= values[1]);

    // A process table that is not there yields nothing, and no guess.
    const CProcessFiles::Stats none = CProcessFiles("/nonexistent/proc").Read([](dev_t, ino_t) { QFAIL("no file"); });
    QCOMPARE(none.processes, 0);
    QCOMPARE(none.unreadable, 0);
}

void TestProtection::loadReadsTheSourcesOnce()
{
    auto source = std::make_unique<CFixedOpenFiles>(std::vector<COpenFileSource::FileKey>{{1, 2}, {1, 2}, {3, 4}}, 2);
    CFixedOpenFiles *raw = source.get();
    CProtection protection("/", CProtectedTrees(QByteArray()), nullptr, std::move(source));
    QVERIFY(!protection.IsLoaded());
    protection.Load();
    protection.Load();
    QCOMPARE(raw->loads, 1);
    QCOMPARE(protection.GetOpenFileCount(), std::size_t(2)); // duplicates folded
    QCOMPARE(protection.GetUnreadableProcesses(), 2);
    QVERIFY(!protection.HasPackageDatabase());
}

void TestProtection::filterLeavesOutOrLocks()
{
    struct Sink : CMatchSink
    {
        QList<QByteArray> listed;
        QList<QPair<QByteArray, ProtectionReason>> locked;
        int refreshes = 0;
        void AddMatch(const ScanMatch &match) override
        {
            if (match.protection == ProtectionReason::None)
                listed.append(match.record.name);
            else
                locked.append({match.record.name, match.protection});
        }
        void RefreshWhileBusy(bool) override { ++refreshes; }
    };
    CProtection protection("/", CProtectedTrees(QByteArray()), nullptr, nullptr);
    protection.Load();
    WalkRecord kept;
    kept.folder = "/home/u/Temp";
    kept.name = "a.tmp";
    WalkRecord guarded;
    guarded.folder = "/usr/lib/debug/.build-id/ab";
    guarded.name = "cd.debug";

    Sink express;
    CProtectionFilter leaveOut(&protection, express, false);
    const MatchReason why;
    leaveOut.AddMatch({kept, why});
    leaveOut.AddMatch({guarded, why});
    leaveOut.RefreshWhileBusy(true);
    QCOMPARE(express.listed, QList<QByteArray>{"a.tmp"});
    QVERIFY(express.locked.isEmpty());
    QCOMPARE(express.refreshes, 1);

    Sink custom;
    CProtectionFilter lock(&protection, custom, true);
    lock.AddMatch({kept, why});
    lock.AddMatch({guarded, why});
    QCOMPARE(custom.listed, QList<QByteArray>{"a.tmp"});
    QCOMPARE(custom.locked.size(), 1);
    QCOMPARE(custom.locked[0].second, ProtectionReason::ProtectedFolder);
    QCOMPARE(protection.GetProtectedCount(), 2);

    Sink unprotected;
    CProtectionFilter none(nullptr, unprotected, false);
    none.AddMatch({guarded, why});
    QCOMPARE(unprotected.listed, QList<QByteArray>{"cd.debug"});
}

void TestProtection::lockedFileNeverBecomesChecked()
{
    CResultsModel model;
    WalkRecord record;
    record.folder = "/x";
    record.name = "free.tmp";
    record.size = 100;
    model.AddResult(record);
    record.name = "locked.tmp";
    record.size = 1000;
    const int locked = model.AddLockedResult(record, ProtectionReason::InUse);
    model.FlushPendingRows();
    const CResultStore &store = model.GetStore();
    QCOMPARE(store.GetSelectedCount(), 1);
    QCOMPARE(store.GetSelectedBytes(), 100);
    QVERIFY(store.IsLocked(locked));
    QVERIFY(!store.IsChecked(locked));
    QCOMPARE(store.GetLockReason(locked), ProtectionReason::InUse);
    QVERIFY(!store.IsLocked(-1));
    QVERIFY(!store.IsLocked(99));
    QCOMPARE(store.GetLockReason(0), ProtectionReason::None);

    QSignalSpy spy(&model, &CResultsModel::checkChanged);
    QVERIFY(!model.SetCheck(1, true));
    const QModelIndex cell = model.index(1, kColumnFile);
    QVERIFY(!model.setData(cell, int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(cell.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QVERIFY(!(model.flags(cell) & Qt::ItemIsUserCheckable));
    QVERIFY(model.flags(cell) & Qt::ItemIsSelectable);
    QVERIFY(model.flags(model.index(0, kColumnFile)) & Qt::ItemIsUserCheckable);
    QVERIFY(cell.data(kCheckLockedRole).toBool());
    QVERIFY(!model.index(0, kColumnFile).data(kCheckLockedRole).toBool());
    QCOMPARE(model.index(1, kColumnSize).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Protected (in use): this file cannot be checked"));
    QVERIFY(!model.index(0, kColumnSize).data(Qt::ToolTipRole).isValid());
    QCOMPARE(store.GetSelectedCount(), 1);

    // Unchecking and removing a locked row leave the totals alone.
    model.SetCheck(1, false);
    model.RemoveRowList({1});
    QCOMPARE(store.GetSelectedCount(), 1);
    QCOMPARE(store.GetSelectedBytes(), 100);
}

void TestProtection::summaryLine()
{
    CProtection::Counts counts{};
    QCOMPARE(CProtection::SummaryText(counts, false, 0), QString());
    counts[std::size_t(ProtectionReason::PackageOwned)] = 350;
    counts[std::size_t(ProtectionReason::ProtectedFolder)] = 14;
    QCOMPARE(CProtection::SummaryText(counts, false, 0),
             QStringLiteral("Left out as protected : 364 files (owned by packages 350, protected folder 14)"));
    counts[std::size_t(ProtectionReason::InUse)] = 1;
    QCOMPARE(CProtection::SummaryText(counts, true, 3),
             QStringLiteral("Locked as protected : 365 files (owned by packages 350, in use 1, protected folder 14); "
                            "open files of 3 processes could not be read"));
    QCOMPARE(CProtection::SummaryText(CProtection::Counts{}, true, 2),
             QStringLiteral("open files of 2 processes could not be read"));
    QCOMPARE(CProtection::SummaryText(CProtection::Counts{}, true, 1),
             QStringLiteral("open files of 1 process could not be read"));
}

QTEST_MAIN(TestProtection)
#include "tst_protection.moc"
