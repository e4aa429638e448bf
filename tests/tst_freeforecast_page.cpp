// The results page's "frees about" figure on a temporary drive: a sparse
// file, three links of one file, a file a running process holds open and an
// ordinary file; the figure follows clicks, rows that actions take away and
// a fresh scan, fits its line, and Delete sets it against the drive.
#include "RawFiles.h"
#include "ModalWatcher.h"
#include "OpenFileHolder.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CFlatPushButton.h"
#include "controls/CMessageBoxDlg.h"
#include "core/CEventPump.h"
#include "core/CFileScan.h"
#include "core/CProtection.h"
#include "core/CProcOpenFileSource.h"
#include "core/CResultsModel.h"
#include "core/SizeText.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CResultsPage.h"

#include <QLabel>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kMB = 1048576;

// Other programs write to the temporary folder's disk meanwhile, so what
// the drive gained can only be held to a margin there.
constexpr std::int64_t kSharedDiskMargin = 16 * kMB;

} // namespace

class TestFreeForecastPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void freesTextFollowsClicks();
    void heldOpenIsKnownWhateverProtectionDoes();
    void totalsLineFitsAtTheDefaultFont();
    void deleteSetsTheForecastAgainstTheDrive();
    void eliminatedRowsAndAFreshScanKeepItExact();

private:
    void Scan();
    int RowOf(const char *name) const;
    int ItemOf(const char *name) const;
    void Click(const char *name);
    QString FreesText() const;
    QString Expected(std::int64_t bytes) const
    {
        return LoadString(IDS_FREES_ABOUT).replace(QLatin1String("%s"), FormatSize(bytes));
    }

    std::unique_ptr<TempDrive> m_drive;
    std::unique_ptr<OpenFileHolder> m_holder;
    std::unique_ptr<CFileScan> m_scan;
    std::unique_ptr<CResultsPage> m_page;
    std::unique_ptr<QObject> m_answers;
    std::int64_t m_nLinked = 0;
    std::int64_t m_nPlain = 0;
    std::int64_t m_nSparse = 0;
};

void TestFreeForecastPage::init()
{
    CEventPump::SetDefaultInterval(15);
    m_answers = std::make_unique<QObject>();
    m_drive = std::make_unique<TempDrive>();
    QVERIFY(m_drive->isValid());
    QVERIFY(m_drive->makeFile("Temp/sparse.bin", 5 * 1024 * kMB));
    QVERIFY(WriteData(m_drive->path("Temp/one.bin"), 20 * kMB));
    QVERIFY(::link(m_drive->path("Temp/one.bin").constData(), m_drive->path("Temp/two.bin").constData()) == 0);
    QVERIFY(::link(m_drive->path("Temp/one.bin").constData(), m_drive->path("Temp/three.bin").constData()) == 0);
    QVERIFY(WriteData(m_drive->path("Temp/open.log"), 3 * kMB));
    QVERIFY(WriteData(m_drive->path("Temp/plain.bin"), 100000));
    m_nLinked = AllocatedAt(m_drive->path("Temp/one.bin"));
    m_nPlain = AllocatedAt(m_drive->path("Temp/plain.bin"));
    m_nSparse = AllocatedAt(m_drive->path("Temp/sparse.bin"));
    QVERIFY(m_nLinked >= 20 * kMB);
    m_holder = std::make_unique<OpenFileHolder>(m_drive->path("Temp/open.log"));
    QVERIFY(m_holder->isHolding());

    m_scan = std::make_unique<CFileScan>();
    m_scan->m_strDrive = QFile::decodeName(m_drive->root());
    m_page = std::make_unique<CResultsPage>();
    // No protection: the page must still learn of the held file itself.
    m_page->SetProtectionFactory({});
    m_page->SetNow(kOldWorkNow);
    m_page->SetScan(m_scan.get());
    m_page->EnsureInitialized();
    m_page->show();
}

void TestFreeForecastPage::cleanup()
{
    m_answers.reset();
    m_page.reset();
    m_scan.reset();
    m_holder.reset();
    m_drive.reset();
}

void TestFreeForecastPage::Scan()
{
    QVERIFY(ScanToEnd(*m_page));
}

int TestFreeForecastPage::RowOf(const char *name) const
{
    const CResultsModel &model = *m_page->GetModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.GetStore().GetPath(model.GetItem(row)) == m_drive->path(QByteArray("Temp/") + name))
            return row;
    }
    return -1;
}

int TestFreeForecastPage::ItemOf(const char *name) const
{
    return m_page->GetModel()->GetItem(RowOf(name));
}

