// A whole Custom run through the real pages: every one of the seven criteria
// is set with the keyboard and the mouse, and the results page must list
// exactly the files of a generated drive that meet all of them.
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"

#include "wizard/CWizard.h"
#include "app/CWizardApp.h"
#include "controls/CCheckButton.h"
#include "controls/CFlatFrameCombo.h"
#include "controls/CFlatFrameDatePicker.h"
#include "controls/CRadioButton.h"
#include "criteria/CCriteriaPage.h"
#include "criteria/CDrivePage.h"
#include "core/CFileScan.h"
#include "criteria/CMethodPage.h"
#include "criteria/CPatternPage.h"
#include "criteria/CSizePage.h"
#include "criteria/CTimePage.h"
#include "core/PageSequence.h"
#include "platform/CFixedDrives.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "core/CResultsModel.h"
#include "results/CResultsPage.h"

#include <QLineEdit>
#include <QSet>
#include <QTreeWidget>
#include <QtTest>
#include <ctime>

namespace {

constexpr std::time_t kDay = 24 * 60 * 60;

struct DriveFile
{
    QByteArray path;
    std::int64_t size;
    std::time_t modifiedAgo; // days
    std::time_t accessedAgo; // days
    bool listed;
};

// The criteria the test sets: folder "stash" anywhere on the path, names
// "keep*", extensions "log" and "t?p", 1 to 10 KB, created within the last
// year, modified between a year ago and today, last read a year ago or before.
const QList<DriveFile> kFiles = {
    {"stash/keep1.log", 5000, 180, 730, true},
    {"stash/sub/keep2.tmp", 2000, 180, 730, true},
    {"stash/keep3.top", 1000, 180, 730, true},
    {"stash/keep4.log", 10000, 180, 730, true},
    {"stash/keep5.txt", 5000, 180, 730, false},   // extension
    {"stash/keep.a.log", 5000, 180, 730, false},  // extension is a.log
    {"stash/drop.log", 5000, 180, 730, false},    // name
    {"other/keep6.log", 5000, 180, 730, false},   // location
    {"stashes/keep7.log", 5000, 180, 730, false}, // location
    {"stash/keep8.log", 999, 180, 730, false},    // size
    {"stash/keep9.log", 10001, 180, 730, false},  // size
    {"stash/keep10.log", 5000, 730, 730, false},  // modified (and created) too long ago
    {"stash/keep11.log", 5000, 180, 0, false},    // read today
};

void Click(QWidget *widget)
{
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

// Replaces the whole list of a pattern page with `patterns`, by the keys.
void TypePatterns(CPatternPage *page, const QStringList &patterns)
{
    QTreeWidget *list = page->GetEntryList();
    while (list->topLevelItemCount() > 0)
        QTest::keyClick(list, Qt::Key_Delete);
    for (const QString &pattern : patterns) {
        QTest::keyClick(list, Qt::Key_Insert);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, pattern);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(QApplication::focusWidget() == list);
    }
}

void TypeNumber(QLineEdit *edit, const QString &number)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, number);
}

} // namespace

