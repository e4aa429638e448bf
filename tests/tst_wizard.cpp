#include <QtTest>

#include "CStandInPage.h"
#include "ModalWatcher.h"
#include "app/CAboutDlg.h"
#include "wizard/CWizard.h"
#include "app/CWizardApp.h"
#include "controls/CCheckButton.h"
#include "controls/CFlatFrameCombo.h"
#include "controls/CRadioButton.h"
#include "criteria/CCriteriaPage.h"
#include "criteria/CDrivePage.h"
#include "core/CFileScan.h"
#include "criteria/CMethodPage.h"
#include "core/PageSequence.h"
#include "platform/CFixedDrives.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <memory>

namespace {

const char kMountInfo[] =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "23 22 0:21 / /proc rw,nosuid - proc proc rw\n"
    "30 22 8:2 / /home rw,relatime shared:2 - ext4 /dev/sda2 rw\n"
    "31 22 0:40 / /tmp rw - tmpfs tmpfs rw\n"
    "40 22 8:17 / /mnt/data rw - xfs /dev/sdb1 rw\n";

// The drives the mountinfo above describes, labelled as a test wants them.
QList<FixedDrive> injectedDrives()
{
    CFixedDrives::Probe probe;
    probe.isRemovable = [](const MountEntry &) { return false; };
    probe.isFolder = [](const QByteArray &) { return true; };
    probe.readLabel = [](const MountEntry &entry) {
        if (entry.source == "/dev/sda1")
            return QStringLiteral("SYSTEM");
        if (entry.source == "/dev/sdb1")
            return QStringLiteral("DATA");
        return QString();
    };
    return CFixedDrives::List(QByteArray(kMountInfo), probe);
}

// A sheet that records its caption menu instead of showing it.
class RecordingWizard : public CWizard
{
public:
    using CWizard::CWizard;
    QStringList menuTexts;
    int menusShown = 0;
    QList<QAction *> menuActions;
    bool triggerClose = false;

protected:
    void TrackCaptionMenu(QMenu &menu, const QPoint &) override
    {
        ++menusShown;
        menuTexts.clear();
        for (QAction *action : menu.actions())
            menuTexts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        if (triggerClose)
            menu.actions().last()->trigger();
        else
            menu.actions().first()->trigger();
    }
};

// The record, the sheet and its pages as the program builds them, with the
// drive list taken from `drives`.
struct Wizard
{
    explicit Wizard(QList<FixedDrive> drives = injectedDrives())
    {
        const std::vector<CWizardPage *> pages = CWizardApp::CreatePages(&scan);
        for (int nPage = 0; nPage < int(pages.size()); ++nPage) {
            CWizardPage *page = pages[nPage];
            if (auto *drivePage = qobject_cast<CDrivePage *>(page))
                drivePage->SetDriveSource([drives] { return drives; });
            // These tests are about navigation: the real results page would
            // scan the injected drive (the machine's own root), so a stand-in
            // takes its place. The scan has end-to-end tests of its own.
            if (nPage == PAGE_RESULTS) {
                delete page;
                page = new CStandInPage(PAGE_RESULTS, IDD_RESULTS_PAGE);
                page->SetScan(&scan);
            }
            sheet.AddPage(page);
        }
        sheet.show();
    }

    CMethodPage *method() const { return static_cast<CMethodPage *>(sheet.GetPage(PAGE_METHOD)); }
    CCriteriaPage *criteria() const { return static_cast<CCriteriaPage *>(sheet.GetPage(PAGE_CRITERIA)); }
    CDrivePage *drive() const { return static_cast<CDrivePage *>(sheet.GetPage(PAGE_DRIVE)); }
    int active() const { return sheet.GetActiveIndex(); }

