// Compress on the results page, driven offscreen: the save dialog, the
// messages for a missing library or entry point, stand-in plug-ins that fail,
// call back twice or three times, and the real plug-in storing exactly the
// checked files.
#include "RawFiles.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"
#include "ZipReader.h"

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CFlatPushButton.h"
#include "controls/CMessageBoxDlg.h"
#include "core/CEventPump.h"
#include "core/CFileScan.h"
#include "core/CResultsModel.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CCompressAction.h"
#include "results/CResultsPage.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray StandIn(const char *mode)
{
    return QByteArray(BV_STANDIN_DIR) + '/' + mode;
}

QString FillFormatForTest(const QByteArray &path)
{
    return QStringLiteral("An error occured while compressing the file  :\n%1\nThe file wasn't compressed.")
        .arg(QFile::decodeName(path));
}

// Answers every modal box that opens while it lives and remembers what each
// one said: message boxes get Ok, the failed-files dialog is read and closed.
class ModalRecorder : public QObject
{
public:
    ModalRecorder()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { Answer(); });
        m_timer.start();
    }

    QStringList m_messages;
    int m_failedDialogs = 0;
    QList<QByteArray> m_failed;
    QString m_failedMessage;
    std::function<void(QFileDialog *)> m_onFileDialog;

private:
    void Answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<CMessageBoxDlg *>(modal)) {
            m_messages.append(box->GetText());
            box->GetOkButton()->click();
        } else if (auto *failed = qobject_cast<CFailedFilesDlg *>(modal)) {
            ++m_failedDialogs;
            m_failed = failed->GetFailedPaths();
            m_failedMessage = failed->GetMessage();
            failed->accept();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            if (m_onFileDialog)
                m_onFileDialog(dialog);
            else
                dialog->reject();
        }
    }

    QTimer m_timer;
};

} // namespace

class TestCompressPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveDialogProposesBackUpAndAddsTheExtension();
    void cancelledDialogDoesNothing();
    void missingLibraryIsNamedWithItsFullPath();
    void libraryWithoutTheEntryIsNamed();
    void failingPluginReportsEveryFileAndKeepsEveryRow();
    void twoCallbacksStoreEveryCheckedFile();
    void threeCallbacksFailEveryFileSilently();
    void realPluginStoresExactlyTheCheckedFiles();
    void aFileThatIsNotAnArchiveIsSaidOnce();

private:
    void Scan();
    void Compress(const QByteArray &folder);
    QList<QByteArray> CheckedInVisitOrder() const;
    QString SelectionLine() const;
    void ExpectNothingStored();

    std::unique_ptr<TempDrive> m_drive;
    std::unique_ptr<QTemporaryDir> m_out;
    std::unique_ptr<CFileScan> m_scan;
    std::unique_ptr<CResultsPage> m_page;
    std::unique_ptr<ModalRecorder> m_modals;
    QByteArray m_archive;
};

void TestCompressPage::init()
{
    CEventPump::SetDefaultInterval(15);
    m_drive = std::make_unique<TempDrive>();
    m_out = std::make_unique<QTemporaryDir>();
    QVERIFY(m_drive->isValid() && m_out->isValid());
    QVERIFY(m_drive->makeFile("Temp/one.txt", 1500));
    QVERIFY(m_drive->makeFile("Temp/deep/two.bin", 2048));
    QVERIFY(m_drive->makeFile("docs/three.tmp", 100));
    QVERIFY(m_drive->makeFile("docs/four.LOG", 5000));
    QVERIFY(m_drive->makeFile("docs/keep.txt", 777)); // not listed
    m_archive = QFile::encodeName(m_out->path()) + "/Back-up.zip";
    m_scan = std::make_unique<CFileScan>();
    m_page = ShowResultsPage(*m_scan, m_drive->root());
    m_modals = std::make_unique<ModalRecorder>();
    const QByteArray archive = m_archive;
    CCompressAction::SetAskPathHook([archive](QWidget *) { return QFile::decodeName(archive); });
}

void TestCompressPage::cleanup()
{
    CCompressAction::SetAskPathHook({});
    CCompressAction::SetLibraryFolders({});
    m_modals.reset();
    m_page.reset();
    m_scan.reset();
    m_out.reset();
    m_drive.reset();
}

void TestCompressPage::Scan()
{
    QVERIFY(ScanToEnd(*m_page));
    QCOMPARE(m_page->GetModel()->rowCount(), 4);
}

