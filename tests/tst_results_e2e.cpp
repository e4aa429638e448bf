// The results page end to end on a temporary drive: the scan lists exactly
// the matching files, the totals follow every check, sorting keeps the checks
// with their files, and Eliminate, Delete and Restart leave list, totals,
// buttons and disk consistent, including after a Cancel halfway.
#include "RawFiles.h"
#include "ExpressTree.h"
#include "ModalWatcher.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"

#include "wizard/CWizard.h"
#include "app/CWizardApp.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFlatPushButton.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CSortArrowHeader.h"
#include "criteria/CDrivePage.h"
#include "core/CFileScan.h"
#include "core/CProtection.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/CActionProgressDlg.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CMessageBoxDlg.h"
#include "core/CResultsModel.h"
#include "results/CResultsPage.h"
#include "core/SizeText.h"
#include "core/CEventPump.h"
#include "scan/CScanDlg.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// This machine's protection, read before the scan starts: the rows then
// come while the walk goes on (a scan that reads it meanwhile keeps its
// matches until it can judge them, which on a tiny drive is the walk's end).
std::unique_ptr<CProtection> LoadedFirst(const QByteArray &drive)
{
    std::unique_ptr<CProtection> protection = CProtection::ForDrive(drive);
    protection->Load();
    return protection;
}

template <class T> T *FindTopLevel()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<T *>(widget); found && found->isVisible())
            return found;
    }
    return nullptr;
}

QString LabelText(const CResultsPage &page, int id)
{
    auto *label = page.GetDlgItemAs<QLabel>(id);
    return label ? label->text() : QString();
}

// Other programs share the temporary folder's file system, so its free
// space may move between two looks: the line must have the form, and be
// fresh enough to be within a few MB of what the system says now.
void ExpectFreeSpaceLine(const CResultsPage &page)
{
    const QString line = LabelText(page, IDC_FREE_SPACE_TEXT);
    static const QRegularExpression form(QStringLiteral("^Current Free Space : (\\d+(\\.\\d\\d)?) (B|KB|MB)$"));
    const QRegularExpressionMatch match = form.match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    // Asked of the file system here, not of the page: what the user may
    // still fill, in the unit the line shows.
    struct statvfs info {};
    QCOMPARE(::statvfs(QFile::encodeName(page.GetScan()->m_strDrive).constData(), &info), 0);
    const double available = double(info.f_bavail) * double(info.f_frsize ? info.f_frsize : info.f_bsize);
    const double unit = match.captured(3) == QLatin1String("MB") ? 1048576.0
                        : match.captured(3) == QLatin1String("KB") ? 1024.0 : 1.0;
    const double shown = match.captured(1).toDouble() * unit;
    // Other programs write to the same disk meanwhile.
    QVERIFY2(qAbs(shown - available) < 64.0 * 1048576.0, qPrintable(line + QStringLiteral(" / %1 bytes").arg(available)));
}

} // namespace

class TestResultsE2E : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void expressScanListsExactlyTheMatchingFiles();
    void customScanAppliesSizeAndExtension();
    void unopenableRootGivesAnEmptyFinishedScan();
    void scanCancelledByEscapeKeepsConsistentTotals();
    void checksDriveTotalsAndButtons();
    void checkFlippedDuringTheScanIsCountedOnce();
    void spaceFlipsEverySelectedRow();
    void sortingByEveryColumnKeepsChecksWithFiles();
    void eliminateLeavesExactlyTheUncheckedRows();
    void deleteRemovesExactlyTheCheckedFiles();
    void deleteAnsweredNoChangesNothing();
    void deleteVisitsLastToFirstAndReportsInThatOrder();
    void deleteFailureStaysCheckedAndIsReported();
    void sortedListDeletesExactlyTheCheckedFiles();
    void cancelHalfwayLeavesConsistentTotals();
    void restartClearsAndNextScanStartsFresh();
    void wizardRunsExpressToResultsAndRestarts();

private:
    void MakeFiles();
    void Scan(CResultsPage &page);
    QSet<QByteArray> ListedPaths(const CResultsPage &page) const;
    QSet<QByteArray> CheckedPaths(const CResultsPage &page) const;
    std::int64_t CheckedBytes(const CResultsPage &page) const;
    void ExpectConsistentTotals(const CResultsPage &page) const;
    QSet<QByteArray> ExpressPaths() const;

    std::unique_ptr<TempDrive> m_drive;
    std::unique_ptr<CFileScan> m_scan;
    std::unique_ptr<CResultsPage> m_page;
    std::unique_ptr<QObject> m_answers;
};

