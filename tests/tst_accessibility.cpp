#include <QtTest>

#include "AccessibilityRecorder.h"
#include "AccessibleAudit.h"
#include "ByteBarScanDlg.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"
#include "app/CAboutDlg.h"
#include "app/CWizardApp.h"
#include "controls/CActionProgressDlg.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CCheckButton.h"
#include "controls/CEllipsisStatic.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CLinkStatic.h"
#include "controls/CMessageBoxDlg.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CRadioButton.h"
#include "controls/CRestartProgressDlg.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CReasonsDlg.h"
#include "results/CResultsPage.h"
#include "results/CSelectFolderDlg.h"
#include "scan/CScanDlg.h"
#include "wizard/CWizard.h"

#include <QHeaderView>
#include <QVBoxLayout>

namespace {


QString Faults(QWidget *window, const QString &where)
{
    const QStringList faults = AccessibleFaults(window);
    return faults.isEmpty() ? QString() : where + QStringLiteral(": ") + faults.join(QStringLiteral("; "));
}

QAccessible::State StateOf(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object)->state();
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void everyPageNamesItsControlsWithTheirRoles();
    void everyDialogNamesItsControlsWithTheirRoles();
    void checkBoxFlipsByClickAndSpaceAndSaysSo();
    void radioButtonMovesTheCheckAndSaysSo();
    void resultsListIsANamedTableWithCheckedCells();
    void progressValueFollowsTheScan();
    void linkHasItsAddressAndAPressAction();
};

void TestAccessibility::everyPageNamesItsControlsWithTheirRoles()
{
    CFileScan scan;
    CWizard sheet(QStringLiteral("Brimvale"), nullptr, PAGE_METHOD);
    CWizardApp::AddPages(sheet, &scan);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    QStringList faults;
    // Every page but the results page, which scans a drive when shown: it
    // is checked on a temporary drive below.
    for (int nPage = PAGE_METHOD; nPage < PAGE_RESULTS; ++nPage) {
        QVERIFY(sheet.SetActivePage(nPage));
        QVERIFY(AccessibleControlCount(&sheet) >= 5);
        const QString fault = Faults(&sheet, QStringLiteral("page %1").arg(nPage));
        if (!fault.isEmpty())
            faults << fault;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));

    TempDrive drive;
    QVERIFY(drive.makeFile("a.tmp", 10));
    CFileScan resultsScan;
    auto page = ShowResultsPage(resultsScan, drive.root());
    QVERIFY(ScanToEnd(*page));
    QVERIFY(page->GetList()->model()->rowCount() > 0);
    QVERIFY2(AccessibleFaults(page.get()).isEmpty(), qPrintable(Faults(page.get(), QStringLiteral("results"))));
}

void TestAccessibility::everyDialogNamesItsControlsWithTheirRoles()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("a.tmp", 10));
    CFileScan scan;
    auto page = ShowResultsPage(scan, drive.root());
    QVERIFY(ScanToEnd(*page));

    CAboutDlg about(nullptr, [](const QString &) { return 33; });
    CMessageBoxDlg message(nullptr, CMessageBoxDlg::StyleOkCancel);
    message.SetText(QStringLiteral("Delete the checked files?"));
    CFailedFilesDlg failed;
    failed.SetMessage(QStringLiteral("Some files could not be deleted."));
    failed.SetFailedPaths({drive.path("a.tmp")});
    CScanDlg scanDlg;
    CActionProgressDlg action;
    CRestartProgressDlg restart;
    CSelectFolderDlg select(nullptr, {{drive.root(), "drive", CShellTree::Root::Drive}});
    CReasonsDlg reasons(*page->GetModel());

    const QList<QPair<QDialog *, const char *>> dialogs{
        {&about, "About"},   {&message, "message box"},      {&failed, "failed files"}, {&scanDlg, "scan"},
        {&action, "action"}, {&restart, "restart progress"}, {&select, "Select Folder"}, {&reasons, "Reasons"},
    };
    QStringList faults;
    for (const auto &[dialog, name] : dialogs) {
        // The progress windows get their text as they are shown.
        if (dialog == &action)
            action.Create(nullptr, QStringLiteral("Deleting ..."));
        if (dialog == &restart)
            restart.Create(nullptr);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        if (dialog == &failed)
            failed.OnDetails();
        QVERIFY2(AccessibleControlCount(dialog) >= 1, name);
        const QString fault = Faults(dialog, QString::fromLatin1(name));
        if (!fault.isEmpty())
            faults << fault;
        dialog->hide();
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void TestAccessibility::checkBoxFlipsByClickAndSpaceAndSaysSo()
{
    QWidget window;
    auto *box = new CCheckButton(QStringLiteral("&Size"), &window);
    box->setGeometry(10, 10, 120, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name), QStringLiteral("Size"));
    QVERIFY(StateOf(box).checkable);
    QVERIFY(!StateOf(box).checked);

    AccessibilityRecorder recorder;
    struct Step
    {
        const char *how;
        std::function<void()> act;
        bool checked;
    };
    const Step steps[] = {
        {"click", [box] { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 10)); }, true},
        {"space", [box] { box->setFocus(); QTest::keyClick(box, Qt::Key_Space); }, false},
        {"space again", [box] { QTest::keyClick(box, Qt::Key_Space); }, true},
        {"press action",
         [box] {
             QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(box);
             iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
         },
         false},
    };
    for (const Step &step : steps) {
        recorder.clear();
        QSignalSpy clicked(box, &QAbstractButton::clicked);
        step.act();
        QVERIFY2(bool(StateOf(box).checked) == step.checked, step.how);
        QCOMPARE(box->GetCheck(), step.checked ? 1 : 0);
        QCOMPARE(clicked.size(), 1);
        const auto changes = recorder.of(QAccessible::StateChanged, box);
        QVERIFY2(changes.size() == 1 && changes.first().changed.checked, step.how);
    }
    // Set by the program (a page loading the record): the state follows
    // and is announced too.
    recorder.clear();
    box->SetCheck(1);
    QVERIFY(StateOf(box).checked);
    QCOMPARE(recorder.of(QAccessible::StateChanged, box).size(), 1);
}

