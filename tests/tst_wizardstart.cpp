#include <QtTest>

#include "app/CSplashWnd.h"
#include "wizard/CWizard.h"
#include "app/CWizardApp.h"
#include "wizard/CWizardPage.h"
#include "criteria/CDrivePage.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/Bitmaps.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QPointer>

class TestWizardStart : public QObject
{
    Q_OBJECT

private slots:
    void splashShowsItsPicture()
    {
        QPointer<CSplashWnd> splash = new CSplashWnd(IDB_SPLASH, 60000);
        QVERIFY(splash->ShowSplash());
        QVERIFY(splash->isVisible());
        QCOMPARE(splash->size(), QSize(375, 250));
        const Qt::WindowFlags flags = splash->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::SplashScreen);
        QCOMPARE(splash->grab().toImage().pixelColor(187, 20), LoadBitmap(IDB_SPLASH).toImage().pixelColor(187, 20));

        // Another timer's tick leaves it alone.
        QTimerEvent other(splash->TimerId() + 1000);
        QApplication::sendEvent(splash, &other);
        QCoreApplication::processEvents();
        QVERIFY(splash);
        QVERIFY(splash->isVisible());

        QTest::mouseClick(splash, Qt::LeftButton);
        QVERIFY(!splash->isVisible());
        QTRY_VERIFY(splash.isNull());
    }

    void splashGoesOnKeyAndTimer()
    {
        QPointer<CSplashWnd> byKey = new CSplashWnd(IDB_SPLASH, 60000);
        QVERIFY(byKey->ShowSplash());
        // The splash never takes the focus; a key pressed on its window goes
        // through the platform to whatever that window hands keys to.
        QVERIFY(!byKey->hasFocus());
        QVERIFY(byKey->windowHandle());
        QTest::keyClick(byKey->windowHandle(), Qt::Key_Space);
        QTRY_VERIFY(byKey.isNull());

        QPointer<CSplashWnd> byTimer = new CSplashWnd(IDB_SPLASH, 1);
        QVERIFY(byTimer->ShowSplash());
        QTRY_VERIFY(byTimer.isNull());
    }

    void splashWithoutPictureShowsNothing()
    {
        auto *splash = new CSplashWnd(99999, 10);
        QVERIFY(!splash->ShowSplash());
        QVERIFY(!splash->isVisible());
        delete splash;
    }

    // The program builds eleven pages in their fixed order, all sharing one
    // record, runs the sheet and returns false.
    void startUpBuildsTheSheet()
    {
        CWizardApp::Options options;
        options.nSplashDelay = 0;
        options.bShowSplash = false;
        QList<int> templates;
        QSet<CFileScan *> records;
        QString caption;
        int startPage = -1;
        options.runSheet = [&](CWizard &sheet) {
            for (int i = 0; i < sheet.GetPageCount(); ++i) {
                templates << sheet.GetPage(i)->TemplateId();
                records << sheet.GetPage(i)->GetScan();
            }
            qobject_cast<CDrivePage *>(sheet.GetPage(PAGE_DRIVE))->SetDriveSource([] { return QList<FixedDrive>(); });
            caption = sheet.windowTitle();
            sheet.show();
            startPage = sheet.GetActiveIndex();
        };
        CWizardApp app(options);
        QVERIFY(!app.InitInstance());
        QCOMPARE(templates, QList<int>({IDD_METHOD_PAGE, IDD_CRITERIA_PAGE, IDD_DRIVE_PAGE, IDD_LOCATION_PAGE,
                                        IDD_NAME_PAGE, IDD_EXTENSION_PAGE, IDD_SIZE_PAGE, IDD_CREATION_TIME_PAGE,
                                        IDD_MODIFIED_TIME_PAGE, IDD_ACCESSED_TIME_PAGE, IDD_RESULTS_PAGE}));
        QCOMPARE(records.size(), 1);
        QVERIFY(!records.contains(nullptr));
        QCOMPARE(caption, LoadString(IDS_PRODUCT_NAME));
        QCOMPARE(startPage, int(PAGE_METHOD));
    }

    // Every picture exists at the size the pages lay out for, at both scales.
    void picturesHaveTheirSizes()
    {
        const struct { int id; QSize size; } pictures[] = {
            {IDB_LOGO, {119, 25}},     {IDB_PAGE_PICTURE, {155, 292}},   {IDB_DRIVES, {162, 18}},
            {IDB_SPLASH, {375, 250}}, {IDB_RESULTS_PICTURE, {95, 83}}, {IDI_PROGRAM, {32, 32}},
        };
        for (const auto &picture : pictures) {
            const QPixmap normal = LoadBitmapAtScale1(picture.id);
            QCOMPARE(normal.size(), picture.size);
            const QString path = BitmapPath(picture.id);
            const QString large = picture.id == IDI_PROGRAM ? QStringLiteral(":/images/icon-64.png")
                                                            : QString(path).replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
            QCOMPARE(QPixmap(large).size(), picture.size * 2);
        }
        // White stands for transparent in the drive images, and image 4 is
        // not empty.
        const QImage drives(BitmapPath(IDB_DRIVES));
        QCOMPARE(drives.pixel(0, 0), qRgba(255, 255, 255, 0));
        int painted = 0;
        for (int y = 0; y < 18; ++y) {
            for (int x = 4 * 18; x < 5 * 18; ++x)
                painted += qAlpha(drives.pixel(x, y)) > 0 ? 1 : 0;
        }
        QVERIFY(painted > 60);
        QVERIFY(!LoadProgramIcon().isNull());
    }

    // Writes the first three pages to PNG files when BV_SCREENSHOT_DIR names
    // a folder, for looking at the layout.
    void screenshots()
    {
        const QString folder = qEnvironmentVariable("BV_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("set BV_SCREENSHOT_DIR to write screenshots");
        CFileScan scan;
        CWizard sheet(LoadString(IDS_PRODUCT_NAME));
        CWizardApp::AddPages(sheet, &scan);
        FixedDrive root;
        root.mountPoint = "/";
        root.displayPath = QStringLiteral("/");
        root.label = QStringLiteral("SYSTEM");
        FixedDrive home = root;
        home.mountPoint = "/home";
        home.displayPath = QStringLiteral("/home");
        home.label.clear();
        qobject_cast<CDrivePage *>(sheet.GetPage(PAGE_DRIVE))->SetDriveSource([=] { return QList<FixedDrive>{root, home}; });
        scan.m_bExpress = 0;
        scan.m_bSize = 1;
        scan.m_bName = 1;
        sheet.show();
        QVERIFY(sheet.grab().save(folder + QStringLiteral("/method.png")));
        sheet.GetActivePage()->GoToPage(PAGE_CRITERIA);
        QVERIFY(sheet.grab().save(folder + QStringLiteral("/criteria.png")));
        sheet.GetActivePage()->GoToPage(PAGE_DRIVE);
        QVERIFY(sheet.grab().save(folder + QStringLiteral("/drive.png")));
    }
};

QTEST_MAIN(TestWizardStart)
#include "tst_wizardstart.moc"
