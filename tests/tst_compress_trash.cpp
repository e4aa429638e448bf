// Compress of trash rows: an entry is stored under the path it had before it
// was trashed (a trashed folder with every file), through the real plug-in;
// a plug-in that cannot name entries gets the files under their trash paths.
#include "RawFiles.h"
#include "ScanIntoStore.h"
#include "TempDrive.h"
#include "TrashFixture.h"
#include "ZipReader.h"

#include "platform/CPluginLibrary.h"
#include "platform/CompressApi.h"
#include "core/CCompressStep.h"
#include "core/CFileScan.h"
#include "core/CResultStore.h"

#include <QtTest>
#include <algorithm>

namespace {

CompressFn LoadFrom(const QByteArray &folder)
{
    CPluginLibrary library;
    if (library.Load({folder}, BV_COMPRESS_LIBRARY_NAME, BV_COMPRESS_ENTRY_NAME) != CPluginLibrary::Status::Loaded)
        return nullptr;
    return reinterpret_cast<CompressFn>(library.GetEntry());
}

// Runs the step over every row, last first; returns the rows not done.
int CompressAll(const CResultStore &store, const QByteArray &root, const QByteArray &archive, CompressFn compress)
{
    CCompressStep step(store, root, archive, compress, {});
    int failed = 0;
    for (int index = store.GetCount() - 1; index >= 0; --index)
        failed += step.Run(index).ok() ? 0 : 1;
    return failed;
}

QByteArrayList Sorted(QByteArrayList names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class TestCompressTrash : public QObject
{
    Q_OBJECT

private slots:
    void entriesTakeTheirOriginalPaths_data();
    void entriesTakeTheirOriginalPaths();
    void pluginWithoutNamesGetsTrashPaths();
    void siblingEntryIsTheLibrarysOwn();
};

void TestCompressTrash::entriesTakeTheirOriginalPaths_data()
{
    QTest::addColumn<bool>("changeOne");
    QTest::newRow("all as listed") << false;
    // One file of the folder changed since the scan: nothing of it is stored.
    QTest::newRow("a folder's file changed") << true;
}

void TestCompressTrash::entriesTakeTheirOriginalPaths()
{
    QFETCH(bool, changeOne);
    TempDrive drive;
    TempDrive out;
    QVERIFY(MakeTrash(drive));
    CResultStore store;
    ScanIntoStore(ExpressScanOf(drive.root()), store);
    if (changeOne)
        QVERIFY(drive.makeFile(kTrash + "/files/proj/sub/b.txt", 20));
    const CompressFn compress = LoadFrom(BV_PLUGIN_DIR);
    QVERIFY(compress);
    const QByteArray archive = out.path("t.zip");
    QCOMPARE(CompressAll(store, drive.root(), archive, compress), changeOne ? 1 : 0);
    const ZipListing zip = ReadZip(archive);
    QVERIFY2(zip.ok, qPrintable(zip.error));
    QByteArrayList expected = {EntryNameOf(drive.path(kTrash + "/files/lost.bin")),
                               EntryNameOf(drive.path(kTrash + "/info/ghost.trashinfo")),
                               "home/u/Documents/report final.odt"};
    if (!changeOne)
        expected << "home/u/proj/a.txt" << "home/u/proj/sub/b.txt" << "home/u/proj/sub/c.txt";
    QCOMPARE(Sorted(zip.Names()), Sorted(expected));
    QCOMPARE(zip.Find("home/u/Documents/report final.odt")->size, 10);
    if (!changeOne)
        QCOMPARE(zip.Find("home/u/proj/sub/c.txt")->sha256, FileSha256(drive.path(kTrash + "/files/proj/sub/c.txt")));
    // Compress never changes the trash.
    QCOMPARE(Entries(drive.path(kTrash + "/files")), QByteArrayList({"lost.bin", "proj", "report 2.odt"}));
    QCOMPARE(Entries(drive.path(kTrash + "/info")), QByteArrayList({"ghost.trashinfo", "proj.trashinfo", "report 2.odt.trashinfo"}));
}

void TestCompressTrash::pluginWithoutNamesGetsTrashPaths()
{
    TempDrive drive;
    TempDrive out;
    QVERIFY(MakeTrash(drive));
    CResultStore store;
    ScanIntoStore(ExpressScanOf(drive.root()), store);
    const CompressFn compress = LoadFrom(QByteArray(BV_STANDIN_DIR) + "/twice");
    QVERIFY(compress);
    const QByteArray log = out.path("log");
    QCOMPARE(CompressAll(store, drive.root(), log, compress), 0);
    QByteArrayList expected;
    for (const char *file : {"files/lost.bin", "files/proj/a.txt", "files/proj/sub/b.txt", "files/proj/sub/c.txt",
                             "files/report 2.odt", "info/ghost.trashinfo"})
        expected << drive.path(kTrash + '/' + file);
    QByteArrayList logged = ReadFile(log).split('\n');
    logged.removeAll(QByteArray());
    QCOMPARE(Sorted(logged), expected);
}

void TestCompressTrash::siblingEntryIsTheLibrarysOwn()
{
    const CompressFn compress = LoadFrom(BV_PLUGIN_DIR);
    QVERIFY(compress);
    QVERIFY(CPluginLibrary::FindSibling(reinterpret_cast<const void *>(compress), BV_COMPRESS_NAMED_ENTRY_NAME));
    QVERIFY(!CPluginLibrary::FindSibling(reinterpret_cast<const void *>(compress), "NoSuchEntry"));
    // A library without it does not lend one from elsewhere (the real
    // plug-in is loaded in this process too).
    const CompressFn standIn = LoadFrom(QByteArray(BV_STANDIN_DIR) + "/twice");
    QVERIFY(standIn);
    QVERIFY(!CPluginLibrary::FindSibling(reinterpret_cast<const void *>(standIn), BV_COMPRESS_NAMED_ENTRY_NAME));
    QVERIFY(!CPluginLibrary::FindSibling(reinterpret_cast<const void *>(&LoadFrom), BV_COMPRESS_NAMED_ENTRY_NAME));
}

QTEST_GUILESS_MAIN(TestCompressTrash)
#include "tst_compress_trash.moc"
