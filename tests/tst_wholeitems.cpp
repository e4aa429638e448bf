#include <QtTest>

#include "ChildProcess.h"
#include "ScanIntoStore.h"
#include "TempDrive.h"
#include "TrashFixture.h"
#include "core/CDeleteStep.h"
#include "core/CEmptiedFolders.h"
#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CMoveRecord.h"
#include "core/CMoveStep.h"
#include "core/CResultStore.h"
#include "core/CResultsModel.h"
#include "core/CTrashInfo.h"
#include "core/CUndoMoveStep.h"
#include "platform/CEmptyFolderRemover.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kSignature = "Signature: 8a477f597d28d172789f06886806bc55";

// Deletes every listed file as the Delete action does, noting each file that
// went, then removes what that emptied. Returns the folders removed.
int DeleteAllAndSweep(const TempDrive &drive, const CResultStore &store,
                      const std::function<void()> &beforeSweep = {})
{
    CDeleteStep step(store, drive.root());
    CEmptiedFolders emptied(store, drive.root());
    for (int index = store.GetCount() - 1; index >= 0; --index)
        if (step.Run(index).ok())
            emptied.NoteLeft(index);
    if (beforeSweep)
        beforeSweep();
    return emptied.RemoveEmptied();
}

CFileScan CustomLocationScan(const QByteArray &root, const QString &pattern)
{
    CFileScan scan;
    scan.m_bExpress = 0;
    scan.m_bLocation = 1;
    scan.m_arrLocations = {pattern};
    scan.m_strDrive = QFile::decodeName(root);
    return scan;
}

