#include <QtTest>

#include "ClipAudit.h"
#include "PseudoTranslator.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"
#include "app/CAboutDlg.h"
#include "app/CWizardApp.h"
#include "controls/CActionProgressDlg.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CMessageBoxDlg.h"
#include "controls/CRestartProgressDlg.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/CTranslationLoader.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CReasonsDlg.h"
#include "results/CResultsPage.h"
#include "results/CSelectFolderDlg.h"
#include "scan/CScanDlg.h"
#include "wizard/CWizard.h"

#include <QRegularExpression>

namespace {

const QStringList kTranslationFolders{QStringLiteral(BV_TRANSLATIONS_DIR)};

QStringList Placeholders(const QString &text)
{
    static const QRegularExpression kPlaceholder(QStringLiteral("%(lx|s|d|x)"));
    QStringList found;
    auto matches = kPlaceholder.globalMatch(text);
    while (matches.hasNext())
        found << matches.next().captured(0);
    return found;
}

// Removes every translator the test installed, so English comes back.
void RemoveTranslators()
{
    for (QTranslator *translator : qApp->findChildren<QTranslator *>())
        QCoreApplication::removeTranslator(translator);
    qDeleteAll(qApp->findChildren<QTranslator *>());
}

QStringList ClippedOn(QWidget *window, const QString &where)
{
    QStringList found;
    for (const QString &clipped : ClippedTexts(window))
        found << where + QStringLiteral(": ") + clipped;
    return found;
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { RemoveTranslators(); }

    void englishNeedsNoFileAndStaysWordForWord();
    void germanIsCompleteAndKeepsPlaceholdersAndMnemonics();
    void pseudoTextsAreLongerAndAccented();
    void everyPageAndDialogShowsWholeTexts_data();
    void everyPageAndDialogShowsWholeTexts();
    void totalsLineWidensItsPageOrEndsInAnEllipsis_data();
    void totalsLineWidensItsPageOrEndsInAnEllipsis();
};

void TestTranslation::englishNeedsNoFileAndStaysWordForWord()
{
    QCOMPARE(CTranslationLoader::Install(QLocale(QLocale::English, QLocale::UnitedStates), kTranslationFolders),
             QString());
    QCOMPARE(LoadString(IDS_NEXT), QStringLiteral("&Next"));
    QCOMPARE(LoadString(IDS_SELECTION_FORMAT), QStringLiteral("Selected : %s in %d files"));
    // A template's text is read when the control is made, not when the
    // templates were first read.
    const DialogControlTemplate *title = FindDialogTemplate(IDD_RESULTS_PAGE)->control(IDC_RESULTS_TITLE);
    QCOMPARE(title->Text(), QStringLiteral("    Results "));
    PseudoTranslator pseudo;
    QCoreApplication::installTranslator(&pseudo);
    QCOMPARE(title->Text(), PseudoTranslator::Pseudo(QStringLiteral("    Results ")));
    // The command line's texts stay English whatever is installed.
    QCOMPARE(LoadString(IDS_CLI_NO_COMMAND), QStringLiteral("no command given"));
    QCoreApplication::removeTranslator(&pseudo);
}

void TestTranslation::germanIsCompleteAndKeepsPlaceholdersAndMnemonics()
{
    QHash<int, QString> english;
    for (int id : TranslatedStringIds())
        english.insert(id, LoadString(id));
    const QString file = CTranslationLoader::Install(QLocale(QLocale::German, QLocale::Austria), kTranslationFolders);
    QVERIFY2(file.endsWith(QStringLiteral("brimvale_de.qm")), qPrintable(file));

    // Texts that read the same in German: names, formats, addresses.
    const QSet<int> same{IDS_PRODUCT_NAME, IDS_EXPRESS, IDS_NAME_COLUMN, IDS_DATE_FORMAT, IDS_ZIP_EXTENSION,
                         IDS_DETAILS_MORE, IDS_DETAILS_LESS, IDS_KB, IDS_ABOUT_VERSION, IDS_WEB_ADDRESS,
                         IDS_PROTECTED_REASON_COUNT, IDS_CRITERION_NAME, IDS_ABOUT_OK};
    QStringList untranslated;
    QStringList faults;
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        const QString german = LoadString(it.key());
        if (german == it.value() && !same.contains(it.key()))
            untranslated << QStringLiteral("%1 \"%2\"").arg(it.key()).arg(it.value());
        if (Placeholders(german) != Placeholders(it.value()))
            faults << QStringLiteral("%1 placeholders: \"%2\"").arg(it.key()).arg(german);
        if (german.count(QLatin1Char('&')) != it.value().count(QLatin1Char('&')))
            faults << QStringLiteral("%1 mnemonic: \"%2\"").arg(it.key()).arg(german);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    // A text added or reworded since the translation was last brought up to
    // date would show in English: cmake --build build --target
    // brimvale_lupdate, then translate it in res/translations/brimvale_de.ts.
    QVERIFY2(untranslated.isEmpty(),
             qPrintable(QStringLiteral("Not yet translated:\n") + untranslated.join(QLatin1Char('\n'))));
    QCOMPARE(LoadString(IDS_NEXT), QStringLiteral("&Weiter"));
}

void TestTranslation::pseudoTextsAreLongerAndAccented()
{
    const struct
    {
        const char *english;
        const char *pseudo;
    } rows[] = {
        {"&Next", "&Ñéxtéé"},
        {"Selected : %s in %d files", nullptr},
        {"%x", "%x"},
        {"https://brimvale.example.org/", "https://brimvale.example.org/"},
        {"Can't create the path \"%s\".\nPlease try another path.", nullptr},
    };
    for (const auto &row : rows) {
        const QString english = QString::fromUtf8(row.english);
        const QString pseudo = PseudoTranslator::Pseudo(english);
        if (row.pseudo) {
            QCOMPARE(pseudo, QString::fromUtf8(row.pseudo));
            continue;
        }
        QVERIFY2(pseudo.size() * 5 >= english.size() * 7, qPrintable(pseudo));
        QCOMPARE(Placeholders(pseudo), Placeholders(english));
        QCOMPARE(pseudo.count(QLatin1Char('\n')), english.count(QLatin1Char('\n')));
        QVERIFY(pseudo.contains(QChar(0x00E9)));
    }
}

void TestTranslation::everyPageAndDialogShowsWholeTexts_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("pseudo") << QStringLiteral("pseudo");
    QTest::newRow("German") << QStringLiteral("de");
    QTest::newRow("English") << QStringLiteral("en");
}