void TestResultsE2E::init()
{
    CEventPump::SetDefaultInterval(15);
    m_answers = std::make_unique<QObject>();
    m_drive = std::make_unique<TempDrive>();
    QVERIFY(m_drive->isValid());
    MakeFiles();
    m_scan = std::make_unique<CFileScan>();
    m_page = ShowResultsPage(*m_scan, m_drive->root());
}

void TestResultsE2E::cleanup()
{
    m_answers.reset();
    m_page.reset();
    m_scan.reset();
    // The temporary folder's own clean-up cannot see a name that is not UTF-8.
    if (m_drive)
        ::unlink(m_drive->path("docs/bad\xff.tmp").constData());
    m_drive.reset();
    CEventPump::SetDefaultInterval(15);
}

void TestResultsE2E::MakeFiles()
{
    for (const ExpressTreeFile &file : kExpressTree) {
        if (file.path == "docs/bad\xff.tmp")
            continue;
        QVERIFY(m_drive->makeFile(file.path, file.size));
    }
    QVERIFY(m_drive->makeFile("docs/bad\xff.tmp", 30));
    // A link is listed as itself and never followed: its size is its target's length.
    QVERIFY(m_drive->makeSymlink("docs/seven.bak", "keep.txt"));
}

QSet<QByteArray> TestResultsE2E::ExpressPaths() const
{
    return ExpressTreePaths(*m_drive);
}

void TestResultsE2E::Scan(CResultsPage &page)
{
    page.OnSetActive();
    QVERIFY(!page.isEnabled()); // until the scan has run
    QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(page), 20000);
}

QSet<QByteArray> TestResultsE2E::ListedPaths(const CResultsPage &page) const
{
    QSet<QByteArray> paths;
    const CResultsModel &model = *page.GetModel();
    for (int row = 0; row < model.rowCount(); ++row)
        paths.insert(model.GetStore().GetPath(model.GetItem(row)));
    return paths;
}

QSet<QByteArray> TestResultsE2E::CheckedPaths(const CResultsPage &page) const
{
    QSet<QByteArray> paths;
    const CResultsModel &model = *page.GetModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (page.GetList()->GetCheck(row) == 1)
            paths.insert(model.GetStore().GetPath(model.GetItem(row)));
    }
    return paths;
}

std::int64_t TestResultsE2E::CheckedBytes(const CResultsPage &page) const
{
    std::int64_t bytes = 0;
    const CResultsModel &model = *page.GetModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (page.GetList()->GetCheck(row) == 1)
            bytes += model.GetStore().GetSize(model.GetItem(row));
    }
    return bytes;
}

void TestResultsE2E::ExpectConsistentTotals(const CResultsPage &page) const
{
    const int count = int(CheckedPaths(page).size());
    QCOMPARE(page.GetSelectedCount(), count);
    QCOMPARE(page.GetSelectedBytes(), CheckedBytes(page));
    QCOMPARE(LabelText(page, IDC_SELECTION_TEXT),
             QStringLiteral("Selected : %1 in %2 files").arg(FormatSize(CheckedBytes(page))).arg(count));
    for (CFlatPushButton *button : {page.GetEliminateButton(), page.GetCompressButton(), page.GetMoveButton(), page.GetDeleteButton()})
        QCOMPARE(button->isEnabled(), count > 0);
}