QByteArray ReadFile(const TempDrive &drive, const QByteArray &relative)
{
    QFile file(QFile::decodeName(drive.path(relative)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArrayList Entries(const TempDrive &drive, const QByteArray &relative)
{
    QByteArrayList names;
    for (const QString &name : QDir(QFile::decodeName(drive.path(relative))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
        names.append(QFile::encodeName(name));
    return names;
}

int IndexOf(const CResultStore &store, const TempDrive &drive, const QByteArray &relative)
{
    for (int index = 0; index < store.GetCount(); ++index)
        if (store.GetPath(index) == drive.path(relative))
            return index;
    return -1;
}

// Moves every row as the results page does, ends the step, and returns
// what Undo needs.
std::unique_ptr<CMoveRecord> MoveAll(CResultsModel &model, CMoveStep &step)
{
    const std::vector<int> before = model.GetRowItems();
    std::vector<int> handled;
    for (int row = model.rowCount() - 1; row >= 0; --row)
        if (step.Run(model.GetItem(row)).ok())
            handled.push_back(row);
    step.Finish();
    model.RemoveRowList(handled);
    std::unique_ptr<CMoveRecord> record = step.TakeRecord();
    record->TakeRows(before);
    record->SetListAfter(model.GetLayoutGeneration(), model.rowCount());
    return record;
}

int UndoAll(CResultsModel &model, std::unique_ptr<CMoveRecord> record, bool alwaysCopy = false)
{
    CUndoMoveStep undo(model, std::move(record));
    undo.GetMover().SetAlwaysCopy(alwaysCopy);
    int failed = 0;
    const std::vector<int> items = undo.GetOwnItems();
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        failed += undo.Run(*it).ok() ? 0 : 1;
    undo.Finish();
    return failed;
}

} // namespace

class TestWholeItems : public QObject
{
    Q_OBJECT
private slots:
    void taggedCacheFoldersAreMatchedTagExcluded_data();
    void taggedCacheFoldersAreMatchedTagExcluded();
    void emptiedFoldersGoUpToTheMatchedFolder_data();
    void emptiedFoldersGoUpToTheMatchedFolder();
    void folderThatGainedAFileStays();
    void mountPointMadeAfterTheScanStays();
    void removerRefusesWhatIsNotAnEmptyFolder();
    void trashInfoIsRead_data();
    void trashInfoIsRead();
    void directorySizesLoseOneLine();
    void trashEntriesAreOneRowEach();
    void deletingTheWholeTrashLeavesItEmptyAndValid();
    void uncheckedTrashEntryStaysWhole();
    void folderEntryThatGainedAFileKeepsItsInformation();
    void trashAtTheTopOfTheDrive();
    void moveRemovesEmptiedFoldersAndUndoMakesThemAgain();
    void movedTrashGoesUnderOriginalNamesAndUndoRestoresIt_data();
    void movedTrashGoesUnderOriginalNamesAndUndoRestoresIt();
    void trashedFolderMovesWholeOrNotAtAll_data();
    void trashedFolderMovesWholeOrNotAtAll();
};

void TestWholeItems::taggedCacheFoldersAreMatchedTagExcluded_data()
{
    QTest::addColumn<int>("readers");
    QTest::newRow("one reader") << 1;
    QTest::newRow("read ahead") << 3;
}

void TestWholeItems::taggedCacheFoldersAreMatchedTagExcluded()
{
    QFETCH(int, readers);
    TempDrive drive;
    QVERIFY(drive.makeFile("proj/good/obj/a.o", 10));
    QVERIFY(drive.makeFile("proj/good/b.bin", 20));
    QVERIFY(drive.writeFile("proj/good/CACHEDIR.TAG", kSignature + "\n# made by a build tool\n"));
    QVERIFY(drive.makeFile("proj/bad/c.bin", 5));
    QVERIFY(drive.writeFile("proj/bad/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc54"));
    QVERIFY(drive.makeFile("proj/short/d.bin", 5));
    QVERIFY(drive.writeFile("proj/short/CACHEDIR.TAG", kSignature.left(42)));
    QVERIFY(drive.makeFile("proj/linked/e.bin", 5));
    QVERIFY(drive.makeSymlink("proj/linked/CACHEDIR.TAG", drive.path("proj/good/CACHEDIR.TAG")));
    QVERIFY(drive.makeFile("proj/piped/f.bin", 5));
    QCOMPARE(::mkfifo(drive.path("proj/piped/CACHEDIR.TAG").constData(), 0644), 0);
    QVERIFY(drive.makeFile("proj/lower/CACHEDIR.tag", 0));
    QVERIFY(drive.writeFile("proj/lower/CACHEDIR.tag", kSignature));
    QVERIFY(drive.makeFile("proj/lower/g.bin", 5));

    CResultStore store;
    const QByteArrayList listed = ScanIntoStore(ExpressScanOf(drive.root()), store, readers);
    // Only the folder with a regular tag of the exact name and signature;
    // the tag itself never, and a pipe in its place did not hang the walk.
    QCOMPARE(listed, QByteArrayList({"proj/good/b.bin", "proj/good/obj/a.o"}));
    for (int index = 0; index < store.GetCount(); ++index)
        QCOMPARE(store.GetReasonText(index), QStringLiteral("Tagged cache: ") + QFile::decodeName(drive.path("proj/good")));
    QCOMPARE(store.GetRuleFolderDepth(store.GetPaths().GetFolderIndex(0)), 2);
}

void TestWholeItems::emptiedFoldersGoUpToTheMatchedFolder_data()
{
    QTest::addColumn<bool>("express");
    QTest::newRow("Express folder rule") << true;
    QTest::newRow("Custom location") << false;
}

void TestWholeItems::emptiedFoldersGoUpToTheMatchedFolder()
{
    QFETCH(bool, express);
    TempDrive drive;
    QVERIFY(drive.makeFile("home/Temp/a/b/c/x.tmp", 3));
    QVERIFY(drive.makeFile("home/Temp/a/y.tmp", 3));
    QVERIFY(drive.makeFolder("home/Temp/was-empty"));
    QVERIFY(drive.makeFile("home/Temp/z.tmp", 3));
    QVERIFY(drive.makeFile("data/sub/report.bak", 3)); // listed by its extension only in Express

    CResultStore store;
    const CFileScan scan = express ? ExpressScanOf(drive.root()) : CustomLocationScan(drive.root(), "temp");
    const QByteArrayList listed = ScanIntoStore(scan, store);
    QCOMPARE(listed.size(), express ? 4 : 3);
    QCOMPARE(DeleteAllAndSweep(drive, store), 3);
    QVERIFY(!drive.exists("home/Temp/a"));
    QVERIFY(drive.exists("home/Temp"));           // the matched folder itself
    QVERIFY(drive.exists("home/Temp/was-empty")); // empty before the scan
    QVERIFY(drive.exists("data/sub"));            // no folder rule listed its file
    QVERIFY(drive.exists("home"));
}

void TestWholeItems::folderThatGainedAFileStays()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("Temp/a/b/c/x.tmp", 3));
    QVERIFY(drive.makeFile("Temp/a/y.tmp", 3));
    QVERIFY(drive.makeFile("Temp/q/r/s.tmp", 3));
    CResultStore store;
    ScanIntoStore(ExpressScanOf(drive.root()), store);
    const int removed = DeleteAllAndSweep(drive, store, [&] {
        QVERIFY(drive.makeFile("Temp/a/b/new.txt", 1));
        // A folder swapped for a link is neither followed nor removed.
        QVERIFY(drive.makeFolder("elsewhere/r"));
        QCOMPARE(::rename(drive.path("Temp/q").constData(), drive.path("moved").constData()), 0);
        QVERIFY(drive.makeSymlink("Temp/q", drive.path("elsewhere")));
    });
    QCOMPARE(removed, 1);
    QVERIFY(!drive.exists("Temp/a/b/c"));
    QVERIFY(drive.exists("Temp/a/b/new.txt"));
    QVERIFY(drive.exists("elsewhere/r"));
    QVERIFY(drive.exists("moved/r"));
}

void TestWholeItems::mountPointMadeAfterTheScanStays()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("Temp/a/m/x.tmp", 3));
    const ChildOutput child = RunInChild([&](QByteArray &out) {
        if (!EnterPrivateMountNamespace(out))
            return kSkipCode;
        CResultStore store;
        ScanIntoStore(ExpressScanOf(drive.root()), store);
        const int removed = DeleteAllAndSweep(drive, store, [&] {
            if (::mount("none", drive.path("Temp/a/m").constData(), "tmpfs", 0, "size=16k") != 0)
                out += "mount failed: " + QByteArray(strerror(errno));
        });
        if (!out.isEmpty())
            return kSkipCode;
        out = QByteArray::number(removed) + (drive.exists("Temp/a/m") ? " kept" : " gone");
        return 0;
    });
    if (child.exitCode == kSkipCode)
        QSKIP(child.text.constData());
    QCOMPARE(child.exitCode, 0);
    QCOMPARE(child.text, QByteArray("0 kept"));
}

