#include <QtTest>

#include "RawFiles.h"
#include "TempDrive.h"
#include "core/CMoveRecord.h"
#include "core/CMoveStep.h"
#include "core/CResultsModel.h"
#include "core/CUndoMoveStep.h"
#include "platform/CDirectoryWalker.h"
#include "res/ResourceIds.h"

#include <QTemporaryDir>
#include <dirent.h>
#include <map>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Undoing a Move: every file goes back byte for byte, on one file system and
// across two; a file changed or replaced where it was moved to stays there;
// nothing at the old place is replaced; old folders removed since are made
// again; the rows come back where they were, checked, with the identity the
// file now has, so the next action still finds them.

namespace {

void Scan(CResultsModel &model, const QByteArray &root)
{
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) { model.AddResult(record); });
    walker.Walk(root);
    model.FlushPendingRows();
}

QList<QByteArray> RowPaths(const CResultsModel &model)
{
    QList<QByteArray> paths;
    for (int row = 0; row < model.rowCount(); ++row)
        paths.append(model.GetStore().GetPath(model.GetItem(row)));
    return paths;
}

// Runs a step over the checked rows as the results page does, last to
// first, and takes the handled rows out.
QList<QByteArray> RunOnRows(CResultsModel &model, CActionStep &step)
{
    QList<QByteArray> failed;
    std::vector<int> handled;
    for (int row = model.rowCount() - 1; row >= 0; --row) {
        if (!model.GetCheck(row))
            continue;
        if (step.Run(model.GetItem(row)).ok())
            handled.push_back(row);
        else
            failed.append(model.GetStore().GetPath(model.GetItem(row)));
    }
    model.RemoveRowList(handled);
    return failed;
}

std::unique_ptr<CMoveRecord> MoveRows(CResultsModel &model, CMoveStep &step)
{
    const std::vector<int> before = model.GetRowItems();
    RunOnRows(model, step);
    std::unique_ptr<CMoveRecord> record = step.TakeRecord();
    record->TakeRows(before);
    record->SetListAfter(model.GetLayoutGeneration(), model.rowCount());
    return record;
}

// The page's loop over a step's own files; returns the paths it reported.
QList<QByteArray> Undo(CUndoMoveStep &step)
{
    QList<QByteArray> failed;
    const std::vector<int> items = step.GetOwnItems();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (!step.Run(*it).ok())
            failed.append(step.GetFailedPath(*it));
    }
    step.Finish();
    return failed;
}

struct Snapshot
{
    QByteArray data;
    mode_t mode;
    timespec mtime;
};

Snapshot Take(const QByteArray &path)
{
    struct stat info {};
    ::lstat(path.constData(), &info);
    Snapshot snapshot{QByteArray(), info.st_mode, info.st_mtim};
    if (info.st_size > (1 << 20)) {
        // A large sparse file: its size and the bytes in its middle.
        char middle[4] = {};
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        ::pread(fd, middle, 3, off_t(1) << 29);
        ::close(fd);
        snapshot.data = "size:" + QByteArray::number(qint64(info.st_size)) + " " + middle;
    } else if (S_ISLNK(info.st_mode)) {
        char target[256] = {};
        ::readlink(path.constData(), target, sizeof target - 1);
        snapshot.data = QByteArray("link:") + target;
    } else {
        snapshot.data = ReadFile(path);
    }
    return snapshot;
}

bool Same(const Snapshot &a, const Snapshot &b)
{
    return a.data == b.data && a.mode == b.mode && a.mtime.tv_sec == b.mtime.tv_sec
        && a.mtime.tv_nsec == b.mtime.tv_nsec;
}

} // namespace

class TestUndoMove : public QObject
{
    Q_OBJECT