class TestCustomRun : public QObject
{
    Q_OBJECT

private slots:
    void allSevenCriteriaListExactlyTheMatchingFiles()
    {
        TempDrive drive;
        QVERIFY(drive.isValid());
        const std::time_t now = std::time(nullptr);
        QSet<QByteArray> expected;
        for (const DriveFile &file : kFiles) {
            QVERIFY(drive.makeFile(file.path, file.size));
            QVERIFY(drive.setTimes(file.path, now - file.modifiedAgo * kDay, now - file.accessedAgo * kDay));
            if (file.listed)
                expected.insert(drive.path(file.path));
        }

        CFileScan scan;
        CWizard sheet(LoadString(IDS_PRODUCT_NAME));
        CWizardApp::AddPages(sheet, &scan);
        const QByteArray root = drive.root();
        qobject_cast<CDrivePage *>(sheet.GetPage(PAGE_DRIVE))->SetDriveSource([root] {
            FixedDrive fixed;
            fixed.mountPoint = root;
            fixed.displayPath = QFile::decodeName(root);
            return QList<FixedDrive>{fixed};
        });
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        const auto page = [&sheet](int nPage) { return sheet.GetPage(nPage); };
        const auto next = [&sheet] { Click(&sheet.GetNextButton()); };

        Click(qobject_cast<CMethodPage *>(page(PAGE_METHOD))->GetCustomButton());
        next();
        auto *criteria = qobject_cast<CCriteriaPage *>(page(PAGE_CRITERIA));
        for (CCheckButton *box : {criteria->GetLocationCheck(), criteria->GetNameCheck(), criteria->GetExtensionCheck(),
                                  criteria->GetSizeCheck(), criteria->GetCreationCheck(), criteria->GetModifiedCheck(),
                                  criteria->GetAccessedCheck()})
            Click(box);
        next();
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_DRIVE));
        next();

        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_LOCATION));
        TypePatterns(qobject_cast<CPatternPage *>(page(PAGE_LOCATION)), {"stash"});
        next();
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_NAME));
        TypePatterns(qobject_cast<CPatternPage *>(page(PAGE_NAME)), {"keep*"});
        next();
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_EXTENSION));
        TypePatterns(qobject_cast<CPatternPage *>(page(PAGE_EXTENSION)), {"log", "t?p"});
        next();

        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_SIZE));
        auto *size = qobject_cast<CSizePage *>(page(PAGE_SIZE));
        QTest::keyClick(size->GetModeCombo(), Qt::Key_Up); // Larger than -> Between
        QVERIFY(size->GetToEdit()->isVisible());
        TypeNumber(size->GetFromEdit(), QStringLiteral("1"));
        TypeNumber(size->GetToEdit(), QStringLiteral("10"));
        next();

        // Creation: more recent than a year ago.
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_CREATION));
        auto *creation = qobject_cast<CTimePage *>(page(PAGE_CREATION));
        QTest::keyClick(creation->GetModeCombo(), Qt::Key_Down);
        QTest::keyClick(creation->GetModeCombo(), Qt::Key_Down);
        next();
        // Modified: between a year ago and the end of today.
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_MODIFIED));
        auto *modified = qobject_cast<CTimePage *>(page(PAGE_MODIFIED));
        QTest::keyClick(modified->GetModeCombo(), Qt::Key_Down);
        QVERIFY(modified->GetToPicker()->isVisible());
        next();
        // Accessed: older than a year ago (the default).
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_ACCESSED));
        next();

        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_RESULTS));
        auto *results = qobject_cast<CResultsPage *>(page(PAGE_RESULTS));
        QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(*results), 20000);

        // What the pages stored.
        QCOMPARE(scan.m_bExpress, 0);
        QCOMPARE(scan.m_arrLocations, QStringList{"stash"});
        QCOMPARE(scan.m_arrNames, QStringList{"keep*"});
        QCOMPARE(scan.m_arrExtensions, (QStringList{"log", "t?p"}));
        QCOMPARE(scan.m_nSizeMode, 1);
        QCOMPARE(scan.m_nSizeFrom, 1L);
        QCOMPARE(scan.m_nSizeTo, 10L);
        QCOMPARE(scan.m_nCreationMode, 2);
        QCOMPARE(scan.m_nModifiedMode, 1);
        QCOMPARE(scan.m_nAccessedMode, 0);

        QSet<QByteArray> listed;
        const CResultsModel &model = *results->GetModel();
        for (int row = 0; row < model.rowCount(); ++row)
            listed.insert(model.GetStore().GetPath(model.GetItem(row)));
        QCOMPARE(listed, expected);
    }
};

QTEST_MAIN(TestCustomRun)
#include "tst_customrun.moc"