void TestWholeItems::removerRefusesWhatIsNotAnEmptyFolder()
{
    TempDrive drive;
    QVERIFY(drive.makeFolder("empty"));
    QVERIFY(drive.makeFile("full/f", 1));
    QVERIFY(drive.makeFile("file", 1));
    QVERIFY(drive.makeSymlink("link", drive.path("empty")));
    const int fd = ::open(drive.root().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    using Outcome = CEmptyFolderRemover::Outcome;
    QCOMPARE(CEmptyFolderRemover::RemoveIfEmpty(fd, "full"), Outcome::Kept);
    QCOMPARE(CEmptyFolderRemover::RemoveIfEmpty(fd, "file"), Outcome::Kept);
    QCOMPARE(CEmptyFolderRemover::RemoveIfEmpty(fd, "link"), Outcome::Kept);
    QCOMPARE(CEmptyFolderRemover::RemoveIfEmpty(fd, ".."), Outcome::Kept);
    QCOMPARE(CEmptyFolderRemover::RemoveIfEmpty(fd, "missing"), Outcome::Gone);
    QVERIFY(drive.exists("empty"));
    QCOMPARE(CEmptyFolderRemover::RemoveIfEmpty(fd, "empty"), Outcome::Removed);
    ::close(fd);
    QVERIFY(!drive.exists("empty"));
    QVERIFY(drive.exists("full/f"));
    QVERIFY(drive.exists("file"));
}

void TestWholeItems::trashInfoIsRead_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("date");
    QTest::newRow("plain") << QByteArray("[Trash Info]\nPath=/a/b.txt\nDeletionDate=2004-08-31T22:32:08\n")
                           << QByteArray("/a/b.txt") << "2004-08-31 22:32:08";
    QTest::newRow("escaped, not UTF-8") << QByteArray("[Trash Info]\nPath=/a/x%20y%FF\n") << QByteArray("/a/x y\xff")
                                        << "";
    QTest::newRow("relative to the top") << QByteArray("[Trash Info]\nPath=data/c\nDeletionDate=x\n")
                                         << QByteArray("/top/data/c") << "x";
    QTest::newRow("first key counts") << QByteArray("[Trash Info]\nPath=/1\nPath=/2\n") << QByteArray("/1") << "";
    QTest::newRow("other group") << QByteArray("[Other]\nPath=/a\n") << QByteArray() << "";
    QTest::newRow("no header") << QByteArray("Path=/a\n") << QByteArray() << "";
    QTest::newRow("NUL in path") << QByteArray("[Trash Info]\nPath=/a%00b\n") << QByteArray() << "";
}