void TestTranslation::everyPageAndDialogShowsWholeTexts()
{
    QFETCH(QString, language);
    if (language == QLatin1String("pseudo"))
        QCoreApplication::installTranslator(new PseudoTranslator(qApp));
    else if (language == QLatin1String("de"))
        QVERIFY(!CTranslationLoader::Install(QLocale(QLocale::German), kTranslationFolders).isEmpty());

    QStringList clipped;
    {
        CFileScan scan;
        CWizard sheet(LoadString(IDS_PRODUCT_NAME), nullptr, PAGE_METHOD);
        CWizardApp::AddPages(sheet, &scan);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        for (int nPage = PAGE_METHOD; nPage < PAGE_RESULTS; ++nPage) {
            QVERIFY(sheet.SetActivePage(nPage));
            clipped << ClippedOn(&sheet, QStringLiteral("page %1").arg(nPage));
        }
    }
    TempDrive drive;
    QVERIFY(drive.makeFile("a.tmp", 10));
    CFileScan scan;
    auto page = ShowResultsPage(scan, drive.root());
    QVERIFY(ScanToEnd(*page));
    {
        // The totals line is laid out as its figures change: a longer
        // language widens the page.
        const QStringList totals = ClippedOn(page.get(), QStringLiteral("results"));
        QVERIFY2(totals.isEmpty(), qPrintable(totals.join(QLatin1Char('\n'))));
    }

    CAboutDlg about(nullptr, [](const QString &) { return 33; });
    CFailedFilesDlg failed;
    failed.SetMessage(LoadString(IDS_DELETE_FAILED));
    failed.SetFailedPaths({drive.path("a.tmp")});
    CScanDlg scanDlg;
    CActionProgressDlg action;
    CRestartProgressDlg restart;
    CSelectFolderDlg select(nullptr, {{drive.root(), "drive", CShellTree::Root::Drive}});
    CReasonsDlg reasons(*page->GetModel());
    const QList<QPair<QDialog *, const char *>> dialogs{
        {&about, "About"}, {&failed, "failed files"},      {&scanDlg, "scan"},          {&action, "action"},
        {&restart, "restart"}, {&select, "Select Folder"}, {&reasons, "Reasons"},
    };
    for (const auto &[dialog, name] : dialogs) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        clipped << ClippedOn(dialog, QString::fromLatin1(name));
        dialog->hide();
    }
    action.Create(nullptr, LoadString(IDS_DELETING));
    clipped << ClippedOn(&action, QStringLiteral("action with its text"));
    action.hide();
    for (int style : {CMessageBoxDlg::StyleOk, CMessageBoxDlg::StyleOkCancel, CMessageBoxDlg::StyleYesNo}) {
        CMessageBoxDlg message(nullptr, style);
        message.SetText(LoadString(IDS_CONFIRM_DELETE));
        message.show();
        QVERIFY(QTest::qWaitForWindowExposed(&message));
        clipped << ClippedOn(&message, QStringLiteral("message box %1").arg(style));
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
}