void TestCompressPage::Compress(const QByteArray &folder)
{
    CCompressAction::SetLibraryFolders({folder});
    m_page->GetCompressButton()->click();
}

QList<QByteArray> TestCompressPage::CheckedInVisitOrder() const
{
    QList<QByteArray> paths;
    const CResultsModel &model = *m_page->GetModel();
    for (int row = model.rowCount() - 1; row >= 0; --row) {
        if (m_page->GetList()->GetCheck(row) == 1)
            paths.append(model.GetStore().GetPath(model.GetItem(row)));
    }
    return paths;
}

QString TestCompressPage::SelectionLine() const
{
    auto *label = m_page->GetDlgItemAs<QLabel>(IDC_SELECTION_TEXT);
    return label ? label->text() : QString();
}

void TestCompressPage::ExpectNothingStored()
{
    QCOMPARE(m_page->GetModel()->rowCount(), 4);
    QCOMPARE(m_page->GetSelectedCount(), 4);
    QCOMPARE(SelectionLine(), QStringLiteral("Selected : 8.44 KB in 4 files"));
    QVERIFY(m_page->GetCompressButton()->isEnabled());
    QVERIFY(m_page->isEnabled());
}

void TestCompressPage::saveDialogProposesBackUpAndAddsTheExtension()
{
    const QString folder = m_out->path();
    QString title, proposed;
    QStringList filters;
    m_modals->m_onFileDialog = [&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        proposed = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        filters = dialog->nameFilters();
        dialog->setDirectory(folder);
        dialog->selectFile(QStringLiteral("mine"));
        static_cast<QDialog *>(dialog)->accept();
    };
    QCOMPARE(CCompressAction::AskArchivePath(m_page.get()), folder + QStringLiteral("/mine.zip"));
    QCOMPARE(title, QStringLiteral("Save As Zip"));
    QCOMPARE(proposed, QStringLiteral("Back-up.zip"));
    QCOMPARE(filters, (QStringList{QStringLiteral("Zip Files (*.zip)"), QStringLiteral("All Files (*)")}));

    // An archive already there is chosen without a question: it collects.
    QFile existing(folder + QStringLiteral("/Back-up.zip"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    m_modals->m_onFileDialog = [&](QFileDialog *dialog) {
        dialog->setDirectory(folder);
        dialog->selectFile(QStringLiteral("Back-up.zip"));
        static_cast<QDialog *>(dialog)->accept();
    };
    QCOMPARE(CCompressAction::AskArchivePath(m_page.get()), folder + QStringLiteral("/Back-up.zip"));
    QVERIFY(m_modals->m_messages.isEmpty());
}

void TestCompressPage::cancelledDialogDoesNothing()
{
    Scan();
    CCompressAction::SetAskPathHook({}); // the real dialog, cancelled by the recorder
    Compress(StandIn("twice"));
    ExpectNothingStored();
    QVERIFY(m_modals->m_messages.isEmpty());
    QCOMPARE(m_modals->m_failedDialogs, 0);
}

void TestCompressPage::missingLibraryIsNamedWithItsFullPath()
{
    Scan();
    const QByteArray folder = m_drive->path("no plug-in here");
    Compress(folder);
    QCOMPARE(m_modals->m_messages,
             QStringList{QStringLiteral("Can't load the library :\n%1/libcomp.so\nVerify the existance and the "
                                        "integrity of the file.")
                             .arg(QFile::decodeName(folder))});
    ExpectNothingStored();
    QVERIFY(::access(m_archive.constData(), F_OK) != 0);
    QCOMPARE(m_modals->m_failedDialogs, 0);
}

void TestCompressPage::libraryWithoutTheEntryIsNamed()
{
    Scan();
    Compress(StandIn("noentry"));
    QCOMPARE(m_modals->m_messages,
             QStringList{QStringLiteral("Can't access the entry of the library :\n%1/libcomp.so\nVerify the integrity "
                                        "of the file.")
                             .arg(QFile::decodeName(StandIn("noentry")))});
    ExpectNothingStored();
    QVERIFY(::access(m_archive.constData(), F_OK) != 0);
}

void TestCompressPage::failingPluginReportsEveryFileAndKeepsEveryRow()
{
    Scan();
    const QList<QByteArray> order = CheckedInVisitOrder();
    Compress(StandIn("fail"));
    QStringList expected;
    for (const QByteArray &path : order)
        expected.append(FillFormatForTest(path));
    QCOMPARE(m_modals->m_messages, expected);
    QCOMPARE(m_modals->m_failed, order);
    QCOMPARE(m_modals->m_failedMessage, LoadString(IDS_DELETE_FAILED));
    QCOMPARE(LinesOf(m_archive), order);
    ExpectNothingStored();
}

void TestCompressPage::twoCallbacksStoreEveryCheckedFile()
{
    Scan();
    m_page->GetList()->SetCheck(1, false);
    const QByteArray unchecked =
        m_page->GetModel()->GetStore().GetPath(m_page->GetModel()->GetItem(1));
    const QList<QByteArray> order = CheckedInVisitOrder();
    QCOMPARE(order.size(), 3);
    Compress(StandIn("twice"));
    QCOMPARE(LinesOf(m_archive), order); // the checked files, last row first, each once
    QVERIFY(m_modals->m_messages.isEmpty());
    QCOMPARE(m_modals->m_failedDialogs, 0);
    QCOMPARE(m_page->GetModel()->rowCount(), 1);
    QCOMPARE(m_page->GetModel()->GetStore().GetPath(m_page->GetModel()->GetItem(0)), unchecked);
    QCOMPARE(m_page->GetList()->GetCheck(0), 0);
    QCOMPARE(SelectionLine(), QStringLiteral("Selected : 0 B in 0 files"));
    for (CFlatPushButton *button : {m_page->GetEliminateButton(), m_page->GetCompressButton(), m_page->GetMoveButton(),
                                    m_page->GetDeleteButton()})
        QVERIFY(!button->isEnabled());
    QVERIFY(m_page->isEnabled());
    // The files are where they were.
    for (const QByteArray &path : order)
        QVERIFY(::access(path.constData(), F_OK) == 0);
}

void TestCompressPage::threeCallbacksFailEveryFileSilently()
{
    Scan();
    const QList<QByteArray> order = CheckedInVisitOrder();
    Compress(StandIn("thrice"));
    QVERIFY(m_modals->m_messages.isEmpty());
    QCOMPARE(m_modals->m_failedDialogs, 1);
    QCOMPARE(m_modals->m_failed, order);
    ExpectNothingStored();
}

void TestCompressPage::realPluginStoresExactlyTheCheckedFiles()
{
    Scan();
    m_page->GetList()->SetCheck(2, false);
    const QList<QByteArray> order = CheckedInVisitOrder();
    Compress(QByteArray(BV_PLUGIN_DIR));
    QVERIFY(m_modals->m_messages.isEmpty());
    QCOMPARE(m_page->GetModel()->rowCount(), 1);
    QCOMPARE(SelectionLine(), QStringLiteral("Selected : 0 B in 0 files"));
    const ZipListing listing = ReadZip(m_archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QList<QByteArray> names;
    for (const QByteArray &path : order)
        names.append(EntryNameOf(path));
    QCOMPARE(listing.Names(), names);

    // Again, into the same archive: the remaining file joins the others.
    m_page->GetList()->SetCheck(0, true);
    const QList<QByteArray> rest = CheckedInVisitOrder();
    Compress(QByteArray(BV_PLUGIN_DIR));
    QCOMPARE(m_page->GetModel()->rowCount(), 0);
    QCOMPARE(ReadZip(m_archive).Names(), names + QList<QByteArray>{EntryNameOf(rest.value(0))});
}

void TestCompressPage::aFileThatIsNotAnArchiveIsSaidOnce()
{
    QFile notes(QFile::decodeName(m_archive));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("my notes\n") == 9);
    notes.close();
    Scan();
    Compress(QByteArray(BV_PLUGIN_DIR));
    QCOMPARE(m_modals->m_messages,
             QStringList{QStringLiteral("The file \"%1\" is not a zip archive.\nIt was left as it is. Please choose another name.")
                             .arg(QFile::decodeName(m_archive))});
    QCOMPARE(m_modals->m_failedDialogs, 0);
    ExpectNothingStored();
    QCOMPARE(LinesOf(m_archive), QList<QByteArray>{"my notes"});
    QCOMPARE(QDir(m_out->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Back-up.zip")});
}

QTEST_MAIN(TestCompressPage)
#include "tst_compress_page.moc"