void TestWholeItems::trashInfoIsRead()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, path);
    QFETCH(QString, date);
    const CTrashInfo info = CTrashInfo::Parse(text, "/top");
    QCOMPARE(info.IsValid(), !path.isEmpty());
    QCOMPARE(info.GetOriginalPath(), path);
    QCOMPARE(info.GetDeletionDate(), date);
}

void TestWholeItems::directorySizesLoseOneLine()
{
    const QByteArray text = "10 1600000000 a%20b\n20 1600000001 c\n30 1600000002 a b\n";
    QCOMPARE(CTrashInfo::DirectorySizesWithout(text, "a b"), QByteArray("20 1600000001 c\n30 1600000002 a b\n"));
    QCOMPARE(CTrashInfo::DirectorySizesWithout(text, "d"), text);
    QCOMPARE(CTrashInfo::DirectorySizesWithout("1 2 c", "c"), QByteArray());
}

void TestWholeItems::trashEntriesAreOneRowEach()
{
    TempDrive drive;
    QVERIFY(MakeTrash(drive));
    CResultStore store;
    const QByteArrayList listed = ScanIntoStore(ExpressScanOf(drive.root()), store, 3);
    QCOMPARE(listed, QByteArrayList({kTrash + "/files/lost.bin", kTrash + "/files/proj", kTrash + "/files/report 2.odt",
                                     kTrash + "/info/ghost.trashinfo"}));
    const int file = IndexOf(store, drive, kTrash + "/files/report 2.odt");
    QCOMPARE(store.GetReasonText(file), QStringLiteral("Trash: /home/u/Documents/report final.odt, deleted 2026-12-01 10:11:12"));
    QCOMPARE(store.GetSize(file), 10);
    QCOMPARE(store.GetTrash().Find(file)->originalName, QByteArray("report final.odt"));
    const int folder = IndexOf(store, drive, kTrash + "/files/proj");
    QCOMPARE(store.GetReasonText(folder), QStringLiteral("Trash: /home/u/proj, deleted 2026-12-02 08:00:00"));
    QCOMPARE(store.GetSize(folder), 6);
    QCOMPARE(store.GetTrash().Find(folder)->members.size(), std::size_t(3));
    QCOMPARE(store.GetReasonText(IndexOf(store, drive, kTrash + "/info/ghost.trashinfo")),
             QStringLiteral("Trash: information without a file"));
    const int lost = IndexOf(store, drive, kTrash + "/files/lost.bin");
    QVERIFY(store.GetReasonText(lost).startsWith(QStringLiteral("Folder \"Trash\"")));
    QVERIFY(!store.GetTrash().Find(lost));
    QCOMPARE(store.GetSelectedBytes(), 10 + 6 + 4 + ReadFile(drive, kTrash + "/info/ghost.trashinfo").size());
}