void TestFreeForecastPage::Click(const char *name)
{
    const int row = RowOf(name);
    QVERIFY(row >= 0);
    CCheckBoxListCtrl *list = m_page->GetList();
    const QModelIndex index = m_page->GetModel()->index(row, 0);
    list->scrollTo(index);
    const QRect cell = list->visualRect(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(cell.left() + 8, cell.center().y()));
}

QString TestFreeForecastPage::FreesText() const
{
    auto *label = m_page->GetDlgItemAs<QLabel>(IDC_FREES_TEXT);
    return label ? label->text() : QString();
}

void TestFreeForecastPage::freesTextFollowsClicks()
{
    Scan();
    QCOMPARE(m_page->GetModel()->rowCount(), 6);
    // The sizes say 5 GB and three times 20 MB; the disk says otherwise.
    QVERIFY(m_page->GetSelectedBytes() > 5 * 1024 * kMB + 60 * kMB);
    const std::int64_t all = m_nSparse + m_nLinked + m_nPlain;
    QCOMPARE(m_page->GetForecastBytes(), all);
    QCOMPARE(FreesText(), Expected(all));

    Click("two.bin");
    QCOMPARE(m_page->GetList()->GetCheck(RowOf("two.bin")), 0);
    QCOMPARE(FreesText(), Expected(m_nSparse + m_nPlain));
    Click("one.bin");
    Click("two.bin");
    QCOMPARE(FreesText(), Expected(m_nSparse + m_nPlain)); // two of three
    Click("one.bin");
    QCOMPARE(FreesText(), Expected(all));
    Click("open.log"); // held open: frees nothing either way
    QCOMPARE(FreesText(), Expected(all));
    Click("plain.bin");
    QCOMPARE(FreesText(), Expected(m_nSparse + m_nLinked));
    QCOMPARE(m_page->GetForecastBytes(), m_nSparse + m_nLinked);

    // Space over every row flips each: only plain.bin is checked after.
    CCheckBoxListCtrl *list = m_page->GetList();
    list->setFocus();
    list->selectAll();
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(FreesText(), Expected(m_nPlain));
    for (int row = 0; row < m_page->GetModel()->rowCount(); ++row)
        list->SetCheck(row, true);
    QCOMPARE(FreesText(), Expected(all));
}

void TestFreeForecastPage::heldOpenIsKnownWhateverProtectionDoes()
{
    // Custom with protection that reads the processes: the file is listed
    // locked, and asked what it would free, it says nothing.
    m_scan->m_bExpress = 0;
    m_scan->m_bLocation = 1;
    m_scan->m_arrLocations = {QStringLiteral("temp")};
    m_page->SetProtectionFactory([](const QByteArray &drive) {
        return std::make_unique<CProtection>(drive, CProtectedTrees(QByteArray()), nullptr, std::make_unique<CProcOpenFileSource>());
    });
    Scan();
    QVERIFY(m_page->GetModel()->IsLockedRow(RowOf("open.log")));
    QVERIFY(m_page->GetModel()->GetStore().IsHeldOpen(ItemOf("open.log")));
    QCOMPARE(m_page->GetModel()->GetStore().GetForecast().FreedBy({ItemOf("open.log")}), 0);
    QCOMPARE(m_page->GetModel()->GetStore().GetForecast().FreedBy({ItemOf("plain.bin")}), m_nPlain);

    // Protection without a view of the processes: the page looks itself.
    m_page->SetProtectionFactory([](const QByteArray &drive) {
        return std::make_unique<CProtection>(drive, CProtectedTrees(QByteArray()), nullptr, nullptr);
    });
    Scan();
    QVERIFY(!m_page->GetModel()->IsLockedRow(RowOf("open.log")));
    QVERIFY(m_page->GetModel()->GetStore().IsHeldOpen(ItemOf("open.log")));
    QCOMPARE(m_page->GetForecastBytes(), m_nSparse + m_nLinked + m_nPlain);

    // And without any source, the file counts as any other: the lookup is
    // what keeps it out, not some accident of the list.
    m_page->SetOpenFileSourceFactory({});
    Scan();
    QVERIFY(!m_page->GetModel()->GetStore().IsHeldOpen(ItemOf("open.log")));
    QCOMPARE(m_page->GetForecastBytes(), m_nSparse + m_nLinked + m_nPlain + AllocatedAt(m_drive->path("Temp/open.log")));
}