void TestResultsE2E::expressScanListsExactlyTheMatchingFiles()
{
    Scan(*m_page);
    const CResultsModel &model = *m_page->GetModel();
    QCOMPARE(model.rowCount(), int(ExpressPaths().size()));
    QCOMPARE(ListedPaths(*m_page), ExpressPaths()); // each once, nothing else
    QCOMPARE(CheckedPaths(*m_page), ExpressPaths());
    // 1500 + 2048 + 100 + 5000 + 0 + 30 + 8 (the link) bytes.
    QCOMPARE(LabelText(*m_page, IDC_SELECTION_TEXT), QStringLiteral("Selected : 8.48 KB in 7 files"));
    QCOMPARE(m_page->GetSelectedBytes(), std::int64_t(8686));
    ExpectConsistentTotals(*m_page);

    QCOMPARE(m_page->GetList()->currentIndex().row(), 0);
    QVERIFY(m_page->GetList()->selectionModel()->isRowSelected(0, QModelIndex()));
    QVERIFY(m_page->isEnabled());
    QVERIFY(!FindTopLevel<CScanDlg>());
    ExpectFreeSpaceLine(*m_page);

    // What the row shows: raw names decode for display only.
    for (int row = 0; row < model.rowCount(); ++row) {
        const int item = model.GetItem(row);
        if (model.GetStore().GetPath(item) == m_drive->path("docs/four.LOG")) {
            QCOMPARE(model.index(row, kColumnFile).data().toString(), QStringLiteral("four.LOG"));
            QCOMPARE(model.index(row, kColumnLocation).data().toString(),
                     QFile::decodeName(m_drive->path("docs")));
            QCOMPARE(model.index(row, kColumnSize).data().toString(), QStringLiteral("4.88 KB"));
            QVERIFY(!model.index(row, kColumnFile).data(Qt::DecorationRole).value<QIcon>().isNull());
        }
    }
}

void TestResultsE2E::customScanAppliesSizeAndExtension()
{
    m_scan->m_bExpress = 0;
    m_scan->m_bExtension = 1;
    m_scan->m_arrExtensions = {QStringLiteral("txt")};
    m_scan->m_bSize = 1;
    m_scan->m_nSizeMode = 2; // larger than 1 KB (1000 bytes)
    m_scan->m_nSizeFrom = 1;
    Scan(*m_page);
    const QSet<QByteArray> expected = {m_drive->path("Temp/one.txt"), m_drive->path("docs/big.txt")};
    QCOMPARE(ListedPaths(*m_page), expected);
    QCOMPARE(m_page->GetModel()->rowCount(), 2);
    QCOMPARE(LabelText(*m_page, IDC_SELECTION_TEXT), QStringLiteral("Selected : 5.37 KB in 2 files"));
    ExpectConsistentTotals(*m_page);
}

void TestResultsE2E::unopenableRootGivesAnEmptyFinishedScan()
{
    m_scan->m_strDrive = QFile::decodeName(m_drive->path("no such folder"));
    Scan(*m_page);
    QCOMPARE(m_page->GetModel()->rowCount(), 0);
    QCOMPARE(LabelText(*m_page, IDC_SELECTION_TEXT), QStringLiteral("Selected : 0 B in 0 files"));
    QVERIFY(m_page->isEnabled());
    QVERIFY(!m_page->GetDeleteButton()->isEnabled());
    QVERIFY(!m_page->GetEliminateButton()->isEnabled());
    QVERIFY(!FindTopLevel<CScanDlg>());
}

void TestResultsE2E::scanCancelledByEscapeKeepsConsistentTotals()
{
    for (int i = 0; i < 40; ++i)
        QVERIFY(m_drive->makeFile("Temp/many/f" + QByteArray::number(i) + ".tmp", 10 + i));
    CEventPump::SetDefaultInterval(0);
    m_page->SetProtectionFactory(&LoadedFirst);
    int progressAtCancel = -1;
    QTimer timer;
    timer.setInterval(0);
    connect(&timer, &QTimer::timeout, [&] {
        CScanDlg *dlg = FindTopLevel<CScanDlg>();
        if (dlg && m_page->GetScan() && m_page->GetModel()->GetStore().GetCount() >= 3 && progressAtCancel < 0) {
            QTest::keyClick(dlg, Qt::Key_Escape);
            QVERIFY(dlg->IsCancelled());
            progressAtCancel = dlg->GetProgress()->GetPos();
            timer.stop();
        }
    });
    timer.start();
    Scan(*m_page);
    QVERIFY(progressAtCancel >= 0);
    const int listed = m_page->GetModel()->rowCount();
    QVERIFY2(listed >= 3 && listed < 47, qPrintable(QString::number(listed)));
    QCOMPARE(m_page->GetModel()->GetStore().GetCount(), listed); // nothing held back
    ExpectConsistentTotals(*m_page);
    QVERIFY(m_page->isEnabled());
}

