// Move and its undo on the results page, as a user drives them: the Move
// button, the Select Folder dialog answered (a typed path, Preserve Path on
// or off), the files on disk, the rows left, the failed-files dialog, the
// free-space line; then "Undo Move" from the list's menu, and that it is
// offered only until the next action, Restart or scan.
#include "RawFiles.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CCheckButton.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CFlatPushButton.h"
#include "controls/CMessageBoxDlg.h"
#include "core/CEventPump.h"
#include "core/CFileScan.h"
#include "core/CResultsModel.h"
#include "core/SizeText.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CResultsPage.h"
#include "results/CSelectFolderDlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString LabelText(const CResultsPage &page, int id)
{
    auto *label = page.GetDlgItemAs<QLabel>(id);
    return label ? label->text() : QString();
}

// Answers the modal dialogs a Move or an Undo opens: the Select Folder
// dialog as the test says, the failed-files dialog read and closed.
class Answers : public QObject
{
public:
    Answers()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { Answer(); });
        m_timer.start();
    }

    std::function<void(CSelectFolderDlg *)> m_onSelectFolder;
    int m_failedDialogs = 0;
    QList<QByteArray> m_failed;
    QString m_failedMessage;

private:
    void Answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dlg = qobject_cast<CSelectFolderDlg *>(modal)) {
            if (m_onSelectFolder)
                m_onSelectFolder(dlg);
            else
                dlg->reject();
        } else if (auto *failed = qobject_cast<CFailedFilesDlg *>(modal)) {
            ++m_failedDialogs;
            m_failed = failed->GetFailedPaths();
            m_failedMessage = failed->GetMessage();
            failed->accept();
        } else if (auto *box = qobject_cast<CMessageBoxDlg *>(modal)) {
            box->GetCancelButton()->click();
        }
    }

    QTimer m_timer;
};

} // namespace

class TestMoveE2E : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void movePreservingPathsThroughTheDialog();
    void moveIntoOneFolderReportsAClash();
    void undoPutsFilesAndRowsBack();
    void undoLeavesAFileReplacedAtTheDestination();
    void undoIsOfferedOnlyUntilTheNextAction();
    void rightClickOpensTheMenu();

private:
    void Scan();
    // Presses Move and answers the dialog with `folder` and Preserve Path.
    void Move(const QByteArray &folder, bool preserve);
    QAction *UndoAction(QMenu &menu) const;
    bool UndoOffered();
    QList<QByteArray> RowPaths() const;
    QList<bool> RowChecks() const;
    void ExpectConsistentTotals() const;
    void ExpectFreeSpaceLine() const;

    QTemporaryDir m_home;
    std::unique_ptr<TempDrive> m_drive;
    std::unique_ptr<QTemporaryDir> m_target;
    std::unique_ptr<CFileScan> m_scan;
    std::unique_ptr<CResultsPage> m_page;
    std::unique_ptr<Answers> m_answers;
};

void TestMoveE2E::initTestCase()
{
    // The Select Folder dialog opens on the home folder: a temporary one,
    // so that no test reads the real one.
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()) + "/.config");
}

void TestMoveE2E::init()
{
    CEventPump::SetDefaultInterval(15);
    m_answers = std::make_unique<Answers>();
    m_drive = std::make_unique<TempDrive>();
    m_target = std::make_unique<QTemporaryDir>();
    QVERIFY(m_drive->isValid() && m_target->isValid());
    QVERIFY(m_drive->makeFolder("Temp/deep"));
    QVERIFY(m_drive->makeFolder("docs"));
    QVERIFY(WriteFile(m_drive->path("Temp/one.txt"), QByteArray(1500, '1')));
    QVERIFY(WriteFile(m_drive->path("Temp/deep/two.bin"), QByteArray(2048, '2')));
    QVERIFY(WriteFile(m_drive->path("docs/three.tmp"), QByteArray(100, '3')));
    QVERIFY(WriteFile(m_drive->path("docs/four.LOG"), QByteArray(5000, '4')));
    QVERIFY(WriteFile(m_drive->path("docs/keep.txt"), "not listed"));
    m_scan = std::make_unique<CFileScan>();
    m_page = ShowResultsPage(*m_scan, m_drive->root());
}