    // Moves every file of `drive` to `target` (Preserve Path on) and back,
    // checking that each returns exactly as it was.
    void RoundTrip(TempDrive &drive, const QByteArray &target, bool copy)
    {
        const QByteArray sparse = drive.path("a/b/sparse.tmp");
        const QList<QByteArray> files{"a/b/x.tmp", QByteArray("a/odd\xff.tmp"), "a/link.tmp", "a/b/sparse.tmp",
                                      "top.tmp"};
        QVERIFY(drive.makeFolder("a/b"));
        QVERIFY(WriteFile(drive.path("a/b/x.tmp"), "payload"));
        QVERIFY(::chmod(drive.path("a/b/x.tmp").constData(), 0604) == 0);
        QVERIFY(WriteFile(drive.path(QByteArray("a/odd\xff.tmp")), "odd"));
        QVERIFY(drive.makeSymlink("a/link.tmp", "b/x.tmp"));
        QVERIFY(WriteFile(drive.path("top.tmp"), QByteArray(100000, 't')));
        QVERIFY(drive.makeFile("a/b/sparse.tmp", std::int64_t(1) << 30));
        {
            const int fd = ::open(sparse.constData(), O_WRONLY | O_CLOEXEC);
            QVERIFY(fd >= 0);
            QCOMPARE(::pwrite(fd, "mid", 3, off_t(1) << 29), ssize_t(3));
            ::close(fd);
        }
        const struct timespec times[2] = {{1000000000, 111}, {1100000000, 222333444}};
        QVERIFY(::utimensat(AT_FDCWD, drive.path("a/b/x.tmp").constData(), times, 0) == 0);
        std::map<QByteArray, Snapshot> before;
        for (const QByteArray &file : files)
            before[file] = Take(drive.path(file));

        CResultsModel model;
        Scan(model, drive.root());
        QCOMPARE(model.rowCount(), files.size());
        model.SetCheck(0, false); // an unchecked row stays where it is
        const QList<QByteArray> rowsBefore = RowPaths(model);
        const std::int64_t selectedBefore = model.GetStore().GetSelectedBytes();

        CMoveStep move(model.GetStore(), drive.root(), target, true);
        move.GetMover().SetAlwaysCopy(copy);
        std::unique_ptr<CMoveRecord> record = MoveRows(model, move);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(int(record->GetEntries().size()), files.size() - 1);

        CUndoMoveStep undo(model, std::move(record));
        undo.GetMover().SetAlwaysCopy(copy);
        QCOMPARE(undo.GetStatusTextId(), IDS_UNDOING_MOVE);
        QCOMPARE(undo.GetFailedMessageId(), IDS_UNDO_MOVE_FAILED);
        QVERIFY(Undo(undo).isEmpty());

        for (const QByteArray &file : files)
            QVERIFY2(Same(Take(drive.path(file)), before[file]), file.constData());
        struct stat info;
        QVERIFY(::lstat(sparse.constData(), &info) == 0);
        QVERIFY2(std::int64_t(info.st_blocks) * 512 < (std::int64_t(1) << 20), "the sparse file was filled");
        // The chosen folder stays; what the Move made in it goes.
        QVERIFY(Entries(target).isEmpty());
        QVERIFY(Exists(target));
        // Rows back where they were, checked as before.
        QCOMPARE(RowPaths(model), rowsBefore);
        QVERIFY(!model.GetCheck(0));
        for (int row = 1; row < model.rowCount(); ++row)
            QVERIFY(model.GetCheck(row));
        QCOMPARE(model.GetStore().GetSelectedBytes(), selectedBefore);

        // The files are known by what they are now: a second Move finds them.
        CMoveStep again(model.GetStore(), drive.root(), target, true);
        QVERIFY(RunOnRows(model, again).isEmpty());
        QCOMPARE(model.rowCount(), 1);
        // The temporary folders' own clean-up cannot see that name.
        ::unlink((target + "/a/odd\xff.tmp").constData());
    }

private slots:
    void undoPutsEveryFileBack_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::newRow("renamed") << false;
        QTest::newRow("copied") << true;
    }
    void undoPutsEveryFileBack()
    {
        QFETCH(bool, copy);
        TempDrive drive, target;
        RoundTrip(drive, target.root(), copy);
    }

    void undoAcrossFileSystems()
    {
        TempDrive drive;
        QTemporaryDir shm("/dev/shm/bv-undo-XXXXXX");
        if (!shm.isValid() || DeviceOf("/dev/shm") == DeviceOf(drive.root()))
            QSKIP("no second file system at /dev/shm");
        RoundTrip(drive, QFile::encodeName(shm.path()), false);
    }

    void aFileChangedOrReplacedAtTheDestinationStays()
    {
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a"));
        for (const char *name : {"kept.tmp", "replaced.tmp", "changed.tmp"})
            QVERIFY(WriteFile(drive.path(QByteArray("a/") + name), name));
        CResultsModel model;
        Scan(model, drive.root());
        CMoveStep move(model.GetStore(), drive.root(), target.root(), true);
        std::unique_ptr<CMoveRecord> record = MoveRows(model, move);
        QCOMPARE(model.rowCount(), 0);

        // Another file takes the name of one; another one is written to.
        QVERIFY(WriteFile(target.path("a/new.tmp"), "someone else's"));
        QVERIFY(::rename(target.path("a/new.tmp").constData(), target.path("a/replaced.tmp").constData()) == 0);
        const int fd = ::open(target.path("a/changed.tmp").constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QVERIFY(::write(fd, " and more", 9) == 9);
        ::close(fd);

        CUndoMoveStep undo(model, std::move(record));
        QList<QByteArray> failed = Undo(undo);
        std::sort(failed.begin(), failed.end());
        QCOMPARE(failed, (QList<QByteArray>{target.path("a/changed.tmp"), target.path("a/replaced.tmp")}));
        QCOMPARE(ReadFile(target.path("a/replaced.tmp")), QByteArray("someone else's"));
        QCOMPARE(ReadFile(target.path("a/changed.tmp")), QByteArray("changed.tmp and more"));
        QCOMPARE(ReadFile(drive.path("a/kept.tmp")), QByteArray("kept.tmp"));
        QCOMPARE(Entries(drive.path("a")), QList<QByteArray>{"kept.tmp"});
        // The folder made by the Move still holds them and stays.
        QCOMPARE(Entries(target.path("a")), (QList<QByteArray>{"changed.tmp", "replaced.tmp"}));
        QCOMPARE(RowPaths(model), QList<QByteArray>{drive.path("a/kept.tmp")});
    }

    void theOldPlaceIsNeverReplaced_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::newRow("renamed") << false;
        QTest::newRow("copied") << true;
    }
    void theOldPlaceIsNeverReplaced()
    {
        QFETCH(bool, copy);
        TempDrive drive, target;
        QVERIFY(WriteFile(drive.path("x.tmp"), "moved"));
        CResultsModel model;
        Scan(model, drive.root());
        CMoveStep move(model.GetStore(), drive.root(), target.root(), false);
        std::unique_ptr<CMoveRecord> record = MoveRows(model, move);
        QVERIFY(WriteFile(drive.path("x.tmp"), "new at the old place"));
        CUndoMoveStep undo(model, std::move(record));
        undo.GetMover().SetAlwaysCopy(copy);
        QCOMPARE(Undo(undo), QList<QByteArray>{target.path("x.tmp")});
        QCOMPARE(ReadFile(drive.path("x.tmp")), QByteArray("new at the old place"));
        QCOMPARE(ReadFile(target.path("x.tmp")), QByteArray("moved"));
        QCOMPARE(Entries(drive.root()), QList<QByteArray>{"x.tmp"});
        QCOMPARE(Entries(target.root()), QList<QByteArray>{"x.tmp"});
        QCOMPARE(model.rowCount(), 0);
    }

    void oldFoldersRemovedSinceAreMadeAgain()
    {
        TempDrive drive, target;
        QVERIFY(drive.makeFolder("a/b"));
        QVERIFY(drive.makeFolder("c/d"));
        QVERIFY(WriteFile(drive.path("a/b/x.tmp"), "x"));
        QVERIFY(WriteFile(drive.path("c/d/y.tmp"), "y"));
        CResultsModel model;
        Scan(model, drive.root());
        CMoveStep move(model.GetStore(), drive.root(), target.root(), true);
        std::unique_ptr<CMoveRecord> record = MoveRows(model, move);
        for (const char *folder : {"a/b", "a", "c/d", "c"})
            QVERIFY(::rmdir(drive.path(folder).constData()) == 0);
        // y cannot go back: the folders made again for it go again.
        QVERIFY(WriteFile(target.path("c/d/y.tmp"), "y, rewritten"));
        CUndoMoveStep undo(model, std::move(record));
        QCOMPARE(Undo(undo), QList<QByteArray>{target.path("c/d/y.tmp")});
        QCOMPARE(ReadFile(drive.path("a/b/x.tmp")), QByteArray("x"));
        QCOMPARE(Entries(drive.root()), QList<QByteArray>{"a"});
        QCOMPARE(Entries(target.root()), QList<QByteArray>{"c"});
    }

    void aLinkPutInPlaceOfAMadeFolderIsNotFollowed()
    {
        TempDrive drive, target, elsewhere;
        QVERIFY(drive.makeFolder("a"));
        QVERIFY(WriteFile(drive.path("a/x.tmp"), "x"));
        CResultsModel model;
        Scan(model, drive.root());
        CMoveStep move(model.GetStore(), drive.root(), target.root(), true);
        std::unique_ptr<CMoveRecord> record = MoveRows(model, move);
        // The folder the file went to becomes a link to a folder holding a
        // file of the same name.
        QVERIFY(::rename(target.path("a").constData(), elsewhere.path("a").constData()) == 0);
        QVERIFY(target.makeSymlink("a", elsewhere.path("a")));
        CUndoMoveStep undo(model, std::move(record));
        QCOMPARE(Undo(undo).size(), 1);
        QCOMPARE(ReadFile(elsewhere.path("a/x.tmp")), QByteArray("x"));
        QVERIFY(Entries(drive.path("a")).isEmpty());
    }

    void rowsGoWhereTheSortPutsThem()
    {
        TempDrive drive, target;
        for (int i = 0; i < 6; ++i)
            QVERIFY(drive.makeFile("f" + QByteArray::number(i) + ".tmp", 100 * (6 - i)));
        CResultsModel model;
        Scan(model, drive.root());
        model.SetCheck(2, false);
        CMoveStep move(model.GetStore(), drive.root(), target.root(), false);
        std::unique_ptr<CMoveRecord> record = MoveRows(model, move);
        QCOMPARE(model.rowCount(), 1);
        model.sort(kColumnSize, Qt::AscendingOrder);
        CUndoMoveStep undo(model, std::move(record));
        QVERIFY(Undo(undo).isEmpty());
        QCOMPARE(model.rowCount(), 6);
        for (int row = 1; row < model.rowCount(); ++row)
            QVERIFY(model.GetStore().GetSize(model.GetItem(row - 1)) <= model.GetStore().GetSize(model.GetItem(row)));
        QCOMPARE(model.GetStore().GetSelectedCount(), 5);
    }

    void returnPositionsLeaveOutWhatStaysAway()
    {
        CMoveRecord record("/d", "/t", false);
        // Rows 1, 2 and 4 of six were moved (items 11, 12, 14).
        for (int item : {14, 12, 11}) {
            CMoveRecord::Entry entry;
            entry.item = item;
            record.AddMoved(entry);
        }
        record.TakeRows({10, 11, 12, 13, 14, 15});
        using Positions = std::vector<std::pair<int, int>>;
        QCOMPARE(record.ReturnPositions({11, 12, 14}), (Positions{{1, 11}, {2, 12}, {4, 14}}));
        QCOMPARE(record.ReturnPositions({14, 11}), (Positions{{1, 11}, {3, 14}}));
        QCOMPARE(record.ReturnPositions({14}), (Positions{{2, 14}}));
        QVERIFY(record.ReturnPositions({}).empty());
        QVERIFY(record.ListUnchanged(-1, -1));
        record.SetListAfter(7, 3);
        QVERIFY(record.ListUnchanged(7, 3));
        QVERIFY(!record.ListUnchanged(8, 3));
        // A row never seen: the positions are not known.
        CMoveRecord unknown("/d", "/t", false);
        CMoveRecord::Entry entry;
        entry.item = 99;
        unknown.AddMoved(entry);
        unknown.TakeRows({1, 2});
        QVERIFY(unknown.ReturnPositions({99}).empty());
    }
};

QTEST_GUILESS_MAIN(TestUndoMove)
#include "tst_undomove.moc"