void TestResultsE2E::checkFlippedDuringTheScanIsCountedOnce()
{
    // The user unchecks a row the scan has already shown, while the scan
    // still fills the list: the totals count it once, during and after.
    for (int i = 0; i < 40; ++i)
        QVERIFY(m_drive->makeFile("Temp/many/f" + QByteArray::number(i) + ".tmp", 10 + i));
    CEventPump::SetDefaultInterval(0);
    m_page->SetProtectionFactory(&LoadedFirst);
    bool flipped = false;
    QTimer timer;
    timer.setInterval(0);
    connect(&timer, &QTimer::timeout, [&] {
        if (flipped || !m_page->IsScanning() || m_page->GetModel()->GetStore().GetCount() < 3)
            return;
        // As the rhythm would a moment later: the rows found so far show.
        m_page->RefreshWhileBusy(true);
        m_page->GetList()->SetCheck(1, false);
        flipped = true;
        timer.stop();
    });
    timer.start();
    Scan(*m_page);
    QVERIFY2(flipped, "the scan ended before any row could be flipped");
    QCOMPARE(m_page->GetSelectedCount(), m_page->GetModel()->rowCount() - 1);
    ExpectConsistentTotals(*m_page);
}

void TestResultsE2E::checksDriveTotalsAndButtons()
{
    Scan(*m_page);
    CCheckBoxListCtrl *list = m_page->GetList();
    const int rows = m_page->GetModel()->rowCount();
    list->SetCheck(0, false);
    list->SetCheck(1, false);
    ExpectConsistentTotals(*m_page);
    QCOMPARE(m_page->GetSelectedCount(), rows - 2);
    list->SetCheck(1, false); // no change, no double count
    QCOMPARE(m_page->GetSelectedCount(), rows - 2);

    for (int row = 0; row < rows; ++row)
        list->SetCheck(row, false);
    QCOMPARE(LabelText(*m_page, IDC_SELECTION_TEXT), QStringLiteral("Selected : 0 B in 0 files"));
    ExpectConsistentTotals(*m_page); // every button off
    list->SetCheck(rows - 1, true);
    ExpectConsistentTotals(*m_page); // every button on again
    QCOMPARE(m_page->GetSelectedCount(), 1);

}

void TestResultsE2E::spaceFlipsEverySelectedRow()
{
    Scan(*m_page);
    CCheckBoxListCtrl *list = m_page->GetList();
    list->SetCheck(1, false);
    QItemSelection selection(m_page->GetModel()->index(0, 0), m_page->GetModel()->index(2, kColumnCount - 1));
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(list->GetCheck(0), 0);
    QCOMPARE(list->GetCheck(1), 1);
    QCOMPARE(list->GetCheck(2), 0);
    QCOMPARE(list->GetCheck(3), 1);
    ExpectConsistentTotals(*m_page);
}

void TestResultsE2E::sortingByEveryColumnKeepsChecksWithFiles()
{
    Scan(*m_page);
    CCheckBoxListCtrl *list = m_page->GetList();
    list->SetCheck(0, false);
    list->SetCheck(3, false);
    const QSet<QByteArray> checked = CheckedPaths(*m_page);
    const std::int64_t bytes = m_page->GetSelectedBytes();
    const CResultsModel &model = *m_page->GetModel();
    for (int column = 0; column < kColumnCount; ++column) {
        for (bool ascending : {true, false}) {
            m_page->GetHeader()->SetSortColumn(-1, true);
            m_page->GetHeader()->SortByColumn(column); // ascending first
            if (!ascending)
                m_page->GetHeader()->SortByColumn(column);
            QCOMPARE(m_page->GetHeader()->IsAscending(), ascending);
            QCOMPARE(CheckedPaths(*m_page), checked);
            QCOMPARE(ListedPaths(*m_page), ExpressPaths());
            QCOMPARE(m_page->GetSelectedBytes(), bytes);
            if (column == kColumnSize) {
                for (int row = 1; row < model.rowCount(); ++row) {
                    const std::int64_t previous = model.GetStore().GetSize(model.GetItem(row - 1));
                    const std::int64_t current = model.GetStore().GetSize(model.GetItem(row));
                    QVERIFY(ascending ? previous <= current : previous >= current);
                }
            }
        }
    }
    ExpectConsistentTotals(*m_page);
}