void TestMoveE2E::cleanup()
{
    m_answers.reset();
    m_page.reset();
    m_scan.reset();
    m_target.reset();
    m_drive.reset();
}

void TestMoveE2E::Scan()
{
    QVERIFY(ScanToEnd(*m_page));
    QCOMPARE(m_page->GetModel()->rowCount(), 4);
}

void TestMoveE2E::Move(const QByteArray &folder, bool preserve)
{
    m_answers->m_onSelectFolder = [folder, preserve](CSelectFolderDlg *dlg) {
        dlg->GetEdit()->setText(QFile::decodeName(folder));
        if (preserve)
            QTest::mouseClick(dlg->m_chkPreservePath, Qt::LeftButton);
        dlg->m_btnMove->click();
    };
    m_page->GetMoveButton()->click();
    m_answers->m_onSelectFolder = nullptr;
}

QAction *TestMoveE2E::UndoAction(QMenu &menu) const
{
    for (QAction *action : menu.actions())
        if (action->text() == LoadString(IDS_UNDO_MOVE))
            return action;
    return nullptr;
}

bool TestMoveE2E::UndoOffered()
{
    std::unique_ptr<QMenu> menu(m_page->CreateListMenu(0));
    QAction *undo = menu ? UndoAction(*menu) : nullptr;
    return undo && undo->isEnabled() && undo->isVisible();
}

QList<QByteArray> TestMoveE2E::RowPaths() const
{
    QList<QByteArray> paths;
    const CResultsModel &model = *m_page->GetModel();
    for (int row = 0; row < model.rowCount(); ++row)
        paths.append(model.GetStore().GetPath(model.GetItem(row)));
    return paths;
}

QList<bool> TestMoveE2E::RowChecks() const
{
    QList<bool> checks;
    for (int row = 0; row < m_page->GetModel()->rowCount(); ++row)
        checks.append(m_page->GetList()->GetCheck(row) == 1);
    return checks;
}

void TestMoveE2E::ExpectConsistentTotals() const
{
    const CResultsModel &model = *m_page->GetModel();
    int count = 0;
    std::int64_t bytes = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (m_page->GetList()->GetCheck(row) == 1) {
            ++count;
            bytes += model.GetStore().GetSize(model.GetItem(row));
        }
    }
    QCOMPARE(m_page->GetSelectedCount(), count);
    QCOMPARE(m_page->GetSelectedBytes(), bytes);
    QCOMPARE(LabelText(*m_page, IDC_SELECTION_TEXT),
             QStringLiteral("Selected : %1 in %2 files").arg(FormatSize(bytes)).arg(count));
    QCOMPARE(m_page->GetMoveButton()->isEnabled(), count > 0);
}

void TestMoveE2E::ExpectFreeSpaceLine() const
{
    static const QRegularExpression form(QStringLiteral("^Current Free Space : \\d+(\\.\\d\\d)? (B|KB|MB)$"));
    const QString line = LabelText(*m_page, IDC_FREE_SPACE_TEXT);
    QVERIFY2(form.match(line).hasMatch(), qPrintable(line));
}