void TestWholeItems::deletingTheWholeTrashLeavesItEmptyAndValid()
{
    TempDrive drive;
    QVERIFY(MakeTrash(drive));
    CResultStore store;
    ScanIntoStore(ExpressScanOf(drive.root()), store);
    QCOMPARE(DeleteAllAndSweep(drive, store), 0);
    QCOMPARE(Entries(drive, kTrash), QByteArrayList({"directorysizes", "files", "info"}));
    QCOMPARE(Entries(drive, kTrash + "/files"), QByteArrayList());
    QCOMPARE(Entries(drive, kTrash + "/info"), QByteArrayList());
    QCOMPARE(ReadFile(drive, kTrash + "/directorysizes"), QByteArray("5 1700000000 other\n"));
}

void TestWholeItems::uncheckedTrashEntryStaysWhole()
{
    TempDrive drive;
    QVERIFY(MakeTrash(drive));
    CResultStore store;
    ScanIntoStore(ExpressScanOf(drive.root()), store);
    const int folder = IndexOf(store, drive, kTrash + "/files/proj");
    CDeleteStep step(store, drive.root());
    for (int index = store.GetCount() - 1; index >= 0; --index)
        if (index != folder)
            QVERIFY(step.Run(index).ok());
    QCOMPARE(Entries(drive, kTrash + "/files"), QByteArrayList({"proj"}));
    QCOMPARE(Entries(drive, kTrash + "/files/proj/sub"), QByteArrayList({"b.txt", "c.txt"}));
    QCOMPARE(Entries(drive, kTrash + "/info"), QByteArrayList({"proj.trashinfo"}));
    QVERIFY(ReadFile(drive, kTrash + "/directorysizes").contains(" proj"));
}

void TestWholeItems::folderEntryThatGainedAFileKeepsItsInformation()
{
    TempDrive drive;
    QVERIFY(MakeTrash(drive));
    CResultStore store;
    ScanIntoStore(ExpressScanOf(drive.root()), store);
    QVERIFY(drive.makeFile(kTrash + "/files/proj/sub/new.txt", 1));
    CDeleteStep step(store, drive.root());
    QVERIFY(!step.Run(IndexOf(store, drive, kTrash + "/files/proj")).ok());
    QCOMPARE(Entries(drive, kTrash + "/files/proj"), QByteArrayList({"sub"}));
    QCOMPARE(Entries(drive, kTrash + "/files/proj/sub"), QByteArrayList({"new.txt"}));
    QVERIFY(drive.exists(kTrash + "/info/proj.trashinfo"));
    QVERIFY(ReadFile(drive, kTrash + "/directorysizes").contains(" proj"));
}

void TestWholeItems::trashAtTheTopOfTheDrive()
{
    TempDrive drive;
    QVERIFY(drive.makeFile(".Trash-1000/files/x.txt", 7));
    QVERIFY(drive.writeFile(".Trash-1000/info/x.txt.trashinfo", "[Trash Info]\nPath=data/x.txt\nDeletionDate=2026-01-02T03:04:05\n"));
    QVERIFY(drive.makeFile(".Trash/1001/files/y.txt", 7));
    QVERIFY(drive.makeFile(".Trash-abc/files/z.txt", 7)); // not a trash: an ordinary Express folder match
    CResultStore store;
    const QByteArrayList listed = ScanIntoStore(ExpressScanOf(drive.root()), store);
    QCOMPARE(listed.size(), 3);
    QCOMPARE(store.GetReasonText(IndexOf(store, drive, ".Trash-1000/files/x.txt")),
             "Trash: " + QFile::decodeName(drive.path("data/x.txt")) + ", deleted 2026-01-02 03:04:05");
    QVERIFY(!store.GetTrash().Find(IndexOf(store, drive, ".Trash/1001/files/y.txt")));
}