void TestTranslation::totalsLineWidensItsPageOrEndsInAnEllipsis_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("page alone") << QStringLiteral("alone");
    QTest::newRow("page in the sheet") << QStringLiteral("sheet");
    QTest::newRow("page kept narrow") << QStringLiteral("narrow");
}

void TestTranslation::totalsLineWidensItsPageOrEndsInAnEllipsis()
{
    QFETCH(QString, where);
    // Texts 40 % longer than English: the selection, its forecast and the
    // free space no longer fit the page's width side by side.
    QCoreApplication::installTranslator(new PseudoTranslator(qApp));
    TempDrive drive;
    QVERIFY(drive.makeFile("a.tmp", 10));
    CFileScan scan;
    std::unique_ptr<CWizard> sheet;
    std::unique_ptr<CResultsPage> alone;
    CResultsPage *page = nullptr;
    int templateWidth = 0;
    if (where == QLatin1String("sheet")) {
        scan.m_strDrive = QFile::decodeName(drive.root());
        sheet = std::make_unique<CWizard>(LoadString(IDS_PRODUCT_NAME), nullptr, PAGE_METHOD);
        CWizardApp::AddPages(*sheet, &scan);
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));
        QVERIFY(sheet->SetActivePage(PAGE_RESULTS));
        page = qobject_cast<CResultsPage *>(sheet->GetPage(PAGE_RESULTS));
        QVERIFY(page);
        QVERIFY(QTest::qWaitFor([page] { return ScanEnded(*page); }, 20000));
    } else {
        alone = ShowResultsPage(scan, drive.root());
        page = alone.get();
        templateWidth = page->width();
        if (where == QLatin1String("narrow"))
            page->setMaximumWidth(templateWidth);
        QVERIFY(ScanToEnd(*page));
    }
    auto *freeSpace = page->GetDlgItemAs<QLabel>(IDC_FREE_SPACE_TEXT);
    QVERIFY(freeSpace);
    const QString whole = freeSpace->toolTip();
    QVERIFY(!whole.isEmpty());
    if (where == QLatin1String("narrow")) {
        // No wider than it may be: the end gives way to an ellipsis, and
        // the whole text is in the tooltip.
        QCOMPARE(page->width(), templateWidth);
        QVERIFY2(freeSpace->text().endsWith(QChar(0x2026)), qPrintable(freeSpace->text()));
        QVERIFY(whole.startsWith(freeSpace->text().chopped(1)));
    } else {
        // The page grew as wide as the line, and whatever holds it with it.
        QCOMPARE(freeSpace->text(), whole);
        if (sheet)
            QTRY_VERIFY(page->parentWidget()->rect().contains(page->geometry()));
    }
    QCOMPARE(ClippedOn(page, where), QStringList());
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