void TestMoveE2E::movePreservingPathsThroughTheDialog()
{
    Scan();
    const QByteArray kept = m_drive->path("docs/four.LOG");
    for (int row = 0; row < m_page->GetModel()->rowCount(); ++row)
        if (RowPaths()[row] == kept)
            m_page->GetList()->SetCheck(row, false);
    // The line must be written anew after the Move.
    m_page->GetDlgItemAs<QLabel>(IDC_FREE_SPACE_TEXT)->setText("stale");
    const QByteArray chosen = QFile::encodeName(m_target->path()) + "/new/level";
    Move(chosen, true);

    const QByteArray root = m_drive->root();
    for (const QByteArray &moved : {QByteArray("Temp/one.txt"), QByteArray("Temp/deep/two.bin"),
                                    QByteArray("docs/three.tmp")}) {
        QVERIFY2(!Exists(m_drive->path(moved)), moved.constData());
        QVERIFY2(Exists(chosen + "/" + moved), moved.constData());
    }
    QCOMPARE(m_answers->m_failedDialogs, 0);
    QVERIFY(Exists(kept));
    QCOMPARE(RowPaths(), QList<QByteArray>{kept});
    QCOMPARE(RowChecks(), QList<bool>{false});
    ExpectConsistentTotals();
    ExpectFreeSpaceLine();
    QVERIFY(m_page->isEnabled());
    QVERIFY(UndoOffered());
}

void TestMoveE2E::moveIntoOneFolderReportsAClash()
{
    QVERIFY(WriteFile(m_drive->path("Temp/deep/one.txt"), "same name, other folder"));
    QVERIFY(ScanToEnd(*m_page));
    QCOMPARE(m_page->GetModel()->rowCount(), 5);
    const QByteArray chosen = QFile::encodeName(m_target->path());
    Move(chosen, false);

    QCOMPARE(m_answers->m_failedDialogs, 1);
    QCOMPARE(m_answers->m_failedMessage, LoadString(IDS_MOVE_FAILED));
    QCOMPARE(m_answers->m_failed.size(), 1);
    const QByteArray left = m_answers->m_failed.first();
    QVERIFY(left.endsWith("one.txt"));
    QVERIFY(Exists(left));
    QCOMPARE(RowPaths(), QList<QByteArray>{left});
    QCOMPARE(RowChecks(), QList<bool>{true});
    ExpectConsistentTotals();
    for (const char *name : {"one.txt", "two.bin", "three.tmp", "four.LOG"})
        QVERIFY2(Exists(chosen + "/" + name), name);
}

void TestMoveE2E::undoPutsFilesAndRowsBack()
{
    Scan();
    m_page->GetList()->SetCheck(1, false);
    const QList<QByteArray> rows = RowPaths();
    const QList<bool> checks = RowChecks();
    QVERIFY(!UndoOffered());
    Move(QFile::encodeName(m_target->path()), true);
    QCOMPARE(m_page->GetModel()->rowCount(), 1);

    m_page->GetDlgItemAs<QLabel>(IDC_FREE_SPACE_TEXT)->setText("stale");
    std::unique_ptr<QMenu> menu(m_page->CreateListMenu(0));
    QAction *undo = UndoAction(*menu);
    QVERIFY(undo && undo->isEnabled());
    undo->trigger();

    QCOMPARE(m_answers->m_failedDialogs, 0);
    QCOMPARE(RowPaths(), rows);
    QCOMPARE(RowChecks(), checks);
    for (const QByteArray &path : rows)
        QVERIFY2(Exists(path), path.constData());
    QCOMPARE(QDir(m_target->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    ExpectConsistentTotals();
    ExpectFreeSpaceLine();
    // One undo: the item is no longer offered.
    QVERIFY(!UndoOffered());

    // The files are the list's again: a Delete deals with them.
    m_answers.reset();
    QTimer yes;
    yes.setInterval(5);
    connect(&yes, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<CMessageBoxDlg *>(QApplication::activeModalWidget()))
            box->GetOkButton()->click();
    });
    yes.start();
    m_page->GetDeleteButton()->click();
    QCOMPARE(m_page->GetModel()->rowCount(), 1);
    QVERIFY(!Exists(rows[0]));
}

