#include <QtTest>

#include "ModalWatcher.h"
#include "app/CAboutDlg.h"
#include "app/CHelpCommand.h"
#include "app/CWizardApp.h"
#include "controls/CMessageBoxDlg.h"
#include "core/CFileScan.h"
#include "core/CHelpFile.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "wizard/CWizard.h"

#include <QLabel>
#include <QTemporaryDir>

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE html><html><head><title>t</title></head><body></body></html>\n");
}

// What a run of the Help command showed: the text of its box (empty when
// none opened) and whether the box had the Ok button only.
struct HelpRun
{
    QString boxText;
    bool bOkOnly = false;
    bool bOpened = false;
};

HelpRun runHelp(const QStringList &folders, CHelpCommand::Opener opener, QWidget *owner = nullptr)
{
    HelpRun run;
    QObject guard;
    AnswerModal<CMessageBoxDlg>(&guard, [&run](CMessageBoxDlg *box) {
        run.boxText = box->GetTextStatic()->text();
        run.bOkOnly = box->GetOkButton()->isVisible() && !box->GetCancelButton()->isVisible();
        box->GetOkButton()->click();
    });
    run.bOpened = CHelpCommand(folders, std::move(opener)).Run(owner);
    return run;
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void aboutBoxShowsNameVersionAndLink()
    {
        QStringList opened;
        CAboutDlg dlg(nullptr, [&opened](const QString &address) {
            opened << address;
            return 42;
        });
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About Brimvale"));
        QStringList texts;
        for (QLabel *label : dlg.GetTextStatics())
            texts << label->text();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts.at(0), QStringLiteral("Brimvale  Version 1.21"));
        QVERIFY(!texts.at(1).isEmpty());
        QCOMPARE(texts.at(2), QStringLiteral("Visit our web site :"));
        // The template's places are small: no text may be clipped.
        for (QLabel *label : dlg.GetTextStatics())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
        QCOMPARE(dlg.GetOkButton().text(), QStringLiteral("&OK"));
        QVERIFY(dlg.GetOkButton().isDefault());

        // Our own address, on a domain kept for examples.
        CLinkStatic &link = dlg.GetLink();
        QCOMPARE(link.GetURL(), QStringLiteral("https://brimvale.example.org/"));
        QCOMPARE(link.text(), link.GetURL());
        QCOMPARE(link.toolTip(), link.GetURL());
        // Fitted to its text, the link still lies inside the box, on the
        // line of its label and clear of the OK button.
        QVERIFY(dlg.rect().contains(link.geometry()));
        QVERIFY(!link.geometry().intersects(dlg.GetOkButton().geometry()));
        QVERIFY(link.geometry().left() > dlg.GetTextStatics().at(2)->geometry().left());

        QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(opened, QStringList{link.GetURL()});
        QVERIFY(link.IsVisited());
    }

    void okAndEscapeClose()
    {
        {
            CAboutDlg dlg(nullptr, [](const QString &) { return 0; });
            QTimer::singleShot(0, &dlg, [&dlg] { dlg.GetOkButton().click(); });
            QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        }
        {
            CAboutDlg dlg(nullptr, [](const QString &) { return 0; });
            QTimer::singleShot(0, &dlg, [&dlg] { QTest::keyClick(&dlg, Qt::Key_Escape); });
            QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        }
    }

    void helpFolderOrder()
    {
        QCOMPARE(CHelpFile::SearchFolders(QStringLiteral("/home/u/work/"), QStringLiteral("/opt/bv/bin")),
                 QStringList({"/home/u/work", "/opt/bv/bin", "/opt/bv/lib/brimvale"}));
        // Started from its own folder: looked at once.
        QCOMPARE(CHelpFile::SearchFolders(QStringLiteral("/opt/bv/bin"), QStringLiteral("/opt/bv/bin")),
                 QStringList({"/opt/bv/bin", "/opt/bv/lib/brimvale"}));
    }

    void helpOpensTheFirstGuideFound()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString current = dir.filePath("work");
        const QString program = dir.filePath("prefix/bin");
        const QStringList folders = CHelpFile::SearchFolders(current, program);
        QDir().mkpath(current);
        QDir().mkpath(program);

        QStringList opened;
        const auto opener = [&opened](const QString &path) {
            opened << path;
            return true;
        };
        touch(dir.filePath("prefix/lib/brimvale/BVHelp.html"));
        HelpRun run = runHelp(folders, opener);
        QVERIFY(run.bOpened);
        QCOMPARE(run.boxText, QString());
        QCOMPARE(opened, QStringList{dir.filePath("prefix/lib/brimvale/BVHelp.html")});

        touch(dir.filePath("prefix/bin/BVHelp.html"));
        runHelp(folders, opener);
        QCOMPARE(opened.last(), dir.filePath("prefix/bin/BVHelp.html"));

        // A folder of that name in the current folder is passed over; a file wins.
        QDir().mkpath(dir.filePath("work/BVHelp.html"));
        runHelp(folders, opener);
        QCOMPARE(opened.last(), dir.filePath("prefix/bin/BVHelp.html"));
        QDir(dir.filePath("work/BVHelp.html")).removeRecursively();
        touch(dir.filePath("work/BVHelp.html"));
        runHelp(folders, opener);
        QCOMPARE(opened.last(), dir.filePath("work/BVHelp.html"));
        QVERIFY(QFileInfo(opened.last()).isAbsolute());
    }

    void missingOrUnopenableHelpSaysSo()
    {
        const QString expected = QStringLiteral(
            "Error while trying to strart the help file .\nThe file \"BVHelp.html\"  is missing or is corrupt, \n"
            "or your system doesn't support HTML help.");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        int nCalls = 0;
        HelpRun run = runHelp({dir.path()}, [&nCalls](const QString &) {
            ++nCalls;
            return true;
        });
        QVERIFY(!run.bOpened);
        QCOMPARE(nCalls, 0);
        QCOMPARE(run.boxText, expected);
        QVERIFY(run.bOkOnly);

        // Found, but the desktop will not show it.
        touch(dir.filePath("BVHelp.html"));
        run = runHelp({dir.path()}, [&nCalls](const QString &) {
            ++nCalls;
            return false;
        });
        QVERIFY(!run.bOpened);
        QCOMPARE(nCalls, 1);
        QCOMPARE(run.boxText, expected);
    }

    // The Help button of the sheet, through the application object.
    void helpButtonOfTheSheet()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStringList opened;
        CWizardApp::Options options;
        options.bShowSplash = false;
        options.nSplashDelay = 0;
        options.helpFolders = {dir.path()};
        options.openHelp = [&opened](const QString &path) {
            opened << path;
            return true;
        };
        CWizardApp app(options);
        CFileScan scan;
        CWizard sheet(LoadString(IDS_PRODUCT_NAME));
        CWizardApp::AddPages(sheet, &scan);
        app.ConnectSheet(sheet);
        sheet.show();
        const int nPage = sheet.GetActiveIndex();

        QString boxText;
        QWidget *boxParent = nullptr;
        AnswerModal<CMessageBoxDlg>(&sheet, [&](CMessageBoxDlg *box) {
            boxText = box->GetTextStatic()->text();
            boxParent = box->parentWidget();
            box->accept();
        });
        sheet.GetHelpButton().click();
        QCOMPARE(boxText, CHelpCommand::ErrorText());
        QCOMPARE(boxParent, &sheet);
        QVERIFY(opened.isEmpty());
        QCOMPARE(sheet.GetActiveIndex(), nPage);
        QVERIFY(sheet.isVisible());

        touch(dir.filePath("BVHelp.html"));
        sheet.GetHelpButton().click();
        QCOMPARE(opened, QStringList{dir.filePath("BVHelp.html")});
        QCOMPARE(sheet.GetActiveIndex(), nPage);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