void TestFreeForecastPage::totalsLineFitsAtTheDefaultFont()
{
    Scan();
    auto *selection = m_page->GetDlgItemAs<QLabel>(IDC_SELECTION_TEXT);
    auto *frees = m_page->GetDlgItemAs<QLabel>(IDC_FREES_TEXT);
    auto *space = m_page->GetDlgItemAs<QLabel>(IDC_FREE_SPACE_TEXT);
    QVERIFY(selection && frees && space);
    QVERIFY(selection->text().startsWith(QLatin1String("Selected : 5")));
    const auto expectFits = [&] {
        const QRect page = m_page->rect();
        for (QLabel *label : {selection, frees, space}) {
            QVERIFY2(label->isVisible(), qPrintable(label->text()));
            QVERIFY2(page.contains(label->geometry()), qPrintable(label->text()));
            // The whole text on one line: a label that wraps reports a
            // narrow size hint and shows only its first line here.
            const int needed = label->fontMetrics().horizontalAdvance(label->text());
            QVERIFY2(label->contentsRect().width() >= needed, qPrintable(label->text()));
            QVERIFY2(label->height() >= label->fontMetrics().height(), qPrintable(label->text()));
        }
        QCOMPARE(frees->y(), selection->y());
        QVERIFY(!selection->geometry().intersects(frees->geometry()));
        QVERIFY(!frees->geometry().intersects(space->geometry()));
        QVERIFY(frees->x() > selection->x());
        // Nothing else on the line or the buttons' row beneath sits on it.
        for (int id : {IDC_ELIMINATE, IDC_COMPRESS, IDC_MOVE, IDC_DELETE, IDC_SKIPPED_FOLDERS_TEXT})
            QVERIFY(!m_page->GetDlgItem(id)->geometry().intersects(frees->geometry()));
    };
    expectFits();

    // The text is really drawn: the label's pixels are not all one colour.
    const QImage image = m_page->grab(frees->geometry()).toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    QVERIFY(colours.size() > 2);

    // A wider page and back: the anchors move the line, the texts follow.
    const QSize original = m_page->size();
    m_page->resize(original + QSize(200, 60));
    expectFits();
    m_page->resize(original);
    expectFits();
    Click("two.bin"); // the forecast text shrinks; the free space line keeps its right edge
    const int right = space->geometry().right();
    expectFits();
    QCOMPARE(space->geometry().right(), right);
}

void TestFreeForecastPage::deleteSetsTheForecastAgainstTheDrive()
{
    Scan();
    Click("two.bin");
    const auto answerYes = [this] {
        AnswerModal<CMessageBoxDlg>(m_answers.get(), [](CMessageBoxDlg *box) { box->GetOkButton()->click(); });
        AnswerModal<CFailedFilesDlg>(m_answers.get(), [](CFailedFilesDlg *dlg) { dlg->accept(); });
    };
    answerYes();
    m_page->GetDeleteButton()->click();
    QCOMPARE(m_page->GetModel()->rowCount(), 1); // two.bin stays
    // The held file and two links of three went: what that frees is the
    // sparse file's few blocks and the plain file.
    QCOMPARE(m_page->GetActionForecastBytes(), m_nSparse + m_nPlain);
    QVERIFY(m_page->HasMeasuredFreedBytes());
    QVERIFY2(qAbs(m_page->GetMeasuredFreedBytes() - m_page->GetActionForecastBytes()) < kSharedDiskMargin,
             qPrintable(QString::number(m_page->GetMeasuredFreedBytes())));
    QCOMPARE(FreesText(), Expected(0));

    // two.bin is the file's last link now: checked, it frees the file.
    Click("two.bin");
    QCOMPARE(FreesText(), Expected(m_nLinked));
    answerYes();
    m_page->GetDeleteButton()->click();
    QCOMPARE(m_page->GetModel()->rowCount(), 0);
    QCOMPARE(m_page->GetActionForecastBytes(), m_nLinked);
    QVERIFY2(qAbs(m_page->GetMeasuredFreedBytes() - m_nLinked) < kSharedDiskMargin,
             qPrintable(QString::number(m_page->GetMeasuredFreedBytes())));
    QCOMPARE(FreesText(), Expected(0));
}

void TestFreeForecastPage::eliminatedRowsAndAFreshScanKeepItExact()
{
    Scan();
    Click("plain.bin");
    Click("three.bin");
    m_page->GetEliminateButton()->click();
    // Left: plain and three, unchecked; the other two links are off the list
    // but still on the disk, so three alone can never free the file.
    QCOMPARE(m_page->GetModel()->rowCount(), 2);
    QCOMPARE(FreesText(), Expected(0));
    Click("three.bin");
    QCOMPARE(FreesText(), Expected(0));
    Click("plain.bin");
    QCOMPARE(FreesText(), Expected(m_nPlain));

    m_page->OnSetActive(); // empties the list before the scan starts
    QCOMPARE(m_page->GetForecastBytes(), 0);
    QCOMPARE(FreesText(), Expected(0));
    QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(*m_page), 20000);
    QCOMPARE(m_page->GetForecastBytes(), m_nSparse + m_nLinked + m_nPlain);
}

QTEST_MAIN(TestFreeForecastPage)
#include "tst_freeforecast_page.moc"