void TestAccessibility::radioButtonMovesTheCheckAndSaysSo()
{
    QWidget window;
    auto *express = new CRadioButton(QStringLiteral("&Express"), &window);
    auto *custom = new CRadioButton(QStringLiteral("Cu&stom"), &window);
    express->setGeometry(10, 10, 120, 20);
    custom->setGeometry(10, 40, 120, 20);
    express->SetCheck(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(QAccessible::queryAccessibleInterface(custom)->role(), QAccessible::RadioButton);
    QCOMPARE(QAccessible::queryAccessibleInterface(custom)->text(QAccessible::Name), QStringLiteral("Custom"));

    AccessibilityRecorder recorder;
    QTest::mouseClick(custom, Qt::LeftButton, {}, QPoint(5, 10));
    QVERIFY(StateOf(custom).checked);
    QVERIFY(!StateOf(express).checked);
    QCOMPARE(recorder.of(QAccessible::StateChanged, custom).size(), 1);
    QCOMPARE(recorder.of(QAccessible::StateChanged, express).size(), 1);
    // Clicking the checked one again changes nothing and says nothing.
    recorder.clear();
    QTest::mouseClick(custom, Qt::LeftButton, {}, QPoint(5, 10));
    QVERIFY(StateOf(custom).checked);
    QVERIFY(recorder.of(QAccessible::StateChanged, custom).isEmpty());
}

void TestAccessibility::resultsListIsANamedTableWithCheckedCells()
{
    TempDrive drive;
    QVERIFY(drive.makeFile("a.tmp", 10));
    QVERIFY(drive.makeFile("b.tmp", 20));
    CFileScan scan;
    auto page = ShowResultsPage(scan, drive.root());
    QVERIFY(ScanToEnd(*page));
    CCheckBoxListCtrl *list = page->GetList();
    const int rows = list->model()->rowCount();
    const int columns = list->model()->columnCount();
    QCOMPARE(rows, 2);

    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(list);
    QCOMPARE(table->role(), QAccessible::Table);
    // Named by its page's title.
    QCOMPARE(table->text(QAccessible::Name), LoadString(IDS_RESULTS_TITLE).simplified());
    QAccessibleTableInterface *tableInterface = table->tableInterface();
    QVERIFY(tableInterface);
    QCOMPARE(tableInterface->rowCount(), rows);
    QCOMPARE(tableInterface->columnCount(), columns);
    QCOMPARE(table->childCount(), (rows + 1) * columns);
    for (int column = 0; column < columns; ++column) {
        const QString header = list->model()->headerData(column, Qt::Horizontal).toString();
        QVERIFY(!header.isEmpty());
        QCOMPARE(tableInterface->columnDescription(column), header);
        QAccessibleInterface *headerCell = tableInterface->cellAt(-1, column);
        QCOMPARE(headerCell->role(), QAccessible::ColumnHeader);
        QCOMPARE(headerCell->text(QAccessible::Name), header);
    }
    for (int row = 0; row < rows; ++row) {
        QAccessibleInterface *cell = tableInterface->cellAt(row, 0);
        QCOMPARE(cell->role(), QAccessible::Cell);
        QCOMPARE(cell->text(QAccessible::Name), list->model()->index(row, 0).data().toString());
        QCOMPARE(cell->parent(), table);
        QCOMPARE(table->indexOfChild(cell), (row + 1) * columns);
        QVERIFY(cell->state().checkable);
        QCOMPARE(bool(cell->state().checked), list->GetCheck(row) == 1);
        QCOMPARE(cell->tableCellInterface()->columnHeaderCells().first()->text(QAccessible::Name),
                 list->model()->headerData(0, Qt::Horizontal).toString());
        QVERIFY(!tableInterface->cellAt(row, 1)->state().checkable);
    }

    // A click on the box, Space on the selected row and the cell's own
    // toggle action each flip the row and say so for that cell.
    AccessibilityRecorder recorder;
    const QRect firstRow = list->visualRect(list->model()->index(0, 0));
    const QPoint box(list->columnViewportPosition(0) + 8, firstRow.center().y());
    const int cellChild = columns;
    struct Step
    {
        const char *how;
        std::function<void()> act;
    };
    const Step steps[] = {
        {"click", [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box); }},
        {"space",
         [&] {
             list->setFocus();
             list->setCurrentIndex(list->model()->index(0, 1));
             QTest::keyClick(list, Qt::Key_Space);
         }},
        {"toggle action",
         [&] {
             tableInterface->cellAt(0, 0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
         }},
    };
    for (const Step &step : steps) {
        recorder.clear();
        const int before = list->GetCheck(0);
        step.act();
        QVERIFY2(list->GetCheck(0) == 1 - before, step.how);
        QCOMPARE(bool(tableInterface->cellAt(0, 0)->state().checked), list->GetCheck(0) == 1);
        const auto changes = recorder.of(QAccessible::StateChanged, list, cellChild);
        QVERIFY2(changes.size() == 1 && changes.first().changed.checked, step.how);
    }
}

void TestAccessibility::progressValueFollowsTheScan()
{
    TempDrive drive;
    for (int i = 0; i < 8; ++i)
        QVERIFY(drive.makeFile(QByteArray("f") + QByteArray::number(i), 4096 * (i + 1)));
    std::int64_t total = 0;
    for (int i = 0; i < 8; ++i)
        total += 4096 * (i + 1);
    ByteBarScanDlg dlg(total);
    auto *progress = dlg.findChild<CPercentProgressCtrl *>();
    QVERIFY(progress);
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(progress);
    QCOMPARE(bar->role(), QAccessible::ProgressBar);
    QAccessibleInterface *path = QAccessible::queryAccessibleInterface(dlg.GetPathStatic());
    QCOMPARE(path->role(), QAccessible::StaticText);

    AccessibilityRecorder recorder;
    dlg.Create(nullptr, drive.root());
    CFileScan criteria;
    criteria.m_strDrive = QFile::decodeName(drive.root());
    CScanSession session(criteria, drive.root());
    session.SetProtectionFactory({});
    session.SetOpenFileSourceFactory({});
    struct : CMatchSink
    {
        void AddMatch(const ScanMatch &) override {}
    } sink;
    QVERIFY(!session.Run(sink, dlg).rootUnavailable);
    dlg.FinishProgress();
    QCOMPARE(bar->valueInterface()->minimumValue().toInt(), 0);
    QCOMPARE(bar->valueInterface()->maximumValue().toInt(), 100);
    QCOMPARE(bar->valueInterface()->currentValue().toInt(), progress->GetPos());
    QCOMPARE(bar->text(QAccessible::Value), QStringLiteral("100%"));
    const auto changes = recorder.of(QAccessible::ValueChanged, progress);
    QVERIFY(changes.size() >= 2);
    int last = 0;
    for (const auto &change : changes) {
        QVERIFY(change.value.toInt() >= last);
        last = change.value.toInt();
    }
    QCOMPARE(last, 100);
    // The path line reads as the whole path it shows, and its changes are
    // announced as name changes.
    QCOMPARE(path->text(QAccessible::Name), dlg.GetPathStatic()->GetWindowText());
    QVERIFY(dlg.GetPathStatic()->GetWindowText().startsWith(QFile::decodeName(drive.root())));
    QVERIFY(!recorder.of(QAccessible::NameChanged, dlg.GetPathStatic()).isEmpty());
}

void TestAccessibility::linkHasItsAddressAndAPressAction()
{
    QWidget window;
    auto *link = new CLinkStatic(&window);
    link->setText(QStringLiteral("Brimvale on the web"));
    link->SetURL(QStringLiteral("https://brimvale.example/"));
    QStringList opened;
    link->SetOpener([&opened](const QString &address) {
        opened << address;
        return 33;
    });
    link->Attach();
    window.show();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(link);
    QCOMPARE(iface->role(), QAccessible::Link);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Brimvale on the web"));
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("https://brimvale.example/"));
    QVERIFY(!iface->state().traversed);
    QVERIFY(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(opened, QStringList{QStringLiteral("https://brimvale.example/")});
    QVERIFY(iface->state().traversed);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