    CFileScan scan;
    RecordingWizard sheet{LoadString(IDS_PRODUCT_NAME)};
};

void click(QWidget *widget)
{
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

CCheckButton *box(const Wizard &w, int page)
{
    CCriteriaPage *c = w.criteria();
    CCheckButton *const boxes[] = {c->GetLocationCheck(), c->GetNameCheck(),     c->GetExtensionCheck(), c->GetSizeCheck(),
                                   c->GetCreationCheck(), c->GetModifiedCheck(), c->GetAccessedCheck()};
    return boxes[page - PAGE_LOCATION];
}

// Method (Custom), Next, then the given boxes ticked on the criteria page.
void toCriteria(Wizard &w, QList<int> pages)
{
    click(w.method()->GetCustomButton());
    click(&w.sheet.GetNextButton());
    QCOMPARE(w.active(), int(PAGE_CRITERIA));
    for (int page : pages)
        click(box(w, page));
}

// A page whose data exchange refuses to store while `refuse` is set.
class RefusingPage : public CStandInPage
{
public:
    using CStandInPage::CStandInPage;
    bool refuse = false;
    int stores = 0;
    bool UpdateData(bool bSaveAndValidate) override
    {
        if (bSaveAndValidate)
            ++stores;
        return !(bSaveAndValidate && refuse);
    }
};

} // namespace

class TestWizard : public QObject
{
    Q_OBJECT

private slots:
    // Back on a page after Restart (or any jump made while the focus was on
    // the page left), the focus starts at the page's first control, not at
    // the one used last time.
    void reenteredPageStartsAtItsFirstControl()
    {
        Wizard w;
        w.sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.sheet));
        click(w.method()->GetCustomButton());
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_CRITERIA));
        QWidget *first = QApplication::focusWidget();
        QVERIFY(first && w.criteria()->isAncestorOf(first));
        box(w, PAGE_SIZE)->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), box(w, PAGE_SIZE));
        QVERIFY(w.sheet.SetActivePage(PAGE_METHOD));
        QVERIFY(w.method()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w.active(), int(PAGE_CRITERIA));
        QCOMPARE(QApplication::focusWidget(), first);
    }

    void startsOnMethodPage()
    {
        Wizard w;
        QCOMPARE(w.sheet.GetPageCount(), 11);
        QCOMPARE(w.active(), int(PAGE_METHOD));
        QVERIFY(!w.sheet.GetBackButton().isEnabled());
        QVERIFY(w.sheet.GetNextButton().isEnabled());
        QCOMPARE(w.method()->GetExpressButton()->GetCheck(), 1);
        QCOMPARE(w.method()->GetCustomButton()->GetCheck(), 0);
        QCOMPARE(w.sheet.GetNextButton().text(), LoadString(IDS_NEXT));
        QVERIFY(!(w.sheet.windowFlags() & Qt::WindowMaximizeButtonHint));
        // Pages are built when first shown.
        QVERIFY(!w.criteria()->IsInitialized());
    }

    void expressRunsMethodDriveResults()
    {
        Wizard w;
        w.scan.m_bSize = 1; // left over from an earlier Custom choice
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_DRIVE));
        QVERIFY(w.sheet.GetBackButton().isEnabled());
        click(&w.sheet.GetBackButton());
        QCOMPARE(w.active(), int(PAGE_METHOD));
        click(&w.sheet.GetNextButton());
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_RESULTS));
        QVERIFY(!w.sheet.GetBackButton().isEnabled());
        QVERIFY(!w.criteria()->IsInitialized());
    }

    void everyCriteriaCombination_data()
    {
        QTest::addColumn<int>("flags");
        for (int flags = 1; flags < 128; ++flags)
            QTest::addRow("flags %02x", flags) << flags;
    }

    // Next from the drive page visits exactly the ticked pages in index
    // order; Back from the last of them retraces the whole path.
    void everyCriteriaCombination()
    {
        QFETCH(int, flags);
        QList<int> ticked;
        for (int page = PAGE_LOCATION; page <= PAGE_ACCESSED; ++page) {
            if (flags & (1 << (page - PAGE_LOCATION)))
                ticked << page;
        }
        Wizard w;
        toCriteria(w, ticked);
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_DRIVE));

        QList<int> visited;
        while (w.active() != PAGE_RESULTS && visited.size() < 12) {
            QVERIFY(w.sheet.GetBackButton().isEnabled());
            click(&w.sheet.GetNextButton());
            visited << w.active();
        }
        QCOMPARE(visited, ticked + QList<int>{PAGE_RESULTS});
        QVERIFY(!w.sheet.GetBackButton().isEnabled());

        // Restart, and walk again up to the last criterion page.
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_METHOD));
        toCriteria(w, ticked);
        QList<int> path{PAGE_METHOD, PAGE_CRITERIA};
        while (w.active() != ticked.last()) {
            click(&w.sheet.GetNextButton());
            path << w.active();
        }
        QList<int> back;
        while (w.active() != PAGE_METHOD && back.size() < 12) {
            QVERIFY(w.sheet.GetBackButton().isEnabled());
            click(&w.sheet.GetBackButton());
            back.prepend(w.active());
        }
        path.removeLast();
        QCOMPARE(back, path);
        QVERIFY(!w.sheet.GetBackButton().isEnabled());
    }

    void nextFollowsTheTickedBoxes()
    {
        Wizard w;
        toCriteria(w, {PAGE_SIZE});
        QVERIFY(w.sheet.GetNextButton().isEnabled());
        // Unticking the last box disables Next at once; any box enables it.
        click(box(w, PAGE_SIZE));
        QVERIFY(!w.sheet.GetNextButton().isEnabled());
        // Neither the button nor Enter leads on now.
        click(&w.sheet.GetNextButton());
        QTest::keyClick(&w.sheet, Qt::Key_Return);
        QTest::keyClick(&w.sheet, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(w.active(), int(PAGE_CRITERIA));
        click(box(w, PAGE_NAME));
        QVERIFY(w.sheet.GetNextButton().isEnabled());
        // Back gives the method page an enabled Next even with no box ticked.
        click(box(w, PAGE_NAME));
        click(&w.sheet.GetBackButton());
        QCOMPARE(w.active(), int(PAGE_METHOD));
        QVERIFY(w.sheet.GetNextButton().isEnabled());
    }

    void backOnCriteriaForgetsChanges()
    {
        Wizard w;
        toCriteria(w, {PAGE_SIZE});
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.scan.m_bSize, 1);
        click(&w.sheet.GetBackButton());
        QCOMPARE(w.active(), int(PAGE_CRITERIA));
        click(box(w, PAGE_NAME));
        click(box(w, PAGE_SIZE));
        click(&w.sheet.GetBackButton());
        QCOMPARE(w.scan.m_bName, 0);
        QCOMPARE(w.scan.m_bSize, 1);
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_CRITERIA));
        QCOMPARE(box(w, PAGE_SIZE)->GetCheck(), 1);
        QCOMPARE(box(w, PAGE_NAME)->GetCheck(), 0);
        QVERIFY(w.sheet.GetNextButton().isEnabled());
    }

    // Going back to Express keeps the ticked criteria in the record, but
    // the drive page leads straight to the results.
    void expressAfterCustomKeepsFlags()
    {
        Wizard w;
        toCriteria(w, {PAGE_LOCATION, PAGE_ACCESSED});
        click(&w.sheet.GetNextButton());
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_LOCATION));
        click(&w.sheet.GetBackButton());
        click(&w.sheet.GetBackButton());
        click(&w.sheet.GetBackButton());
        QCOMPARE(w.active(), int(PAGE_METHOD));
        QCOMPARE(w.method()->GetCustomButton()->GetCheck(), 1);
        click(w.method()->GetExpressButton());
        QCOMPARE(w.method()->GetCustomButton()->GetCheck(), 0);
        click(&w.sheet.GetNextButton());
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_RESULTS));
        QCOMPARE(w.scan.m_bLocation, 1);
        QCOMPARE(w.scan.m_bAccessed, 1);
        QCOMPARE(w.scan.m_bExpress, 1);
    }

    void enterActsAsNextOnly()
    {
        Wizard w;
        w.sheet.GetCloseButton().setFocus();
        QTest::keyClick(&w.sheet, Qt::Key_Return);
        QCOMPARE(w.active(), int(PAGE_DRIVE));
        QVERIFY(w.sheet.isVisible());
        // Not while the sheet is busy (disabled).
        w.sheet.setEnabled(false);
        w.sheet.OnWizNext();
        QCOMPARE(w.active(), int(PAGE_DRIVE));
        w.sheet.setEnabled(true);
        QTest::keyClick(&w.sheet, Qt::Key_Escape);
        QVERIFY(w.sheet.isVisible());
        QCOMPARE(w.active(), int(PAGE_DRIVE));
    }

    void closeEndsTheSheet()
    {
        Wizard w;
        click(&w.sheet.GetCloseButton());
        QVERIFY(!w.sheet.isVisible());
        QCOMPARE(w.sheet.result(), int(QDialog::Rejected));
    }

    void captionMenuOnTheFrameOnly()
    {
        Wizard w;
        // The About entry opens the real About box through the application
        // object; the box is closed with OK as soon as it is up.
        CWizardApp::Options options;
        options.openLink = [](const QString &) { return 0; };
        CWizardApp app(options);
        app.ConnectSheet(w.sheet);
        int nAboutBoxes = 0;
        AnswerModal<CAboutDlg>(&w.sheet, [&nAboutBoxes](CAboutDlg *dlg) {
            ++nAboutBoxes;
            dlg->GetOkButton().click();
        });
        QSignalSpy about(&w.sheet, &CWizard::aboutRequested);
        const QPoint onPage = w.sheet.GetActivePage()->mapTo(&w.sheet, QPoint(5, 5));
        QVERIFY(!w.sheet.IsCaptionArea(onPage));
        QContextMenuEvent pageClick(QContextMenuEvent::Mouse, onPage, w.sheet.mapToGlobal(onPage));
        QApplication::sendEvent(&w.sheet, &pageClick);
        QCOMPARE(w.sheet.menusShown, 0);

        const QPoint onLogo = w.sheet.GetLogo().geometry().center();
        QVERIFY(w.sheet.IsCaptionArea(onLogo));
        QContextMenuEvent logoClick(QContextMenuEvent::Mouse, onLogo, w.sheet.mapToGlobal(onLogo));
        QApplication::sendEvent(&w.sheet, &logoClick);
        QCOMPARE(w.sheet.menusShown, 1);
        QCOMPARE(w.sheet.menuTexts,
                 QStringList({LoadString(IDS_ABOUT_MENU), QStringLiteral("-"), LoadString(IDS_CLOSE)}));
        QCOMPARE(about.count(), 1);
        QCOMPARE(nAboutBoxes, 1);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w.sheet.isVisible());

        w.sheet.triggerClose = true;
        QApplication::sendEvent(&w.sheet, &logoClick);
        QVERIFY(!w.sheet.isVisible());
    }

    void aboutBoxClosesWithEscapeAndThePageStays()
    {
        Wizard w;
        toCriteria(w, {});
        CWizardApp::Options options;
        options.openLink = [](const QString &) { return 0; };
        CWizardApp app(options);
        app.ConnectSheet(w.sheet);
        QString title;
        AnswerModal<CAboutDlg>(&w.sheet, [&title](CAboutDlg *dlg) {
            title = dlg->windowTitle();
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        const QPoint onLogo = w.sheet.GetLogo().geometry().center();
        QContextMenuEvent logoClick(QContextMenuEvent::Mouse, onLogo, w.sheet.mapToGlobal(onLogo));
        QApplication::sendEvent(&w.sheet, &logoClick);
        QCOMPARE(title, QStringLiteral("About Brimvale"));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w.sheet.isVisible());
        QCOMPARE(w.active(), int(PAGE_CRITERIA));
        QVERIFY(w.sheet.GetBackButton().isEnabled());
    }

    void maximiseIsUndone()
    {
        Wizard w;
        w.sheet.setWindowState(Qt::WindowMaximized);
        QVERIFY(!(w.sheet.windowState() & Qt::WindowMaximized));
    }

    // The frame around the button row is symmetric about the middle and
    // encloses every button.
    void buttonRowLayout()
    {
        Wizard w;
        const QRect frame = w.sheet.ButtonRowFrame();
        QCOMPARE(frame.left(), w.sheet.width() - frame.right() - 1);
        for (QWidget *button : {&w.sheet.GetBackButton(), &w.sheet.GetNextButton(), &w.sheet.GetCloseButton(), &w.sheet.GetHelpButton()})
            QVERIFY(frame.contains(button->geometry()));
        QCOMPARE(w.sheet.GetBackButton().geometry().right() + 1, w.sheet.GetNextButton().geometry().left());
        QVERIFY(w.sheet.GetCloseButton().geometry().left() > w.sheet.GetNextButton().geometry().right());
        QVERIFY(!w.sheet.GetLogo().pixmap().isNull());
        QCOMPARE(w.sheet.GetLogo().geometry().left(), w.sheet.width() - w.sheet.GetHelpButton().geometry().right() - 1);
    }

    void driveListFromMountInfo()
    {
        Wizard w;
        click(&w.sheet.GetNextButton());
        CFlatFrameCombo *combo = w.drive()->GetDriveCombo();
        QVERIFY(combo);
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i) {
            texts << combo->itemText(i);
            QCOMPARE(combo->GetItem(i)->m_nImage, 4);
            QCOMPARE(combo->GetItem(i)->m_nIndent, 1);
        }
        QCOMPARE(texts, QStringList({QStringLiteral("/ ( SYSTEM )"), QStringLiteral("/home (  )"),
                                     QStringLiteral("/mnt/data ( DATA )")}));
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(w.drive()->GetDriveImages().GetImageCount(), 9);

        combo->setCurrentIndex(1);
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_RESULTS));
        QCOMPARE(w.scan.m_nDrive, 1);
        QCOMPARE(w.scan.m_strDrive, QStringLiteral("/home"));

        // Restart resets the record; the list stays and shows the first entry.
        click(&w.sheet.GetNextButton());
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_DRIVE));
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), 0);
    }

    // Back from the drive page stores the chosen position but not the root.
    void driveBackStoresPositionOnly()
    {
        Wizard w;
        click(&w.sheet.GetNextButton());
        w.drive()->GetDriveCombo()->setCurrentIndex(2);
        click(&w.sheet.GetBackButton());
        QCOMPARE(w.scan.m_nDrive, 2);
        QCOMPARE(w.scan.m_strDrive, QStringLiteral("/"));
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.drive()->GetDriveCombo()->currentIndex(), 2);
    }

    void noDriveKeepsNextDisabled()
    {
        Wizard w{QList<FixedDrive>()};
        click(&w.sheet.GetNextButton());
        QCOMPARE(w.active(), int(PAGE_DRIVE));
        QCOMPARE(w.drive()->GetDriveCombo()->count(), 0);
        QVERIFY(!w.sheet.GetNextButton().isEnabled());
        QTest::keyClick(&w.sheet, Qt::Key_Return);
        w.drive()->OnNextButton();
        QCOMPARE(w.active(), int(PAGE_DRIVE));
        // The method page finds Next usable again.
        click(&w.sheet.GetBackButton());
        QCOMPARE(w.active(), int(PAGE_METHOD));
        QVERIFY(w.sheet.GetNextButton().isEnabled());
    }

    // A page that refuses to be left stays, and Back keeps the state of
    // the page that is still active.
    void refusedPageStays()
    {
        CFileScan scan;
        CWizard sheet(LoadString(IDS_PRODUCT_NAME));
        RefusingPage *refusing = nullptr;
        for (int page = 0; page < PAGE_COUNT; ++page) {
            CWizardPage *p = page == PAGE_SIZE ? (refusing = new RefusingPage(page, IDD_SIZE_PAGE))
                                               : new CStandInPage(page, IDD_NAME_PAGE);
            p->SetScan(&scan);
            sheet.AddPage(p);
        }
        sheet.show();
        QVERIFY(sheet.GetPage(PAGE_METHOD)->GoToPage(PAGE_SIZE));
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_SIZE));
        QVERIFY(sheet.GetBackButton().isEnabled());

        refusing->refuse = true;
        refusing->GoToPage(PAGE_RESULTS);
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_SIZE));
        QVERIFY(sheet.GetBackButton().isEnabled());
        refusing->GoToPage(PAGE_METHOD);
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_SIZE));
        QVERIFY(sheet.GetBackButton().isEnabled());

        refusing->refuse = false;
        refusing->GoToPage(PAGE_RESULTS);
        QCOMPARE(sheet.GetActiveIndex(), int(PAGE_RESULTS));
        QVERIFY(!sheet.GetBackButton().isEnabled());
        QCOMPARE(refusing->stores, 3);
    }
};

QTEST_MAIN(TestWizard)
#include "tst_wizard.moc"