void TestMoveE2E::undoLeavesAFileReplacedAtTheDestination()
{
    Scan();
    const QByteArray chosen = QFile::encodeName(m_target->path());
    Move(chosen, false);
    QCOMPARE(m_page->GetModel()->rowCount(), 0);
    QVERIFY(!m_page->GetMoveButton()->isEnabled());
    QVERIFY(WriteFile(chosen + "/other", "another file"));
    QVERIFY(::rename((chosen + "/other").constData(), (chosen + "/three.tmp").constData()) == 0);
    std::unique_ptr<QMenu> menu(m_page->CreateListMenu(-1));
    UndoAction(*menu)->trigger();

    QCOMPARE(m_answers->m_failedDialogs, 1);
    QCOMPARE(m_answers->m_failedMessage, LoadString(IDS_UNDO_MOVE_FAILED));
    QCOMPARE(m_answers->m_failed, QList<QByteArray>{chosen + "/three.tmp"});
    QVERIFY(!Exists(m_drive->path("docs/three.tmp")));
    QCOMPARE(m_page->GetModel()->rowCount(), 3);
    QVERIFY(!RowPaths().contains(m_drive->path("docs/three.tmp")));
    ExpectConsistentTotals(); // back from none checked: the buttons are on again
}

void TestMoveE2E::undoIsOfferedOnlyUntilTheNextAction()
{
    const auto rescan = [this](const QByteArray &drive) {
        m_scan->m_strDrive = QFile::decodeName(drive);
        QVERIFY(ScanToEnd(*m_page));
    };
    Scan();
    const QByteArray chosen = QFile::encodeName(m_target->path());
    m_page->GetList()->SetCheck(0, false);
    Move(chosen + "/first", false);
    QCOMPARE(m_page->GetModel()->rowCount(), 1);
    QVERIFY(UndoOffered());
    // A Move left in its dialog, or a Delete answered No, did nothing.
    m_page->GetList()->SetCheck(0, true);
    m_page->GetMoveButton()->click();
    QVERIFY(UndoOffered());
    m_page->GetDeleteButton()->click();
    QCOMPARE(m_page->GetModel()->rowCount(), 1);
    QVERIFY(UndoOffered());
    // Eliminate is an action.
    m_page->GetEliminateButton()->click();
    QCOMPARE(m_page->GetModel()->rowCount(), 0);
    QVERIFY(!UndoOffered());

    // Restart.
    rescan(chosen + "/first");
    QVERIFY(m_page->GetModel()->rowCount() > 0);
    Move(chosen + "/second", false);
    QVERIFY(UndoOffered());
    m_page->OnRestart();
    QVERIFY(!UndoOffered());

    // A new scan.
    rescan(chosen + "/second");
    Move(chosen + "/third", false);
    QVERIFY(UndoOffered());
    rescan(chosen + "/third");
    QVERIFY(!UndoOffered());
}

void TestMoveE2E::rightClickOpensTheMenu()
{
    Scan();
    // Right-clicks the list and reads the menu that opens.
    const auto rightClick = [this](bool &enabled) {
        QStringList seen;
        QTimer timer;
        timer.setInterval(5);
        connect(&timer, &QTimer::timeout, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *action : menu->actions()) {
                    if (action->isSeparator())
                        continue;
                    seen.append(action->text());
                    // Undo stands last.
                    enabled = action->isEnabled();
                }
                menu->close();
            }
        });
        timer.start();
        QWidget *viewport = m_page->GetList()->viewport();
        const QPoint at(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        return seen;
    };
    bool enabled = true;
    QStringList seen = rightClick(enabled);
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), LoadString(IDS_UNDO_MOVE));
    QVERIFY(!enabled);
    Move(QFile::encodeName(m_target->path()), false);
    seen = rightClick(enabled);
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), LoadString(IDS_UNDO_MOVE));
    QVERIFY(enabled);
}

QTEST_MAIN(TestMoveE2E)
#include "tst_move_e2e.moc"