void TestResultsE2E::eliminateLeavesExactlyTheUncheckedRows()
{
    Scan(*m_page);
    CCheckBoxListCtrl *list = m_page->GetList();
    list->SetCheck(1, false);
    list->SetCheck(4, false);
    const QSet<QByteArray> all = ListedPaths(*m_page);
    const QSet<QByteArray> unchecked = all - CheckedPaths(*m_page);
    const QString freeSpace = LabelText(*m_page, IDC_FREE_SPACE_TEXT);
    m_page->GetEliminateButton()->click();
    QCOMPARE(ListedPaths(*m_page), unchecked);
    QCOMPARE(CheckedPaths(*m_page), QSet<QByteArray>());
    ExpectConsistentTotals(*m_page); // count 0: buttons off
    QCOMPARE(LabelText(*m_page, IDC_SELECTION_TEXT), QStringLiteral("Selected : 0 B in 0 files"));
    QCOMPARE(LabelText(*m_page, IDC_FREE_SPACE_TEXT), freeSpace); // not rewritten
    for (const QByteArray &path : all)
        QVERIFY2(Exists(path), path.constData()); // no file is touched
    QVERIFY(m_page->isEnabled());
    QVERIFY(!FindTopLevel<CActionProgressDlg>());
    // The arrays keep their entries; only the rows went.
    QCOMPARE(m_page->GetModel()->GetStore().GetCount(), all.size());
}

void TestResultsE2E::deleteRemovesExactlyTheCheckedFiles()
{
    Scan(*m_page);
    CCheckBoxListCtrl *list = m_page->GetList();
    list->SetCheck(0, false);
    list->SetCheck(2, false);
    const QSet<QByteArray> checked = CheckedPaths(*m_page);
    const QSet<QByteArray> unchecked = ListedPaths(*m_page) - checked;
    QString question;
    AnswerModal<CMessageBoxDlg>(m_answers.get(), [&](CMessageBoxDlg *box) {
        question = box->GetText();
        box->GetOkButton()->click();
    });
    bool failedShown = false;
    AnswerModal<CFailedFilesDlg>(m_answers.get(), [&](CFailedFilesDlg *dlg) {
        failedShown = true;
        dlg->accept();
    });
    m_page->GetDeleteButton()->click();
    QCOMPARE(question, LoadString(IDS_CONFIRM_DELETE));
    QVERIFY(!failedShown);
    for (const QByteArray &path : checked)
        QVERIFY2(!Exists(path), path.constData());
    for (const QByteArray &path : unchecked)
        QVERIFY2(Exists(path), path.constData());
    QVERIFY(Exists(m_drive->path("docs/keep.txt"))); // the link went, not its target
    QCOMPARE(ListedPaths(*m_page), unchecked);
    ExpectConsistentTotals(*m_page);
    QVERIFY(!m_page->GetDeleteButton()->isEnabled());
    ExpectFreeSpaceLine(*m_page);
    QVERIFY(m_page->isEnabled());
}

void TestResultsE2E::deleteAnsweredNoChangesNothing()
{
    Scan(*m_page);
    const QSet<QByteArray> listed = ListedPaths(*m_page);
    AnswerModal<CMessageBoxDlg>(m_answers.get(), [](CMessageBoxDlg *box) { box->GetCancelButton()->click(); });
    m_page->GetDeleteButton()->click();
    QCOMPARE(ListedPaths(*m_page), listed);
    QCOMPARE(CheckedPaths(*m_page), listed);
    for (const QByteArray &path : listed)
        QVERIFY(Exists(path));
    ExpectConsistentTotals(*m_page);
}

void TestResultsE2E::deleteFailureStaysCheckedAndIsReported()
{
    Scan(*m_page);
    // Replaced behind the list's back: another file now stands at the path.
    const QByteArray replaced = m_drive->path("docs/four.LOG");
    QVERIFY(m_drive->makeFile("docs/four.new", 5000));
    QVERIFY(::rename(m_drive->path("docs/four.new").constData(), replaced.constData()) == 0);

    AnswerModal<CMessageBoxDlg>(m_answers.get(), [](CMessageBoxDlg *box) { box->GetOkButton()->click(); });
    QList<QByteArray> reported;
    QString message;
    AnswerModal<CFailedFilesDlg>(m_answers.get(), [&](CFailedFilesDlg *dlg) {
        reported = dlg->GetFailedPaths();
        message = dlg->GetMessage();
        dlg->accept();
    });
    m_page->GetDeleteButton()->click();
    QCOMPARE(reported, QList<QByteArray>{replaced});
    QCOMPARE(message, LoadString(IDS_DELETE_FAILED));
    QVERIFY(Exists(replaced));
    QCOMPARE(ListedPaths(*m_page), QSet<QByteArray>{replaced});
    QCOMPARE(CheckedPaths(*m_page), QSet<QByteArray>{replaced});
    QCOMPARE(m_page->GetSelectedBytes(), std::int64_t(5000));
    ExpectConsistentTotals(*m_page); // still one checked: buttons stay on
}

