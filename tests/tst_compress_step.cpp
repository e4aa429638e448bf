// The program's side of Compress without widgets: finding and loading the
// plug-in by full path, and the step that hands one listed file to it, with
// stand-in plug-ins that fail, call back twice or three times, or lack the
// entry point, and with the real plug-in.
#include "RawFiles.h"
#include "TempDrive.h"
#include "ZipReader.h"

#include "platform/CPluginLibrary.h"
#include "platform/CompressApi.h"
#include "core/CActionRunner.h"
#include "core/CCompressPlugin.h"
#include "core/CCompressStep.h"
#include "core/CResultStore.h"
#include "res/ResourceIds.h"

#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray StandIn(const char *mode)
{
    return QByteArray(BV_STANDIN_DIR) + '/' + mode;
}

CompressFn LoadFrom(const QByteArray &folder)
{
    CPluginLibrary library;
    if (library.Load({folder}, BV_COMPRESS_LIBRARY_NAME, BV_COMPRESS_ENTRY_NAME) != CPluginLibrary::Status::Loaded)
        return nullptr;
    return reinterpret_cast<CompressFn>(library.GetEntry());
}

} // namespace

class TestCompressStep : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void loaderNamesEveryPathItLookedIn();
    void loaderTellsAMissingEntryFromAMissingLibrary();
    void loaderTakesTheFirstFolderThatHoldsTheLibrary();
    void defaultFoldersAreBesideTheExecutableThenInstalled();
    void bothFrontEndsLoadThePluginAlike_data();
    void bothFrontEndsLoadThePluginAlike();

    void failingPluginAnnouncesEachFile();
    void twoCallbacksStoreThreeFailSilently();
    void fileReplacedSinceTheScanIsNotHandedOver();
    void realPluginStoresWithoutChangingTheFile();
    void aFileThatIsNotAnArchiveStopsTheRunOnce_data();
    void aFileThatIsNotAnArchiveStopsTheRunOnce();

private:
    void AddFile(const QByteArray &relative);

    std::unique_ptr<TempDrive> m_drive;
    std::unique_ptr<CResultStore> m_store;
};

void TestCompressStep::init()
{
    m_drive = std::make_unique<TempDrive>();
    QVERIFY(m_drive->isValid());
    m_store = std::make_unique<CResultStore>();
    for (const char *name : {"Temp/a.tmp", "Temp/b.tmp", "docs/c.log"})
        AddFile(name);
}

void TestCompressStep::AddFile(const QByteArray &relative)
{
    QVERIFY(m_drive->makeFile(relative, 100));
    const QByteArray path = m_drive->path(relative);
    struct stat st {};
    QCOMPARE(::lstat(path.constData(), &st), 0);
    WalkRecord record;
    record.folder = path.left(path.lastIndexOf('/'));
    record.name = path.mid(path.lastIndexOf('/') + 1);
    record.size = st.st_size;
    record.device = st.st_dev;
    record.inode = st.st_ino;
    // The whole identity, as the walk records it.
    struct statx sx {};
    QCOMPARE(::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &sx), 0);
    record.identity = FileIdentity::FromStatx(sx);
    m_store->AddResult(record);
}