void TestWholeItems::moveRemovesEmptiedFoldersAndUndoMakesThemAgain()
{
    TempDrive drive;
    TempDrive away;
    QVERIFY(drive.makeFile("Temp/a/b/c/x.tmp", 3));
    QVERIFY(drive.makeFile("Temp/a/y.tmp", 3));
    CResultsModel model;
    ScanIntoModel(ExpressScanOf(drive.root()), model);
    CMoveStep step(model.GetStore(), drive.root(), away.root(), false);
    std::unique_ptr<CMoveRecord> record = MoveAll(model, step);
    QCOMPARE(step.GetRemovedFolders(), 3);
    QCOMPARE(Entries(drive, "Temp"), QByteArrayList());
    QCOMPARE(Entries(away, ""), QByteArrayList({"x.tmp", "y.tmp"}));
    QCOMPARE(UndoAll(model, std::move(record)), 0);
    QVERIFY(drive.exists("Temp/a/b/c/x.tmp"));
    QVERIFY(drive.exists("Temp/a/y.tmp"));
}

void TestWholeItems::movedTrashGoesUnderOriginalNamesAndUndoRestoresIt_data()
{
    QTest::addColumn<bool>("alwaysCopy");
    QTest::addColumn<bool>("infoTakenMeanwhile");
    QTest::newRow("rename") << false << false;
    QTest::newRow("copy across file systems") << true << false;
    QTest::newRow("information name taken before the Undo") << false << true;
}

void TestWholeItems::movedTrashGoesUnderOriginalNamesAndUndoRestoresIt()
{
    QFETCH(bool, alwaysCopy);
    QFETCH(bool, infoTakenMeanwhile);
    TempDrive drive;
    TempDrive away;
    QVERIFY(MakeTrash(drive));
    const QByteArray reportInfo = ReadFile(drive, kTrash + "/info/report 2.odt.trashinfo");
    const QByteArray projInfo = ReadFile(drive, kTrash + "/info/proj.trashinfo");
    CResultsModel model;
    ScanIntoModel(ExpressScanOf(drive.root()), model);
    CMoveStep step(model.GetStore(), drive.root(), away.root(), false);
    step.GetMover().SetAlwaysCopy(alwaysCopy);
    std::unique_ptr<CMoveRecord> record = MoveAll(model, step);
    // Each entry under the name it had, a folder whole; the entries and
    // their information leave the trash, and the folder's cached size.
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(Entries(away, ""), QByteArrayList({"ghost.trashinfo", "lost.bin", "proj", "report final.odt"}));
    QCOMPARE(Entries(away, "proj"), QByteArrayList({"a.txt", "sub"}));
    QCOMPARE(Entries(away, "proj/sub"), QByteArrayList({"b.txt", "c.txt"}));
    QCOMPARE(Entries(drive, kTrash + "/files"), QByteArrayList());
    QCOMPARE(Entries(drive, kTrash + "/info"), QByteArrayList());
    QCOMPARE(ReadFile(drive, kTrash + "/directorysizes"), QByteArray("5 1700000000 other\n"));
    QCOMPARE(step.GetRemovedFolders(), 0);

    if (infoTakenMeanwhile)
        QVERIFY(drive.writeFile(kTrash + "/info/proj.trashinfo", "someone else's"));
    QCOMPARE(UndoAll(model, std::move(record), alwaysCopy), 0);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(Entries(away, ""), QByteArrayList());
    QCOMPARE(Entries(drive, kTrash + "/files"), QByteArrayList({"lost.bin", "proj", "report 2.odt"}));
    QCOMPARE(Entries(drive, kTrash + "/files/proj/sub"), QByteArrayList({"b.txt", "c.txt"}));
    // The information comes back as it was, never over a name taken since.
    QCOMPARE(Entries(drive, kTrash + "/info"), QByteArrayList({"ghost.trashinfo", "proj.trashinfo", "report 2.odt.trashinfo"}));
    QCOMPARE(ReadFile(drive, kTrash + "/info/report 2.odt.trashinfo"), reportInfo);
    QCOMPARE(ReadFile(drive, kTrash + "/info/proj.trashinfo"), infoTakenMeanwhile ? QByteArray("someone else's") : projInfo);

    // The rows that came back know their files as they now are: a Delete
    // of them all empties the trash, and leaves what was not its own.
    CDeleteStep remove(model.GetStore(), drive.root());
    for (int row = model.rowCount() - 1; row >= 0; --row)
        QVERIFY2(remove.Run(model.GetItem(row)).ok(), model.GetStore().GetPath(model.GetItem(row)).constData());
    QCOMPARE(Entries(drive, kTrash + "/files"), QByteArrayList());
    QCOMPARE(Entries(drive, kTrash + "/info"), infoTakenMeanwhile ? QByteArrayList({"proj.trashinfo"}) : QByteArrayList());
}

