// Shows every page of the wizard and the program's dialogs as the user would
// see them, in a chosen language and palette, and grabs each into a PNG, to
// look at: bench/screenshots.sh runs it under Xvfb at several screen scales.
//   bench_pages --out DIR [--lang de|en] [--dark]
// The results page lists a few files of a temporary folder, not a real drive.
// It prints each file it wrote.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "app/CAboutDlg.h"
#include "app/CWizardApp.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CCheckButton.h"
#include "controls/CEllipsisStatic.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CMessageBoxDlg.h"
#include "controls/CSortArrowHeader.h"
#include "ClassicPalette.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "core/ResultColumns.h"
#include "res/CTranslationLoader.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CResultsPage.h"
#include "results/CSelectFolderDlg.h"
#include "scan/CScanDlg.h"
#include "wizard/CWizard.h"

namespace {

// The shared dark theme with greyed disabled text, as desktop themes give it.
QPalette DarkPalette()
{
    QPalette dark = ClassicPalette::DarkPalette();
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    return dark;
}

void Settle(int ms = 150)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Grab(QWidget *window, const QDir &out, const QString &name)
{
    Settle();
    const QString path = out.filePath(name + QStringLiteral(".png"));
    const bool saved = window->grab().save(path);
    printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int outAt = args.indexOf(QStringLiteral("--out"));
    if (outAt < 0 || outAt + 1 >= args.size()) {
        fprintf(stderr, "usage: bench_pages --out DIR [--lang de|en] [--dark]\n");
        return 2;
    }
    QDir out(args.at(outAt + 1));
    out.mkpath(QStringLiteral("."));
    const int langAt = args.indexOf(QStringLiteral("--lang"));
    const QString language = langAt >= 0 && langAt + 1 < args.size() ? args.at(langAt + 1) : QStringLiteral("en");
    // As for a user of that language: their texts, dates and numbers.
    QLocale::setDefault(QLocale(language));
    CTranslationLoader::Install(QLocale(language), CTranslationLoader::SearchFolders(QCoreApplication::applicationDirPath() + QStringLiteral("/..")));
    if (args.contains(QStringLiteral("--dark")))
        QApplication::setPalette(DarkPalette());

    bool ok = true;
    CFileScan scan;
    {
        CWizard sheet(LoadString(IDS_PRODUCT_NAME), nullptr, PAGE_METHOD);
        CWizardApp::AddPages(sheet, &scan);
        sheet.show();
        for (int page = PAGE_METHOD; page < PAGE_RESULTS; ++page) {
            sheet.SetActivePage(page);
            ok = Grab(&sheet, out, QStringLiteral("page%1").arg(page, 2, 10, QLatin1Char('0'))) && ok;
        }
        // The criteria page with two boxes checked: the tick.
        sheet.SetActivePage(PAGE_METHOD + 1);
        const QList<CCheckButton *> boxes = sheet.GetActivePage()->findChildren<CCheckButton *>();
        for (CCheckButton *box : boxes.mid(0, 2))
            box->SetCheck(1);
        ok = Grab(&sheet, out, QStringLiteral("page01-checked")) && ok;
        for (CCheckButton *box : boxes.mid(0, 2))
            box->SetCheck(0);
        // The method page once more, its first radio button focused: the
        // focus colour.
        sheet.SetActivePage(PAGE_METHOD);
        ok = Grab(&sheet, out, QStringLiteral("page00-again")) && ok;
    }

    QTemporaryDir drive;
    for (const char *name : {"setup.tmp", "old report.tmp", "cache/thumbs.tmp"}) {
        QDir(drive.path()).mkpath(QStringLiteral("cache"));
        QFile file(QDir(drive.path()).filePath(QString::fromLatin1(name)));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(4096 * 3 + 17, 'x'));
    }
    CFileScan resultsScan;
    resultsScan.m_strDrive = drive.path();
    CResultsPage results;
    results.SetScan(&resultsScan);
    results.EnsureInitialized();
    results.show();
    results.OnSetActive();
    for (int i = 0; i < 100 && (results.IsScanning() || results.GetScanTimerId() != 0); ++i)
        Settle(50);
    ok = Grab(&results, out, QStringLiteral("page10-results")) && ok;
    // Sorted by size: the header's arrow.
    if (CSortArrowHeader *header = results.GetList() ? results.GetList()->SortHeader() : nullptr) {
        header->SortByColumn(kColumnSize);
        Settle(50);
        ok = Grab(&results, out, QStringLiteral("page10-results-sorted")) && ok;
    }

    CAboutDlg about(nullptr, [](const QString &) { return 33; });
    about.show();
    ok = Grab(&about, out, QStringLiteral("dialog-about")) && ok;
    CMessageBoxDlg message(nullptr, CMessageBoxDlg::StyleYesNo);
    message.SetText(LoadString(IDS_CONFIRM_DELETE));
    message.show();
    ok = Grab(&message, out, QStringLiteral("dialog-message")) && ok;
    CFailedFilesDlg failed;
    failed.SetMessage(LoadString(IDS_DELETE_FAILED));
    failed.SetFailedPaths({QFile::encodeName(QDir(drive.path()).filePath(QStringLiteral("setup.tmp")))});
    failed.show();
    failed.OnDetails();
    ok = Grab(&failed, out, QStringLiteral("dialog-failed")) && ok;
    // The scan window a third of the way through the drive's entries.
    CScanDlg scanning;
    scanning.Create(nullptr, QFile::encodeName(drive.path()));
    scanning.AddProgress(scanning.GetTotal() / 3);
    scanning.GetPathStatic()->SetWindowText(QDir(drive.path()).filePath(QStringLiteral("cache/thumbs.tmp")));
    ok = Grab(&scanning, out, QStringLiteral("dialog-scan")) && ok;
    CSelectFolderDlg select(nullptr, {{QFile::encodeName(drive.path()), "drive", CShellTree::Root::Drive}});
    select.show();
    ok = Grab(&select, out, QStringLiteral("dialog-select-folder")) && ok;
    return ok ? 0 : 1;
}
