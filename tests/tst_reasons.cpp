#include <QtTest>

#include "ChildProcess.h"
#include "ModalWatcher.h"
#include "TempDrive.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFlatPushButton.h"
#include "controls/CMessageBoxDlg.h"
#include "core/CCsvListWriter.h"
#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CResultsModel.h"
#include "core/MatchReason.h"
#include "core/PathEscape.h"
#include "core/SizeText.h"
#include "platform/CPathInfo.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CReasonsDlg.h"
#include "results/CResultsPage.h"
#include "results/CSaveListAction.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

WalkRecord Record(const QByteArray &folder, const QByteArray &name, std::int64_t size = 100)
{
    WalkRecord record;
    record.folder = folder;
    record.name = name;
    record.size = size;
    record.allocatedBytes = (size + 4095) / 4096 * 4096;
    record.creationTime = 1700000000;
    record.modifiedTime = 1700000000;
    record.accessedTime = 1700000000;
    return record;
}

CFileScan Custom()
{
    CFileScan scan;
    scan.m_bExpress = 0;
    scan.m_strDrive = QStringLiteral("/drive");
    return scan;
}

QString ReasonOf(const CFileScan &scan, const WalkRecord &record)
{
    const CFileMatcher matcher(scan);
    if (!matcher.MatchFile(record))
        return QStringLiteral("<no match>");
    return matcher.GetReason(record).text;
}

// Rows of a CSV text as Python's csv module reads them.
bool ParseWithPython(const QByteArray &csv, QList<QStringList> &rows, QString &why)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, io, json, sys\n"
                                 "text = io.TextIOWrapper(sys.stdin.buffer, encoding='utf-8', newline='')\n"
                                 "json.dump([row for row in csv.reader(text, strict=True)], sys.stdout)\n")});
    if (!python.waitForStarted(10000)) {
        why = QStringLiteral("python3 did not start");
        return false;
    }
    python.write(csv);
    python.closeWriteChannel();
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        why = QString::fromUtf8(python.readAllStandardError());
        return false;
    }
    const QJsonArray array = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    for (const QJsonValue &row : array) {
        QStringList fields;
        for (const QJsonValue &field : row.toArray())
            fields.append(field.toString());
        rows.append(fields);
    }
    return true;
}

QByteArray Unescaped(const QString &field)
{
    QByteArray raw;
    if (!UnescapePath(field.toUtf8(), raw))
        return QByteArray("<bad escape>");
    return raw;
}

} // namespace

class TestReasons : public QObject
{
    Q_OBJECT

private slots:
    void expressNamesTheOutermostFolderOrTheExtension();
    void customNamesTheFirstCriterionThatApplies_data();
    void customNamesTheFirstCriterionThatApplies();
    void reasonTableKeepsEachTextOnce();
    void sortingByReasonFollowsTheText();
    void checkByReasonIsOneModelChangeWithSingleClickTotals();
    void lockedFilesNeverBecomeChecked();
    void menuOffersWhatTheRowAllows();
    void reasonsWindowChecksWholeReasons();
    void csvReadsBackExactly();
    void failedSaveTellsAndLeavesNothing();
    void fullDiskKeepsTheEarlierFileWhole();
};

void TestReasons::expressNamesTheOutermostFolderOrTheExtension()
{
    CFileScan express;
    express.m_strDrive = QStringLiteral("/drive");
    // Below two matching folders the outer one is named: its files share a reason.
    QCOMPARE(ReasonOf(express, Record("/drive/home/u/Temp/cache", "a.txt")),
             QStringLiteral("Folder \"Temp\": /drive/home/u/Temp"));
    QCOMPARE(ReasonOf(express, Record("/drive/home/u/TEMP", "b")), QStringLiteral("Folder \"Temp\": /drive/home/u/TEMP"));
    QCOMPARE(ReasonOf(express, Record("/drive/data", "report.BAK")), QStringLiteral("Extension \"bak\""));
    QCOMPARE(ReasonOf(express, Record("/drive/data", "BAK")), QStringLiteral("<no match>"));
    // A folder name that is not UTF-8 is shown with the command line's escapes.
    QCOMPARE(ReasonOf(express, Record("/drive/x\xff/tmp", "f")), QStringLiteral("Folder \"Tmp\": /drive/x\\xff/tmp"));
    // The memo of the last folder must not leak into the next one.
    const CFileMatcher matcher(express);
    const WalkRecord first = Record("/drive/a/Cache", "one");
    const WalkRecord second = Record("/drive/b/Recent", "two");
    QVERIFY(matcher.MatchFile(first));
    QCOMPARE(matcher.GetReason(first).text, QStringLiteral("Folder \"Cache\": /drive/a/Cache"));
    QVERIFY(matcher.MatchFile(second));
    QCOMPARE(matcher.GetReason(second).text, QStringLiteral("Folder \"Recent\": /drive/b/Recent"));
    QCOMPARE(matcher.GetReason(second).group, QStringLiteral("Folder \"Recent\""));
}