void TestWholeItems::trashedFolderMovesWholeOrNotAtAll_data()
{
    QTest::addColumn<QByteArray>("meanwhile");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<QByteArrayList>("left");
    QTest::addColumn<QByteArrayList>("arrived");
    // A folder of that name at the destination is never merged into.
    QTest::newRow("name taken at the destination") << QByteArray("away:proj/mine.txt") << false
                                                   << QByteArrayList({"a.txt", "empty", "sub"})
                                                   << QByteArrayList({"mine.txt"});
    // The last file changed since the scan: the two moved before it go back.
    QTest::newRow("a file changed") << QByteArray("drive:sub/c.txt") << false
                                    << QByteArrayList({"a.txt", "empty", "sub"}) << QByteArrayList();
    // A file put in since is not the user's choice: it stays, with the
    // entry's folder and its information.
    QTest::newRow("a file added") << QByteArray("drive:sub/new.txt") << true << QByteArrayList({"sub"})
                                  << QByteArrayList({"a.txt", "sub"});
}

void TestWholeItems::trashedFolderMovesWholeOrNotAtAll()
{
    QFETCH(QByteArray, meanwhile);
    QFETCH(bool, moves);
    QFETCH(QByteArrayList, left);
    QFETCH(QByteArrayList, arrived);
    TempDrive drive;
    TempDrive away;
    QVERIFY(MakeTrash(drive));
    CResultsModel model;
    ScanIntoModel(ExpressScanOf(drive.root()), model);
    const QByteArray relative = meanwhile.mid(meanwhile.indexOf(':') + 1);
    if (meanwhile.startsWith("away:"))
        QVERIFY(away.makeFile(relative, 1));
    else
        QVERIFY(drive.makeFile(kTrash + "/files/proj/" + relative, 9));
    CMoveStep step(model.GetStore(), drive.root(), away.root(), false);
    QCOMPARE(step.Run(IndexOf(model.GetStore(), drive, kTrash + "/files/proj")).ok(), moves);
    step.Finish();
    QCOMPARE(Entries(drive, kTrash + "/files/proj"), left);
    QCOMPARE(Entries(away, "proj"), arrived);
    QVERIFY(drive.exists(kTrash + "/info/proj.trashinfo"));
    QVERIFY(ReadFile(drive, kTrash + "/directorysizes").contains(" proj"));
    if (!moves)
        QCOMPARE(Entries(drive, kTrash + "/files/proj/sub"), QByteArrayList({"b.txt", "c.txt"}));
}

QTEST_GUILESS_MAIN(TestWholeItems)
#include "tst_wholeitems.moc"