void TestCompressStep::loaderNamesEveryPathItLookedIn()
{
    const QByteArray first = m_drive->path("bin");
    const QByteArray second = m_drive->path("lib/brimvale");
    CPluginLibrary library;
    QCOMPARE(library.Load({first, second}, BV_COMPRESS_LIBRARY_NAME, BV_COMPRESS_ENTRY_NAME),
             CPluginLibrary::Status::MissingLibrary);
    QCOMPARE(library.GetPath(), first + "/libcomp.so\n" + second + "/libcomp.so");
    QVERIFY(!library.GetEntry());

    // There but not a library: named alone, with the system's reason.
    QVERIFY(m_drive->makeFolder("bin"));
    QFile damaged(QFile::decodeName(first + "/libcomp.so"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not an ELF file");
    damaged.close();
    QCOMPARE(library.Load({first, second}, BV_COMPRESS_LIBRARY_NAME, BV_COMPRESS_ENTRY_NAME),
             CPluginLibrary::Status::MissingLibrary);
    QCOMPARE(library.GetPath(), first + "/libcomp.so");
    QVERIFY(!library.GetError().isEmpty());
}

void TestCompressStep::loaderTellsAMissingEntryFromAMissingLibrary()
{
    CPluginLibrary library;
    QCOMPARE(library.Load({StandIn("noentry")}, BV_COMPRESS_LIBRARY_NAME, BV_COMPRESS_ENTRY_NAME),
             CPluginLibrary::Status::MissingEntry);
    QCOMPARE(library.GetPath(), StandIn("noentry") + "/libcomp.so");
    QVERIFY(!library.GetEntry());
}

void TestCompressStep::loaderTakesTheFirstFolderThatHoldsTheLibrary()
{
    CPluginLibrary library;
    QCOMPARE(library.Load({m_drive->path("none"), StandIn("thrice"), StandIn("fail")}, BV_COMPRESS_LIBRARY_NAME,
                          BV_COMPRESS_ENTRY_NAME),
             CPluginLibrary::Status::Loaded);
    QCOMPARE(library.GetPath(), StandIn("thrice") + "/libcomp.so");
    // Libraries of the same name from two folders are two libraries.
    QVERIFY(LoadFrom(StandIn("fail")) != LoadFrom(StandIn("thrice")));
}

void TestCompressStep::defaultFoldersAreBesideTheExecutableThenInstalled()
{
    const QList<QByteArray> folders = CPluginLibrary::DefaultFolders();
    QCOMPARE(folders.size(), 2);
    QCOMPARE(folders[0], QFile::encodeName(QCoreApplication::applicationDirPath()));
    QCOMPARE(folders[1], folders[0] + "/../lib/brimvale");
}

void TestCompressStep::bothFrontEndsLoadThePluginAlike_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<int>("textId");
    QTest::addColumn<int>("failures");
    QTest::newRow("no library") << QByteArray("none") << int(IDS_CANT_LOAD_LIBRARY) << -1;
    QTest::newRow("no entry point") << StandIn("noentry") << int(IDS_CANT_FIND_ENTRY) << -1;
    QTest::newRow("a plug-in that stores nothing") << StandIn("fail") << 0 << 3;
}

void TestCompressStep::bothFrontEndsLoadThePluginAlike()
{
    QFETCH(QByteArray, folder);
    QFETCH(int, textId);
    QFETCH(int, failures);
    if (!folder.startsWith('/'))
        folder = m_drive->path(folder);
    CCompressPlugin plugin;
    QCOMPARE(plugin.Load({folder}), textId == 0);
    QCOMPARE(plugin.GetErrorTextId(), textId);
    QCOMPARE(plugin.GetPath(), folder + "/libcomp.so");
    if (textId != 0)
        return;
    int announced = 0;
    const std::unique_ptr<CCompressStep> step =
        plugin.CreateStep(*m_store, m_drive->root(), m_drive->path("out.zip"), [&](const QByteArray &) { ++announced; });
    for (int index = 0; index < 3; ++index)
        QVERIFY(!step->Run(index).ok());
    QCOMPARE(announced, failures);
    QCOMPARE(step->GetRenamedCount(), 0);
}

void TestCompressStep::failingPluginAnnouncesEachFile()
{
    const CompressFn compress = LoadFrom(StandIn("fail"));
    QVERIFY(compress);
    const QByteArray log = m_drive->path("log.zip");
    QList<QByteArray> announced;
    CCompressStep step(*m_store, m_drive->root(), log, compress,
                       [&announced](const QByteArray &path) { announced.append(path); });
    QVERIFY(step.ChangesDisk());
    for (int i = 2; i >= 0; --i)
        QVERIFY(!step.Run(i).ok());
    const QList<QByteArray> expected = {m_store->GetPath(2), m_store->GetPath(1), m_store->GetPath(0)};
    QCOMPARE(announced, expected);
    QCOMPARE(LinesOf(log), expected); // one call per file, one file per call
    QVERIFY(!step.Run(3).ok());     // no such result
    QCOMPARE(LinesOf(log).size(), 3);
}

void TestCompressStep::twoCallbacksStoreThreeFailSilently()
{
    int announced = 0;
    const auto count = [&announced](const QByteArray &) { ++announced; };
    CCompressStep twice(*m_store, m_drive->root(), m_drive->path("two.zip"), LoadFrom(StandIn("twice")), count);
    g_nCompressCallbacks = 40; // reset before each call, whatever it was
    QVERIFY(twice.Run(0).ok());
    QCOMPARE(g_nCompressCallbacks, 2u);
    QVERIFY(twice.Run(1).ok());

    CCompressStep thrice(*m_store, m_drive->root(), m_drive->path("three.zip"), LoadFrom(StandIn("thrice")), count);
    QVERIFY(!thrice.Run(0).ok());
    QCOMPARE(g_nCompressCallbacks, 3u);
    QVERIFY(!thrice.Run(2).ok());
    QCOMPARE(announced, 0);
    QCOMPARE(LinesOf(m_drive->path("three.zip")).size(), 2);
}

void TestCompressStep::fileReplacedSinceTheScanIsNotHandedOver()
{
    // Another file renamed over the listed one: same path, other inode
    // (both existed at once, so the number cannot be reused).
    QVERIFY(m_drive->makeFile("Temp/other", 100));
    QCOMPARE(::rename(m_drive->path("Temp/other").constData(), m_drive->path("Temp/a.tmp").constData()), 0);
    // And a folder above another listed file swapped for a link.
    QCOMPARE(::rename(m_drive->path("docs").constData(), m_drive->path("docs.old").constData()), 0);
    QVERIFY(m_drive->makeSymlink("docs", "docs.old"));

    const QByteArray log = m_drive->path("log.zip");
    CCompressStep step(*m_store, m_drive->root(), log, LoadFrom(StandIn("twice")), {});
    QVERIFY(!step.Run(0).ok());
    QVERIFY(step.Run(1).ok());
    QVERIFY(!step.Run(2).ok());
    QCOMPARE(LinesOf(log), QList<QByteArray>{m_store->GetPath(1)});
}

void TestCompressStep::realPluginStoresWithoutChangingTheFile()
{
    const CompressFn compress = LoadFrom(QByteArray(BV_PLUGIN_DIR));
    QVERIFY(compress);
    struct stat before {};
    QCOMPARE(::lstat(m_store->GetPath(1).constData(), &before), 0);
    const QByteArray archive = m_drive->path("real.zip");
    CCompressStep step(*m_store, m_drive->root(), archive, compress, {});
    QVERIFY(step.Run(1).ok());
    QVERIFY(step.Run(0).ok());
    struct stat after {};
    QCOMPARE(::lstat(m_store->GetPath(1).constData(), &after), 0);
    // Not its data, its mode, its times, nor anything that moves ctime.
    QCOMPARE(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    QCOMPARE(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    QCOMPARE(after.st_mode, before.st_mode);
    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QList<QByteArray> names = {EntryNameOf(m_store->GetPath(1)), EntryNameOf(m_store->GetPath(0))};
    QCOMPARE(listing.Names(), names);

    // Another action onto the archive now there adds to it.
    CCompressStep again(*m_store, m_drive->root(), archive, compress, {});
    QVERIFY(again.Run(2).ok());
    QVERIFY(!again.IsRefused());
    names.append(EntryNameOf(m_store->GetPath(2)));
    QCOMPARE(ReadZip(archive).Names(), names);
}

void TestCompressStep::aFileThatIsNotAnArchiveStopsTheRunOnce_data()
{
    QTest::addColumn<QByteArray>("content"); // "fifo": a named pipe; "link": a link to a text file
    QTest::newRow("text") << QByteArray("my notes, not an archive\n");
    QTest::newRow("empty") << QByteArray();
    // An end record's signature with nothing to point at.
    QTest::newRow("damaged end record") << QByteArray("PK\x05\x06", 4) + QByteArray(18, '\xff');
    QTest::newRow("fifo") << QByteArray("fifo");
    QTest::newRow("link") << QByteArray("link");
}

void TestCompressStep::aFileThatIsNotAnArchiveStopsTheRunOnce()
{
    QFETCH(QByteArray, content);
    const QByteArray archive = m_drive->path("mine.zip");
    if (content == "fifo")
        QCOMPARE(::mkfifo(archive.constData(), 0600), 0);
    else if (content == "link")
        QVERIFY(m_drive->makeSymlink("mine.zip", "Temp/a.tmp"));
    else {
        QFile file(QFile::decodeName(archive));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    // The row visited first is gone: the refusal comes before any row fails.
    QCOMPARE(::unlink(m_store->GetPath(2).constData()), 0);
    struct stat before {};
    QCOMPARE(::lstat(archive.constData(), &before), 0);
    const QStringList names = QDir(QFile::decodeName(m_drive->root())).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);

    QList<QByteArray> refused, failed;
    CCompressStep step(*m_store, m_drive->root(), archive, LoadFrom(QByteArray(BV_PLUGIN_DIR)),
                       [&failed](const QByteArray &path) { failed.append(path); });
    step.SetRefusalHandler([&refused](const QByteArray &path) { refused.append(path); });
    CActionHooks hooks;
    const ActionOutcome outcome = CActionRunner(step, *m_store, m_drive->root()).Run({{0, 0}, {1, 1}, {2, 2}}, hooks);
    QCOMPARE(refused, QList<QByteArray>{archive});
    QCOMPARE(failed, QList<QByteArray>());
    QVERIFY(outcome.refused);
    QCOMPARE(outcome.done, 0);
    QCOMPARE(outcome.GetFailedCount(), 0);
    struct stat after {};
    QCOMPARE(::lstat(archive.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    QCOMPARE(after.st_size, before.st_size);
    // Nothing written beside it either, and the linked file as it was.
    QCOMPARE(QDir(QFile::decodeName(m_drive->root())).entryList(QDir::AllEntries | QDir::System | QDir::Hidden), names);
    QCOMPARE(QFileInfo(QFile::decodeName(m_drive->path("Temp/a.tmp"))).size(), 100);
}

QTEST_GUILESS_MAIN(TestCompressStep)
#include "tst_compress_step.moc"