void TestReasons::customNamesTheFirstCriterionThatApplies_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("expected");
    QTest::newRow("location") << "location" << "Folder \"te*\": /drive/work/temp";
    QTest::newRow("location in root") << "location root" << "Folder \"*\": /drive";
    QTest::newRow("name") << "name" << "Name \"readme.?ar\"";
    QTest::newRow("extension") << "extension" << "Extension \"tar.gz\"";
    QTest::newRow("size at most") << "size0" << "Size at most 10 KB";
    QTest::newRow("size between") << "size1" << "Size between 0 KB and 20 KB";
    QTest::newRow("size at least") << "size2" << "Size at least 0 KB";
    QTest::newRow("created") << "created" << "Created on or before 2026-01-01";
    QTest::newRow("modified") << "modified" << "Modified between 2020-01-01 and 2026-01-31";
    QTest::newRow("accessed") << "accessed" << "Accessed on or after 2020-01-01";
}

void TestReasons::customNamesTheFirstCriterionThatApplies()
{
    QFETCH(QString, rule);
    QFETCH(QString, expected);
    CFileScan scan = Custom();
    WalkRecord record = Record("/drive/work/temp/sub", "readme.tar.gz", 5000);
    // Later criteria are on too: the reason is the first one in the order of
    // the criteria pages.
    scan.m_bSize = 1;
    scan.m_nSizeMode = 2;
    scan.m_nSizeFrom = 0;
    if (rule.startsWith(QLatin1String("location"))) {
        scan.m_bLocation = 1;
        scan.m_arrLocations = {QStringLiteral("nothing"), rule == QLatin1String("location") ? QStringLiteral("te*") : QStringLiteral("*")};
        if (rule == "location root")
            record.folder = "/drive";
    } else if (rule == "name") {
        scan.m_bName = 1;
        scan.m_arrNames = {QStringLiteral("x"), QStringLiteral("readme.?ar")};
        scan.m_arrExtensions = {QStringLiteral("*")};
        scan.m_bExtension = 1;
    } else if (rule == "extension") {
        scan.m_bExtension = 1;
        scan.m_arrExtensions = {QStringLiteral("gz"), QStringLiteral("tar.gz")};
    } else if (rule.startsWith(QLatin1String("size"))) {
        scan.m_nSizeMode = rule.right(1).toInt();
        scan.m_nSizeFrom = scan.m_nSizeMode == 0 ? 10 : 0;
        scan.m_nSizeTo = 20;
        scan.m_bModified = 1;
        scan.m_nModifiedMode = 2;
        scan.m_timeModifiedFrom = CTime(2000, 1, 1, 0, 0, 0);
    } else {
        scan.m_bSize = 0;
        record.creationTime = record.modifiedTime = record.accessedTime = CTime(2025, 6, 1, 12, 0, 0).GetTime();
        if (rule == "created") {
            scan.m_bCreation = 1;
            scan.m_nCreationMode = 0;
            scan.m_timeCreationFrom = CTime(2026, 1, 1, 0, 0, 0);
        } else if (rule == "modified") {
            scan.m_bModified = 1;
            scan.m_nModifiedMode = 1;
            scan.m_timeModifiedFrom = CTime(2020, 1, 1, 0, 0, 0);
            scan.m_timeModifiedTo = CTime(2026, 1, 31, 23, 59, 59);
        } else {
            scan.m_bAccessed = 1;
            scan.m_nAccessedMode = 2;
            scan.m_timeAccessedFrom = CTime(2020, 1, 1, 0, 0, 0);
        }
    }
    QCOMPARE(ReasonOf(scan, record), expected);
}