void TestResultsE2E::deleteVisitsLastToFirstAndReportsInThatOrder()
{
    Scan(*m_page);
    m_page->GetHeader()->SortByColumn(kColumnFile);
    const CResultsModel &model = *m_page->GetModel();
    QList<QByteArray> rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.append(model.GetStore().GetPath(model.GetItem(row)));
    QVERIFY(rows.size() >= 5);
    // Three files replaced behind the list's back, far apart in the list.
    const QList<int> replacedRows{0, 2, 4};
    for (int row : replacedRows) {
        const QByteArray other = rows[row] + ".other";
        // Raw bytes: one of the names is not valid UTF-8.
        const int fd = ::open(other.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY2(fd >= 0, other.constData());
        QVERIFY(::write(fd, "not the listed file", 19) == 19);
        ::close(fd);
        QVERIFY2(::rename(other.constData(), rows[row].constData()) == 0, rows[row].constData());
    }

    AnswerModal<CMessageBoxDlg>(m_answers.get(), [](CMessageBoxDlg *box) { box->GetOkButton()->click(); });
    QList<QByteArray> reported;
    AnswerModal<CFailedFilesDlg>(m_answers.get(), [&](CFailedFilesDlg *dlg) {
        reported = dlg->GetFailedPaths();
        dlg->accept();
    });
    m_page->GetDeleteButton()->click();
    // The loop starts at the last row, so failures come bottom first.
    QCOMPARE(reported, (QList<QByteArray>{rows[4], rows[2], rows[0]}));
    QCOMPARE(model.rowCount(), 3);
    for (int k = 0; k < 3; ++k)
        QCOMPARE(model.GetStore().GetPath(model.GetItem(k)), rows[replacedRows[k]]);
    ExpectConsistentTotals(*m_page);
}

void TestResultsE2E::sortedListDeletesExactlyTheCheckedFiles()
{
    Scan(*m_page);
    m_page->GetHeader()->SortByColumn(kColumnSize);
    m_page->GetHeader()->SortByColumn(kColumnSize); // descending
    CCheckBoxListCtrl *list = m_page->GetList();
    list->SetCheck(0, false); // the largest file
    list->SetCheck(3, false);
    const QSet<QByteArray> checked = CheckedPaths(*m_page);
    QVERIFY(!checked.contains(m_drive->path("docs/four.LOG")));
    AnswerModal<CMessageBoxDlg>(m_answers.get(), [](CMessageBoxDlg *box) { box->GetOkButton()->click(); });
    m_page->GetDeleteButton()->click();
    for (const QByteArray &path : ExpressPaths())
        QCOMPARE(Exists(path), !checked.contains(path));
    QCOMPARE(ListedPaths(*m_page), ExpressPaths() - checked);
    ExpectConsistentTotals(*m_page);
}

void TestResultsE2E::cancelHalfwayLeavesConsistentTotals()
{
    for (int i = 0; i < 40; ++i)
        QVERIFY(m_drive->makeFile("Temp/many/f" + QByteArray::number(i) + ".tmp", 100 + i));
    Scan(*m_page);
    const int rows = m_page->GetModel()->rowCount();
    QCOMPARE(rows, 47);
    m_page->GetList()->SetCheck(5, false);

    CEventPump::SetDefaultInterval(0);
    QTimer timer;
    timer.setInterval(0);
    int positionAtCancel = -1;
    connect(&timer, &QTimer::timeout, [&] {
        CActionProgressDlg *dlg = FindTopLevel<CActionProgressDlg>();
        if (dlg && dlg->GetProgress()->GetPos() >= 50 && positionAtCancel < 0) {
            positionAtCancel = dlg->GetProgress()->GetPos();
            dlg->GetCancelButton()->click();
        }
    });
    timer.start();
    AnswerModal<CMessageBoxDlg>(m_answers.get(), [](CMessageBoxDlg *box) { box->GetOkButton()->click(); });
    AnswerModal<CFailedFilesDlg>(m_answers.get(), [](CFailedFilesDlg *dlg) { dlg->accept(); });
    m_page->GetDeleteButton()->click();
    timer.stop();

    QVERIFY(positionAtCancel >= 50 && positionAtCancel < 100);
    const int remaining = m_page->GetModel()->rowCount();
    QVERIFY2(remaining > 1 && remaining < rows, qPrintable(QString::number(remaining)));
    ExpectConsistentTotals(*m_page);
    // Exactly the rows that left the list are gone from the disk.
    const QSet<QByteArray> listed = ListedPaths(*m_page);
    const CResultStore &store = m_page->GetModel()->GetStore();
    for (int item = 0; item < store.GetCount(); ++item)
        QCOMPARE(Exists(store.GetPath(item)), listed.contains(store.GetPath(item)));
    QVERIFY(m_page->isEnabled());
}

void TestResultsE2E::restartClearsAndNextScanStartsFresh()
{
    Scan(*m_page);
    const int rows = m_page->GetModel()->rowCount();
    m_scan->m_bSize = 1;
    m_page->OnRestart();
    QCOMPARE(m_page->GetModel()->rowCount(), 0);
    QCOMPARE(m_page->GetModel()->GetStore().GetCount(), 0);
    QCOMPARE(m_page->GetSelectedCount(), 0);
    QCOMPARE(m_scan->m_bSize, 0); // criteria back to their defaults
    QCOMPARE(m_scan->m_bExpress, 1);
    QVERIFY(m_page->isEnabled());

    m_scan->m_strDrive = QFile::decodeName(m_drive->root());
    Scan(*m_page);
    QCOMPARE(m_page->GetModel()->rowCount(), rows);
    QCOMPARE(m_page->GetModel()->GetStore().GetCount(), rows); // no entries of the first scan
    QCOMPARE(ListedPaths(*m_page), ExpressPaths());
    ExpectConsistentTotals(*m_page);
}

void TestResultsE2E::wizardRunsExpressToResultsAndRestarts()
{
    m_page.reset();
    CFileScan scan;
    CWizard sheet(LoadString(IDS_PRODUCT_NAME));
    CWizardApp::AddPages(sheet, &scan);
    auto *drives = qobject_cast<CDrivePage *>(sheet.GetPage(PAGE_DRIVE));
    auto *results = qobject_cast<CResultsPage *>(sheet.GetPage(PAGE_RESULTS));
    QVERIFY(drives && results);
    const QByteArray root = m_drive->root();
    drives->SetDriveSource([root] {
        FixedDrive drive;
        drive.mountPoint = root;
        drive.displayPath = QFile::decodeName(root);
        return QList<FixedDrive>{drive};
    });
    sheet.show();
    QTRY_COMPARE(sheet.GetActiveIndex(), int(PAGE_METHOD));
    sheet.GetNextButton().click();
    QCOMPARE(sheet.GetActiveIndex(), int(PAGE_DRIVE));
    sheet.GetNextButton().click();
    QCOMPARE(sheet.GetActiveIndex(), int(PAGE_RESULTS));
    QCOMPARE(sheet.GetNextButton().text(), LoadString(IDS_RESTART));
    QVERIFY(!sheet.isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(*results), 20000);
    QVERIFY(sheet.isEnabled());
    QCOMPARE(ListedPaths(*results), ExpressPaths());
    ExpectConsistentTotals(*results);
    QVERIFY(!sheet.GetBackButton().isEnabled());

    sheet.GetNextButton().click(); // Restart
    QCOMPARE(sheet.GetActiveIndex(), int(PAGE_METHOD));
    QCOMPARE(sheet.GetNextButton().text(), LoadString(IDS_NEXT));
    QCOMPARE(results->GetModel()->rowCount(), 0);
    QVERIFY(sheet.isEnabled());
}

QTEST_MAIN(TestResultsE2E)
#include "tst_results_e2e.moc"
