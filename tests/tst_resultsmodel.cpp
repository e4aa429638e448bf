#include <QtTest>

#include "core/CResultsModel.h"
#include "core/CResultsSorter.h"
#include "ChildProcess.h"
#include "SimulatedWalk.h"
#include "platform/LargeBlocks.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

namespace {

constexpr std::int64_t kKB = 1024;
constexpr std::int64_t kMB = 1024 * 1024;

std::int64_t noonUtc(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
}

WalkRecord record(const QByteArray &folder, const QByteArray &name, std::int64_t size = 0,
                  std::int64_t modified = 0)
{
    WalkRecord r;
    r.folder = folder;
    r.name = name;
    r.size = size;
    r.creationTime = modified;
    r.modifiedTime = modified;
    r.accessedTime = modified;
    return r;
}

// Items in row order.
QList<int> items(const CResultsModel &model)
{
    QList<int> result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.GetItem(row));
    return result;
}

int rowOfItem(const CResultsModel &model, int item)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.GetItem(row) == item)
            return row;
    }
    return -1;
}

QString text(const CResultsModel &model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

} // namespace

class TestResultsModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void rowsArriveInBatchesAllChecked()
    {
        CResultsModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        std::int64_t total = 0;
        for (int i = 0; i < 5000; ++i) {
            model.AddResult(record("/d", "f" + QByteArray::number(i), i * 1000));
            total += i * 1000;
        }
        QVERIFY(inserted.count() < 20);
        QCOMPARE(model.rowCount() + model.GetPendingCount(), 5000);
        model.FlushPendingRows();
        QCOMPARE(model.rowCount(), 5000);
        QCOMPARE(model.GetPendingCount(), 0);
        for (int row : {0, 1234, 4999}) {
            QCOMPARE(model.data(model.index(row, kColumnFile), Qt::UserRole).toInt(), row);
            QCOMPARE(model.data(model.index(row, kColumnFile), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        }
        QCOMPARE(model.GetStore().GetSelectedBytes(), total);
        QCOMPARE(model.GetStore().GetSelectedCount(), 5000);
    }

    void columnsShowTheFileAsStored()
    {
        CResultsModel model;
        model.AddResult(record("/mnt/data", "bad\xff name.tmp", 1536, noonUtc(2040, 2, 29)));
        model.AddResult(record("/", "in root", 5 * 1024 * kMB, noonUtc(1969, 7, 20)));
        QList<int> decorated;
        model.SetDecorationProvider([&](int column, const CResultsModel &, int item) {
            decorated.append(column * 10 + item);
            return QVariant(QStringLiteral("icon"));
        });
        model.FlushPendingRows();

        QCOMPARE(text(model, 0, kColumnFile), QString::fromUtf8("bad\uFFFD name.tmp"));
        QCOMPARE(text(model, 0, kColumnLocation), QStringLiteral("/mnt/data"));
        QCOMPARE(text(model, 1, kColumnLocation), QStringLiteral("/"));
        QCOMPARE(text(model, 0, kColumnSize), QStringLiteral("1.50 KB"));
        QCOMPARE(text(model, 1, kColumnSize), QStringLiteral("5120 MB"));
        QCOMPARE(text(model, 0, kColumnModified), QStringLiteral("2/29/40"));
        QCOMPARE(text(model, 1, kColumnCreated), QStringLiteral("7/20/69"));
        QCOMPARE(model.GetStore().GetPath(0), QByteArray("/mnt/data/bad\xff name.tmp"));
        QCOMPARE(model.GetStore().GetPath(1), QByteArray("/in root"));

        QCOMPARE(model.data(model.index(0, kColumnSize), Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
                 int(Qt::AlignRight));
        QVERIFY(!model.data(model.index(0, kColumnSize), Qt::CheckStateRole).isValid());
        QVERIFY(model.flags(model.index(0, kColumnFile)) & Qt::ItemIsUserCheckable);
        QVERIFY(!(model.flags(model.index(0, kColumnSize)) & Qt::ItemIsUserCheckable));
        QCOMPARE(model.data(model.index(1, kColumnLocation), Qt::DecorationRole).toString(), QStringLiteral("icon"));
        QVERIFY(!model.data(model.index(1, kColumnSize), Qt::DecorationRole).isValid());
        QCOMPARE(decorated, QList<int>({11}));
        QCOMPARE(model.headerData(kColumnAccessed, Qt::Horizontal).toString(), QStringLiteral("Accessed"));

        // Whatever a view asks, nothing breaks.
        QVERIFY(!model.data(model.index(2, 0)).isValid());
        QVERIFY(!model.data(QModelIndex()).isValid());
        QCOMPARE(model.GetItem(-1), -1);
        QVERIFY(!model.SetCheck(7, false));
        QVERIFY(!model.removeRows(1, 5));
    }

    // Control characters in a name show as escapes on one line, never as a
    // break that cuts the row; the tooltip holds the name as it is.
    void controlCharactersShowAsEscapes()
    {
        CResultsModel model;
        model.AddResult(record("/x/tab\there", "line\nbreak.bak"));
        model.AddResult(record("/x", "plain.bak"));
        model.AddLockedResult(record("/x", "bell\a.bak"), ProtectionReason::InUse);
        model.FlushPendingRows();
        const auto tip = [&](int row, int column) { return model.data(model.index(row, column), Qt::ToolTipRole); };
        QCOMPARE(text(model, 0, kColumnFile), QStringLiteral("line\\nbreak.bak"));
        QCOMPARE(text(model, 0, kColumnLocation), QStringLiteral("/x/tab\\there"));
        QCOMPARE(tip(0, kColumnFile).toString(), QStringLiteral("line\nbreak.bak"));
        QCOMPARE(tip(0, kColumnLocation).toString(), QStringLiteral("/x/tab\there"));
        QVERIFY(!tip(0, kColumnSize).isValid());
        QVERIFY(!tip(1, kColumnFile).isValid());
        QCOMPARE(text(model, 2, kColumnFile), QStringLiteral("bell\\x07.bak"));
        const QString locked = tip(2, kColumnSize).toString();
        QVERIFY(!locked.isEmpty());
        QCOMPARE(tip(2, kColumnFile).toString(), QStringLiteral("bell\a.bak\n") + locked);
    }

    void totalsStayExactThroughChecksAndRemovals()
    {
        CResultsModel model;
        const std::int64_t sizes[] = {5 * 1024 * kMB, 3 * 1024 * kMB, 700, 2 * kMB, 0};
        for (int i = 0; i < 5; ++i)
            model.AddResult(record("/d", "f" + QByteArray::number(i), sizes[i]));
        model.FlushPendingRows();
        const CResultStore &store = model.GetStore();
        QCOMPARE(store.GetSelectedBytes(), 8 * 1024 * kMB + 700 + 2 * kMB);

        QSignalSpy flips(&model, &CResultsModel::checkChanged);
        QVERIFY(model.setData(model.index(0, kColumnFile), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(model.setData(model.index(0, kColumnFile), Qt::Unchecked, Qt::CheckStateRole)); // no change
        QCOMPARE(flips.count(), 1);
        QCOMPARE(flips.first(), QList<QVariant>({0, false}));
        QCOMPARE(store.GetSelectedBytes(), 3 * 1024 * kMB + 700 + 2 * kMB);
        QCOMPARE(store.GetSelectedCount(), 4);

        QVERIFY(model.SetCheck(2, false));
        QVERIFY(model.SetCheck(2, true));
        QCOMPARE(store.GetSelectedBytes(), 3 * 1024 * kMB + 700 + 2 * kMB);

        // Removing a checked row lowers the totals, an unchecked one does not.
        model.RemoveRowList({0, 1});
        QCOMPARE(store.GetSelectedBytes(), 700 + 2 * kMB);
        QCOMPARE(store.GetSelectedCount(), 3);
        QCOMPARE(items(model), QList<int>({2, 3, 4}));
        // The entries stay: indices of the files still listed keep their meaning.
        QCOMPARE(store.GetCount(), 5);
        QCOMPARE(store.GetSize(3), 2 * kMB);
        QVERIFY(!store.IsListed(0));

        model.Clear();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(store.GetCount(), 0);
        QCOMPARE(store.GetSelectedBytes(), 0);
        QCOMPARE(store.GetSelectedCount(), 0);
        QCOMPARE(model.AddResult(record("/d", "again")), 0);
    }

    void sortsByValueNotByShownText_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<WalkRecord>>("files");
        QTest::addColumn<QList<int>>("ascending");
        const QList<WalkRecord> sizes{record("/d", "a", 2 * kMB), record("/d", "b", 500 * kKB),
                                      record("/d", "c", 5 * 1024 * kMB), record("/d", "d", 999)};
        QTest::newRow("size by bytes: 2 MB after 500 KB") << int(kColumnSize) << sizes << QList<int>{3, 1, 0, 2};
        const QList<WalkRecord> dates{record("/d", "a", 0, noonUtc(2040, 1, 1)), record("/d", "b", 0, 0),
                                      record("/d", "c", 0, noonUtc(1969, 1, 1)),
                                      record("/d", "d", 0, noonUtc(2000, 12, 31))};
        for (int column : {kColumnCreated, kColumnModified, kColumnAccessed})
            QTest::newRow(qPrintable(QStringLiteral("date column %1").arg(column))) << column << dates
                                                                                   << QList<int>{2, 1, 3, 0};
        const QList<WalkRecord> names{record("/d", "banana"), record("/d", "Apple"), record("/d", "cherry"),
                                      record("/d", "\xc3\x84pfel"), record("/d", "apple pie")};
        QTest::newRow("names ignore case") << int(kColumnFile) << names << QList<int>{1, 4, 0, 2, 3};
        const QList<WalkRecord> folders{record("/d/Zeta", "1"), record("/d/alpha", "2"), record("/d/Beta", "3"),
                                        record("/d/alpha", "4")};
        QTest::newRow("folders ignore case") << int(kColumnLocation) << folders << QList<int>{1, 3, 2, 0};
    }
    void sortsByValueNotByShownText()
    {
        QFETCH(int, column);
        QFETCH(QList<WalkRecord>, files);
        QFETCH(QList<int>, ascending);
        CResultsModel model;
        for (const WalkRecord &file : files)
            model.AddResult(file);
        model.sort(column, Qt::AscendingOrder); // also shows rows still waiting to be announced
        QCOMPARE(items(model), ascending);
        model.sort(column, Qt::DescendingOrder);
        QList<int> descending = ascending;
        std::reverse(descending.begin(), descending.end());
        if (column == kColumnLocation)
            descending = {0, 2, 1, 3}; // the two files of one folder keep their order
        QCOMPARE(items(model), descending);
    }

    void foldersFromTheWalkFormATree()
    {
        CResultStore store;
        SimulatedWalk walk("/");
        store.AddResult(walk.File("", "top"));
        store.AddResult(walk.File("a/b", "deep"));
        store.AddResult(walk.File("a", "back in a")); // the walk returns to "a" after "a/b"
        store.AddResult(walk.File("a/c", "sibling"));
        store.AddResult(walk.File("a/b", "b again")); // a second "b": entered anew
        const CPathArray &paths = store.GetPaths();
        QCOMPARE(store.GetPath(0), QByteArray("/top"));
        QCOMPARE(store.GetPath(1), QByteArray("/a/b/deep"));
        QCOMPARE(store.GetPath(2), QByteArray("/a/back in a"));
        QCOMPARE(store.GetPath(3), QByteArray("/a/c/sibling"));
        QCOMPARE(paths.GetFolder(4), QByteArray("/a/b"));
        // One entry per folder: "/", "a", "a/b" and "a/c" are shared, the
        // second "b" is a folder of its own.
        QCOMPARE(paths.GetFolderCount(), 5);
        QCOMPARE(paths.GetFolderIndex(2), paths.GetFolderParent(paths.GetFolderIndex(1)));
        QCOMPARE(paths.GetFolderParent(paths.GetFolderIndex(3)), paths.GetFolderIndex(2));
        QCOMPARE(paths.GetFolderDepth(paths.GetFolderIndex(3)), 2);
        QCOMPARE(paths.GetFolderName(paths.GetFolderIndex(3)), std::string_view("c"));
        QCOMPARE(paths.GetFolderParent(paths.GetFolderIndex(0)), -1);

        // A drive below the root, and hand-made records beside walked ones.
        SimulatedWalk other("/mnt/data");
        store.AddResult(other.File("x\xff/y", "odd"));
        store.AddResult(record("/made/by hand", "plain"));
        QCOMPARE(store.GetPath(5), QByteArray("/mnt/data/x\xff/y/odd"));
        QCOMPARE(store.GetPath(6), QByteArray("/made/by hand/plain"));
        QCOMPARE(paths.GetFolder(6), QByteArray("/made/by hand"));
    }

    void locationOrderKeepsEachFolderBeforeItsSubfolders()
    {
        // Folders compare name by name, ignoring case ("A/y" after "a/x"):
        // "b" and everything below it come before "b-c", though '-' sorts
        // before '/'.
        CResultsModel model;
        SimulatedWalk walk("/r");
        model.AddResult(walk.File("b-c", "0"));
        model.AddResult(walk.File("b/x", "1"));
        model.AddResult(walk.File("b", "2"));
        model.AddResult(walk.File("A/y", "3"));
        model.AddResult(walk.File("a/x", "4")); // another folder, equal but for case
        model.AddResult(walk.File("", "5"));
        model.AddResult(walk.File("B", "6"));
        model.sort(kColumnLocation, Qt::AscendingOrder);
        QCOMPARE(items(model), QList<int>({5, 4, 3, 2, 6, 1, 0}));
        model.sort(kColumnLocation, Qt::DescendingOrder);
        QCOMPARE(items(model), QList<int>({0, 1, 2, 6, 3, 4, 5}));
    }

    void equalKeysKeepTheirOrderInBothDirections()
    {
        CResultsModel model;
        const std::int64_t sizes[] = {10, 20, 10, 30, 20, 10};
        for (int i = 0; i < 6; ++i)
            model.AddResult(record("/d", "f" + QByteArray::number(5 - i), sizes[i]));
        model.sort(kColumnFile, Qt::AscendingOrder);
        QCOMPARE(items(model), QList<int>({5, 4, 3, 2, 1, 0}));
        model.sort(kColumnSize, Qt::AscendingOrder);
        QCOMPARE(items(model), QList<int>({5, 2, 0, 4, 1, 3}));
        model.sort(kColumnSize, Qt::DescendingOrder);
        QCOMPARE(items(model), QList<int>({3, 4, 1, 5, 2, 0}));
        model.sort(kColumnCount + 3, Qt::AscendingOrder); // no such column: nothing moves
        QCOMPARE(items(model), QList<int>({3, 4, 1, 5, 2, 0}));
    }

    void checksAndViewsFollowTheirFilesThroughSorts()
    {
        CResultsModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int i = 0; i < 8; ++i)
            model.AddResult(record("/d", "f" + QByteArray::number(i), (i * 37) % 11));
        model.AddLockedResult(record("/d", "f8", 4), ProtectionReason::InUse);
        model.FlushPendingRows();
        QVERIFY(model.SetCheck(2, false));
        QVERIFY(model.SetCheck(5, false));
        const std::int64_t bytes = model.GetStore().GetSelectedBytes();
        const QPersistentModelIndex current = model.index(5, kColumnSize);

        model.sort(kColumnSize, Qt::DescendingOrder);
        QVERIFY(items(model) != QList<int>({0, 1, 2, 3, 4, 5, 6, 7}));
        for (int row = 0; row < model.rowCount(); ++row) {
            const int item = model.GetItem(row);
            QCOMPARE(model.GetCheck(row), item != 2 && item != 5 && item != 8);
        }
        QCOMPARE(current.row(), rowOfItem(model, 5));
        QCOMPARE(current.column(), int(kColumnSize));
        QCOMPARE(model.GetStore().GetSelectedBytes(), bytes);

        // What an action acts on: the checked rows in row order, never a
        // locked one nor a file whose row is not shown yet.
        model.AddResult(record("/d", "pending"));
        std::vector<int> acted;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.GetItem(row) != 2 && model.GetItem(row) != 5 && model.GetItem(row) != 8)
                acted.push_back(row);
        }
        QCOMPARE(model.GetCheckedRows(), acted);

        // Checking by row after the sort reaches the file now shown there.
        const int row = rowOfItem(model, 2);
        QVERIFY(model.SetCheck(row, true));
        QVERIFY(model.GetStore().IsChecked(2));
        QCOMPARE(model.GetStore().GetSelectedBytes(), bytes + model.GetStore().GetSize(2));
    }

    // Rows the views hold on to (current row, selection) stay on their files
    // through a sort, whether they are a few or many.
    void heldRowsFollowTheirFiles_data()
    {
        QTest::addColumn<int>("held");
        QTest::newRow("a few") << 3;
        QTest::newRow("many") << 300;
    }
    void heldRowsFollowTheirFiles()
    {
        QFETCH(int, held);
        CResultsModel model;
        for (int i = 0; i < 1000; ++i)
            model.AddResult(record("/d", "f" + QByteArray::number(i), (i * 7919) % 1009));
        model.FlushPendingRows();
        std::vector<QPersistentModelIndex> indexes;
        std::vector<int> files;
        for (int k = 0; k < held; ++k) {
            const int row = (k * 997) % 1000;
            indexes.emplace_back(model.index(row, k % kColumnCount));
            files.push_back(model.GetItem(row));
        }
        for (const Qt::SortOrder order : {Qt::DescendingOrder, Qt::AscendingOrder}) {
            model.sort(kColumnSize, order);
            for (int k = 0; k < held; ++k) {
                QCOMPARE(model.GetItem(indexes[std::size_t(k)].row()), files[std::size_t(k)]);
                QCOMPARE(indexes[std::size_t(k)].column(), k % kColumnCount);
            }
        }
    }

    // A long list sorts on another thread; what happens to the list
    // meanwhile is never lost and the order taken is that of the list as it
    // is when the order arrives.
    void sortsLongListsOnAThreadWhileTheListChanges_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("meanwhile");
        for (int column = 0; column < kColumnCount; ++column) {
            for (const char *meanwhile : {"nothing", "check"})
                QTest::addRow("column %d, %s", column, meanwhile) << column << QString::fromLatin1(meanwhile);
        }
        for (const char *meanwhile : {"remove rows", "add files", "clear", "sort again", "destroy"}) {
            QTest::addRow("File, %s", meanwhile) << int(kColumnFile) << QString::fromLatin1(meanwhile);
            QTest::addRow("Size, %s", meanwhile) << int(kColumnSize) << QString::fromLatin1(meanwhile);
        }
    }
    void sortsLongListsOnAThreadWhileTheListChanges()
    {
        QFETCH(int, column);
        QFETCH(QString, meanwhile);
        auto model = std::make_unique<CResultsModel>();
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->SetBackgroundSortRows(1);
        const auto add = [&](int i) {
            // Few distinct keys per column, so ties are many.
            const QByteArray name = (i % 3 ? "Name " : "name ") + QByteArray::number(i % 7) + (i % 5 ? "" : "\xff");
            model->AddResult(record("/d/" + QByteArray::number(i % 4), name, (i * 37) % 11, (i % 9) * 86400));
        };
        for (int i = 0; i < 400; ++i)
            add(i);
        model->FlushPendingRows();
        model->sort(kColumnSize, Qt::DescendingOrder); // ties of the next sort keep this order
        QSignalSpy finished(model.get(), &CResultsModel::sortFinished);
        QVERIFY(finished.wait());
        const QPersistentModelIndex current = model->index(123, kColumnSize);
        const int currentItem = model->GetItem(123);

        const QList<int> before = items(*model);
        model->sort(column, Qt::AscendingOrder);
        QVERIFY(model->IsSorting());
        QCOMPARE(items(*model), before); // the rows keep their order until the new one is ready
        int uncheckedItem = -1;
        if (meanwhile == "check") {
            uncheckedItem = model->GetItem(7);
            QVERIFY(model->SetCheck(7, false));
        } else if (meanwhile == "remove rows") {
            model->RemoveRowList({0, 5, 6, 300});
        } else if (meanwhile == "add files") {
            for (int i = 400; i < 450; ++i)
                add(i);
            model->FlushPendingRows();
        } else if (meanwhile == "sort again") {
            model->sort(column, Qt::DescendingOrder);
        } else if (meanwhile == "clear") {
            model->Clear();
            QVERIFY(!model->IsSorting());
            QVERIFY(!finished.wait(200));
            QCOMPARE(model->rowCount(), 0);
            return;
        } else if (meanwhile == "destroy") {
            model.reset(); // must wait for its thread, and hear nothing from it after
            QTest::qWait(50);
            return;
        }
        const std::vector<int> &rows = model->GetRowItems();
        const std::vector<int> expected =
            CResultsSorter(model->GetStore(), column).Sort(rows, meanwhile != "sort again");
        QVERIFY(finished.wait());
        QVERIFY(!model->IsSorting());
        QCOMPARE(model->GetRowItems(), expected);
        if (uncheckedItem >= 0)
            QVERIFY(!model->GetStore().IsChecked(uncheckedItem));
        if (current.isValid())
            QCOMPARE(model->GetItem(current.row()), currentItem);
    }

    void finishedSortsAndAClearedListGiveTheirMemoryBack()
    {
        // The arrays of a long sort are made and freed on its thread; the
        // allocator must not keep them once the order is taken, nor the
        // many small blocks of a list once it is cleared.
        ReturnLargeBlocksWhenFreed();
        const std::int64_t empty = CurrentMemoryKb();
        CResultsModel model;
        model.SetBackgroundSortRows(1);
        for (int i = 0; i < 300000; ++i) {
            const QByteArray name = "f" + QByteArray::number(std::int64_t(i) * 7919 % 300007);
            model.AddResult(record("/d/" + QByteArray::number(i % 97), name, i % 1013, i % 4001 * 86400));
        }
        model.FlushPendingRows();
        QSignalSpy finished(&model, &CResultsModel::sortFinished);
        const auto sortAndWait = [&](int column, Qt::SortOrder order) {
            model.sort(column, order);
            return finished.wait(60000);
        };
        QVERIFY(sortAndWait(kColumnFile, Qt::AscendingOrder));
        const std::int64_t before = CurrentMemoryKb();
        for (int column : {int(kColumnFile), int(kColumnSize), int(kColumnLocation), int(kColumnModified)})
            QVERIFY(sortAndWait(column, Qt::DescendingOrder));
        // One sort by name makes 3.5 MB of keys here.
        QCOMPARE_LE(CurrentMemoryKb() - before, 1024);
        model.Clear();
        QCOMPARE_LE(CurrentMemoryKb() - empty, 2048); // of some 30 MB listed
    }

    void removesRowsInFewSteps()
    {
        CResultsModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int i = 0; i < 200; ++i)
            model.AddResult(record("/d", "f" + QByteArray::number(i), 1));
        model.FlushPendingRows();
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

        // A few runs: one removal each, duplicates and strangers ignored.
        model.RemoveRowList({7, 5, 6, 150, 199, 6, -1, 4000});
        QCOMPARE(removed.count(), 3);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(model.rowCount(), 195);
        QCOMPARE(model.GetItem(5), 8);
        QCOMPARE(model.GetItem(194), 198);

        // Many scattered rows: one reset instead of a signal per row.
        // Given from the last to the first, as an action hands them over.
        std::vector<int> everyOther;
        for (int row = model.rowCount() - 1; row >= 0; --row) {
            if (row % 2 == 0)
                everyOther.push_back(row);
        }
        const QList<int> before = items(model);
        model.RemoveRowList(everyOther);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), 97);
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(model.GetItem(row), before[2 * row + 1]);
        QCOMPARE(model.GetStore().GetSelectedCount(), 97);
        QCOMPARE(model.GetStore().GetSelectedBytes(), 97);

        QVERIFY(model.removeRows(0, 97));
        QCOMPARE(model.GetStore().GetSelectedCount(), 0);
    }
};

QTEST_MAIN(TestResultsModel)
#include "tst_resultsmodel.moc"