void TestReasons::reasonTableKeepsEachTextOnce()
{
    CReasonTable table;
    QCOMPARE(table.Intern(QString()), CReasonTable::kNone);
    const auto a = table.Intern(QStringLiteral("a"));
    const auto b = table.Intern(QStringLiteral("b"));
    QVERIFY(a != b);
    QCOMPARE(table.Intern(QStringLiteral("a")), a);
    QCOMPARE(table.GetCount(), 3);
    // Near the end of the numbers a folder text gives way to its group, so
    // no reason is ever shown with another folder's text.
    for (int i = table.GetCount(); i < CReasonTable::kCapacity - CReasonTable::kGroupReserve; ++i)
        table.Intern(QString::number(i));
    const auto grouped = table.Intern(MatchReason{QStringLiteral("Folder \"x\": /new"), QStringLiteral("Folder \"x\"")});
    QCOMPARE(table.GetText(grouped), QStringLiteral("Folder \"x\""));
    QCOMPARE(table.Intern(MatchReason{QStringLiteral("a"), QStringLiteral("g")}), a); // known texts stay
}

void TestReasons::sortingByReasonFollowsTheText()
{
    CResultsModel model;
    const QStringList reasons = {QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("c"), QStringLiteral("a")};
    for (int i = 0; i < reasons.size(); ++i)
        model.AddResult(Record("/d", "f" + QByteArray::number(i)), MatchReason{reasons[i], reasons[i]});
    model.FlushPendingRows();
    QCOMPARE(model.headerData(kColumnReason, Qt::Horizontal).toString(), LoadString(IDS_COLUMN_REASON));
    model.sort(kColumnReason, Qt::AscendingOrder);
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown << model.index(row, kColumnReason).data().toString();
    // Case does not separate "A" from "a"; equal keys keep their order.
    QCOMPARE(shown, (QStringList{"A", "a", "b", "c"}));
    model.sort(kColumnReason, Qt::DescendingOrder);
    QCOMPARE(model.index(0, kColumnReason).data().toString(), QStringLiteral("c"));
    QCOMPARE(model.index(3, kColumnReason).data().toString(), QStringLiteral("a"));
}

void TestReasons::checkByReasonIsOneModelChangeWithSingleClickTotals()
{
    constexpr int kRows = 100000;
    CResultsModel bulk;
    CResultsModel single;
    const MatchReason even{QStringLiteral("even"), QString()};
    const MatchReason odd{QStringLiteral("odd"), QString()};
    for (int i = 0; i < kRows; ++i) {
        const WalkRecord record = Record("/d", "f" + QByteArray::number(i), 1000 + i);
        bulk.AddResult(record, i % 2 ? odd : even);
        single.AddResult(record, i % 2 ? odd : even);
    }
    bulk.FlushPendingRows();
    single.FlushPendingRows();
    bulk.sort(kColumnSize, Qt::DescendingOrder); // rows no longer in store order
    const int evenId = bulk.GetStore().GetReasonId(0);

    QSignalSpy changed(&bulk, &QAbstractItemModel::dataChanged);
    QSignalSpy many(&bulk, &CResultsModel::checksChanged);
    QSignalSpy perRow(&bulk, &CResultsModel::checkChanged);
    QSignalSpy layout(&bulk, &QAbstractItemModel::layoutChanged);
    QSignalSpy reset(&bulk, &QAbstractItemModel::modelReset);
    QCOMPARE(bulk.SetCheckByReason(evenId, false), kRows / 2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(many.count(), 1);
    QCOMPARE(perRow.count(), 0);
    QCOMPARE(layout.count(), 0);
    QCOMPARE(reset.count(), 0);
    const QList<QVariant> arguments = changed.first();
    QCOMPARE(arguments.at(2).value<QList<int>>(), QList<int>{Qt::CheckStateRole});

    for (int row = 0; row < kRows; row += 2)
        single.SetCheck(row, false);
    QCOMPARE(bulk.GetStore().GetSelectedCount(), single.GetStore().GetSelectedCount());
    QCOMPARE(bulk.GetStore().GetSelectedBytes(), single.GetStore().GetSelectedBytes());
    for (int row = 0; row < kRows; ++row) {
        const int item = bulk.GetItem(row);
        QCOMPARE(bulk.GetStore().IsChecked(item), item % 2 == 1);
    }
    // Nothing left to change: no signal at all.
    QCOMPARE(bulk.SetCheckByReason(evenId, false), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(bulk.SetCheckByReason(evenId, true), kRows / 2);
    QCOMPARE(bulk.GetStore().GetSelectedCount(), kRows);
    QCOMPARE(bulk.SetCheckByReason(-1, true), 0);
    QCOMPARE(bulk.SetCheckByReason(9999, true), 0);

    // Several reasons (the reasons dialog's selection), one of them with
    // nothing left to change and ids that name none: still one change.
    const int oddId = bulk.GetStore().GetReasonId(1);
    QCOMPARE(bulk.SetCheckByReason(oddId, false), kRows / 2);
    const qsizetype changesBefore = changed.count();
    QCOMPARE(bulk.SetCheckByReasons({evenId, oddId, -1, 9999}, false), kRows / 2);
    QCOMPARE(changed.count(), changesBefore + 1);
    QCOMPARE(bulk.GetStore().GetSelectedCount(), 0);
    QCOMPARE(bulk.SetCheckByReasons({oddId, evenId}, true), kRows);
    QCOMPARE(bulk.GetStore().GetSelectedCount(), kRows);
    QCOMPARE(changed.count(), changesBefore + 2);
}

void TestReasons::lockedFilesNeverBecomeChecked()
{
    CResultsModel model;
    const MatchReason why{QStringLiteral("Extension \"log\""), QString()};
    model.AddResult(Record("/d", "a.log"), why);
    model.AddLockedResult(Record("/d", "b.log"), ProtectionReason::InUse);
    model.AddLockedResult(Record("/d", "c.log"), ProtectionReason::InUse);
    model.FlushPendingRows();
    const QString locked = model.index(1, kColumnReason).data().toString();
    QVERIFY2(locked.contains(LoadString(IDS_PROTECTED_IN_USE)), qPrintable(locked));
    const int lockedId = model.GetStore().GetReasonId(1);
    QCOMPARE(model.SetCheckByReason(lockedId, true), 0);
    QCOMPARE(model.SetCheckItems({0, 1, 2}, false), 1);
    QCOMPARE(model.SetCheckItems({0, 1, 2}, true), 1);
    QVERIFY(!model.GetCheck(1) && !model.GetCheck(2));
    QCOMPARE(model.GetStore().GetSelectedCount(), 1);
}

void TestReasons::menuOffersWhatTheRowAllows()
{
    CFileScan scan;
    CResultsPage page;
    page.SetScan(&scan);
    page.EnsureInitialized();
    const MatchReason temp{QStringLiteral("Folder \"Temp\": /t"), QString()};
    const MatchReason log{QStringLiteral("Extension \"log\""), QString()};
    for (int i = 0; i < 4; ++i)
        page.AddMatch({Record("/t", "f" + QByteArray::number(i)), temp});
    page.AddMatch({Record("/d", "x.log", 500), log});
    page.AddMatch({Record("/d", "y.log"), log, ProtectionReason::PackageOwned});
    page.GetModel()->FlushPendingRows();

    const auto enabled = [](QMenu *menu) {
        QStringList names;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator())
                names << QStringLiteral("%1=%2").arg(action->text()).arg(action->isEnabled() ? 1 : 0);
        }
        return names;
    };
    std::unique_ptr<QMenu> menu(page.CreateListMenu(0));
    QCOMPARE(enabled(menu.get()), (QStringList{"Check all with this reason=0", "Uncheck all with this reason=1",
                                               "Reasons...=1", "Save List...=1", "&Undo Move=0"}));
    // Unchecking one file of the reason makes both directions possible.
    page.GetList()->SetCheck(1, false);
    menu.reset(page.CreateListMenu(0));
    QCOMPARE(enabled(menu.get()).mid(0, 2),
             (QStringList{"Check all with this reason=1", "Uncheck all with this reason=1"}));
    // A locked row's reason can neither be checked nor unchecked.
    menu.reset(page.CreateListMenu(5));
    QCOMPARE(enabled(menu.get()).mid(0, 2),
             (QStringList{"Check all with this reason=0", "Uncheck all with this reason=0"}));
    // No row under the pointer: only what concerns the whole list.
    menu.reset(page.CreateListMenu(-1));
    QCOMPARE(enabled(menu.get()), (QStringList{"Check all with this reason=0", "Uncheck all with this reason=0",
                                               "Reasons...=1", "Save List...=1", "&Undo Move=0"}));

    // The item acts, and the page's totals follow as for single clicks.
    menu.reset(page.CreateListMenu(2));
    menu->actions().at(1)->trigger();
    QCOMPARE(page.GetSelectedCount(), 1);
    QCOMPARE(page.GetSelectedBytes(), std::int64_t(500));
    menu.reset(page.CreateListMenu(2));
    menu->actions().at(0)->trigger();
    QCOMPARE(page.GetSelectedCount(), 5);
    QVERIFY(page.GetDeleteButton()->isEnabled());

    page.GetModel()->Clear();
    menu.reset(page.CreateListMenu(0));
    QCOMPARE(enabled(menu.get()).mid(2), (QStringList{"Reasons...=0", "Save List...=0", "&Undo Move=0"}));
}

void TestReasons::reasonsWindowChecksWholeReasons()
{
    CResultsModel model;
    const MatchReason a{QStringLiteral("a"), QString()};
    const MatchReason b{QStringLiteral("b"), QString()};
    model.AddResult(Record("/d", "1", 100), a);
    model.AddResult(Record("/d", "2", 5000), a);
    model.AddResult(Record("/d", "3", 7), b);
    model.AddLockedResult(Record("/d", "4", 9), ProtectionReason::InUse);
    model.FlushPendingRows();

    CReasonsDlg dlg(model);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Reasons"));
    QCOMPARE(dlg.GetList()->textElideMode(), Qt::ElideMiddle);
    QStandardItemModel *rows = dlg.GetReasonModel();
    QCOMPARE(rows->rowCount(), 3);
    int rowA = -1;
    for (int row = 0; row < rows->rowCount(); ++row) {
        if (rows->item(row, 0)->text() == QLatin1String("a"))
            rowA = row;
    }
    QVERIFY(rowA >= 0);
    QCOMPARE(rows->item(rowA, 1)->text(), QStringLiteral("2"));
    QCOMPARE(rows->item(rowA, 0)->toolTip(), QStringLiteral("a"));
    QCOMPARE(rows->item(rowA, 3)->text(), QStringLiteral("12 KB")); // two 4 KB-rounded files, allocated
    QCOMPARE(rows->item(rowA, 0)->data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

    // The frees figure comes from whoever knows better.
    std::vector<int> asked;
    dlg.SetFreesProvider([&asked](const std::vector<int> &indices) {
        asked = indices;
        return std::int64_t(indices.size()) * 1000;
    });
    QCOMPARE(rows->item(rowA, 3)->text(), FormatSize(2000));
    QCOMPARE(asked.size(), std::size_t(1)); // the last reason asked about: the locked file alone

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    dlg.GetList()->SetCheck(rowA, false);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.GetStore().GetSelectedCount(), 1);
    QCOMPARE(rows->item(rowA, 0)->data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    // Check on all selected reasons: one change; the locked reason stays off.
    dlg.GetList()->selectAll();
    dlg.OnCheck();
    QCOMPARE(changed.count(), 2);
    QCOMPARE(model.GetStore().GetSelectedCount(), 3);
    QVERIFY(!model.GetStore().IsChecked(3));
}

void TestReasons::csvReadsBackExactly()
{
    CResultStore store;
    const QList<QByteArray> names = {"plain.txt", "comma, and \"quotes\".log", "line\nbreak\r.tmp", "bad\xff\xfe.bak",
                                     "back\\slash", "=cmd"};
    const MatchReason why{QStringLiteral("Name \"a,b\"\n\"c\""), QString()};
    for (const QByteArray &name : names)
        store.AddResult(Record("/dir, with\"odd\xff", name, 1234), why);
    store.SetChecked(1, false);
    std::vector<int> order = {5, 4, 3, 2, 1, 0};
    const QByteArray csv = CCsvListWriter::Write(store, order);
    QVERIFY(csv.endsWith("\r\n"));
    QVERIFY(!csv.contains("\n\n"));

    QList<QStringList> rows;
    QString why2;
    if (!ParseWithPython(csv, rows, why2))
        QFAIL(qPrintable(why2));
    QCOMPARE(rows.size(), names.size() + 1);
    QCOMPARE(rows[0], (QStringList{"file", "folder", "size", "allocated", "created", "modified", "accessed", "reason",
                                   "checked", "frees_min", "frees_max"}));
    for (int r = 1; r < rows.size(); ++r) {
        const QStringList &row = rows[r];
        const int index = order[std::size_t(r - 1)];
        QCOMPARE(row.size(), 11);
        QCOMPARE(Unescaped(row[0]), names[index]);
        QCOMPARE(Unescaped(row[1]), QByteArray("/dir, with\"odd\xff"));
        QCOMPARE(row[2], QStringLiteral("1234"));
        QCOMPARE(row[3], QStringLiteral("4096"));
        QCOMPARE(row[4], QStringLiteral("2023-11-14T22:13:20Z"));
        QCOMPARE(row[7], why.text);
        QCOMPARE(row[8], index == 1 ? QStringLiteral("0") : QStringLiteral("1"));
        // Alone, checked or not, each frees its blocks.
        QCOMPARE(row[9], QStringLiteral("4096"));
        QCOMPARE(row[10], QStringLiteral("4096"));
    }

}

void TestReasons::failedSaveTellsAndLeavesNothing()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    CFileScan scan;
    CResultsPage page;
    page.SetScan(&scan);
    page.EnsureInitialized();
    const MatchReason why{QStringLiteral("why"), QString()};
    page.AddMatch({Record("/d", "a.log"), why});
    page.GetModel()->FlushPendingRows();

    // Into a folder that is not there.
    QObject answers;
    QString told;
    AnswerModal<CMessageBoxDlg>(&answers, [&told](CMessageBoxDlg *box) {
        told = box->GetText();
        box->reject();
    });
    const QByteArray missing = drive.path("no/such/list.csv");
    QVERIFY(!CSaveListAction::Save(*page.GetModel(), missing, &page));
    QVERIFY2(told.contains(QFile::decodeName(missing)), qPrintable(told));
    QVERIFY(!QFileInfo::exists(QFile::decodeName(drive.path("no"))));

    // Saved through the dialog's stand-in: the list arrives whole.
    const QByteArray target = drive.path("list.csv");
    CSaveListAction::SetAskPathHook([&target](QWidget *) { return QFile::decodeName(target); });
    // Save List of the list's context menu.
    std::unique_ptr<QMenu>(page.CreateListMenu(0))->actions().at(4)->trigger();
    CSaveListAction::SetAskPathHook({});
    QFile saved(QFile::decodeName(target));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().startsWith("file,folder,size,"));
}

void TestReasons::fullDiskKeepsTheEarlierFileWhole()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    QVERIFY(drive.makeFolder("small"));
    const QByteArray folder = drive.path("small");
    const ChildOutput child = RunInChild([&folder](QByteArray &out) {
        QByteArray why;
        if (!EnterPrivateMountNamespace(why)
            || ::mount("none", folder.constData(), "tmpfs", 0, "size=64k") != 0) {
            out = "no private tmpfs: " + why;
            return kSkipCode;
        }
        const QByteArray target = folder + "/list.csv";
        int error = 0;
        if (!CPathInfo::ReplaceFile(target, "earlier\r\n", error))
            return 2;
        CResultStore store;
        for (int i = 0; i < 4000; ++i)
            store.AddResult(Record("/a/rather/long/folder/name/for/the/list", "file" + QByteArray::number(i)),
                            MatchReason{QStringLiteral("Extension \"tmp\""), QString()});
        std::vector<int> all(4000);
        for (int i = 0; i < 4000; ++i)
            all[std::size_t(i)] = i;
        if (CPathInfo::ReplaceFile(target, CCsvListWriter::Write(store, all), error)) {
            out = "a list larger than the disk was written";
            return 3;
        }
        if (error != ENOSPC) {
            out = "error " + QByteArray::number(error);
            return 4;
        }
        QFile kept(QFile::decodeName(target));
        if (!kept.open(QIODevice::ReadOnly) || kept.readAll() != "earlier\r\n")
            return 5;
        // Nothing half-written is left beside it either.
        const QStringList left = QDir(QFile::decodeName(folder)).entryList(QDir::Files);
        if (left != QStringList{QStringLiteral("list.csv")}) {
            out = left.join(QLatin1Char(' ')).toUtf8();
            return 6;
        }
        return 0;
    });
    if (child.exitCode == kSkipCode)
        QSKIP(child.text.constData());
    QVERIFY2(child.exitCode == 0, (QByteArray::number(child.exitCode) + ' ' + child.text).constData());
}

QTEST_MAIN(TestReasons)
#include "tst_reasons.moc"
