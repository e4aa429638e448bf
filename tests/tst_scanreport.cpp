// The results page says how many folders the scan could not read, on a line
// of its own beside the totals, rather than leaving the user to believe the
// list covers the whole drive.
#include "ChildProcess.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"

#include "core/CEventPump.h"
#include "core/CFileScan.h"
#include "core/CResultsModel.h"
#include "res/ResourceIds.h"
#include "results/CResultsPage.h"

#include <QLabel>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString LabelText(const CResultsPage &page, int id)
{
    const auto *label = qobject_cast<const QLabel *>(page.GetDlgItem(id));
    return label ? label->text() : QStringLiteral("<no label>");
}

} // namespace

class TestScanReport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        CEventPump::SetDefaultInterval(15);
        m_drive = std::make_unique<TempDrive>();
        QVERIFY(m_drive->makeFile("open/visible.tmp", 10));
        QVERIFY(m_drive->makeFile("locked/hidden.tmp", 10));
        QVERIFY(m_drive->makeFile("locked2/sub/hidden.tmp", 10));
        QCOMPARE(::chmod(m_drive->root().constData(), 0755), 0);
        // Writable by all: the other user below may remove what it lists.
        QCOMPARE(::chmod(m_drive->path("open").constData(), 0777), 0);
        QCOMPARE(::chmod(m_drive->path("locked").constData(), 0700), 0);
        QCOMPARE(::chmod(m_drive->path("locked2").constData(), 0700), 0);
        m_scan = std::make_unique<CFileScan>();
        m_page = ShowResultsPage(*m_scan, m_drive->root());
    }
    void cleanup()
    {
        m_page.reset();
        m_scan.reset();
        m_drive.reset();
    }

    void theLineSitsBesideTheTotalsAndCountsFolders()
    {
        const QWidget *line = m_page->GetDlgItem(IDC_SKIPPED_FOLDERS_TEXT);
        const QWidget *freeSpace = m_page->GetDlgItem(IDC_FREE_SPACE_TEXT);
        const QWidget *list = m_page->GetDlgItem(IDC_RESULTS_LIST);
        QVERIFY(line && freeSpace && list);
        QVERIFY(line->geometry().top() >= list->geometry().bottom());
        QVERIFY(line->geometry().bottom() <= freeSpace->geometry().top());
        QVERIFY(freeSpace->geometry().top() - line->geometry().bottom() < 10);

        m_page->UpdateSkippedFoldersText(0);
        QCOMPARE(LabelText(*m_page, IDC_SKIPPED_FOLDERS_TEXT), QString());
        m_page->UpdateSkippedFoldersText(1);
        QCOMPARE(LabelText(*m_page, IDC_SKIPPED_FOLDERS_TEXT),
                 QStringLiteral("1 folder could not be read; its files were not searched."));
        m_page->UpdateSkippedFoldersText(4200000000LL);
        QCOMPARE(LabelText(*m_page, IDC_SKIPPED_FOLDERS_TEXT),
                 QStringLiteral("4200000000 folders could not be read; their files were not searched."));
    }

    void aScanThatCouldNotReadSomeFoldersSaysSo()
    {
        // As root every folder opens: the line stays empty.
        m_page->StartScan();
        QCOMPARE(m_page->GetModel()->rowCount(), 3);
        QCOMPARE(LabelText(*m_page, IDC_SKIPPED_FOLDERS_TEXT), QString());

        // The same scan by a user who may not enter two of the folders.
        CResultsPage *page = m_page.get();
        const ChildOutput child = RunInChild([page](QByteArray &out) {
            ::alarm(60);
            if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0
                || ::setresuid(65534, 65534, 65534) != 0) {
                out = "cannot switch to uid 65534";
                return kSkipCode;
            }
            page->GetModel()->Clear(); // as a new activation of the page would
            // A forked child has none of the parent's threads, and Qt paints
            // long spans on helper threads: painting the list here would wait
            // for them forever. The line's text does not need the list shown.
            page->hide();
            page->StartScan();
            out = QByteArray::number(page->GetModel()->rowCount()) + '\n'
                  + LabelText(*page, IDC_SKIPPED_FOLDERS_TEXT).toUtf8();
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(child.text, QByteArray("1\n2 folders could not be read; their files were not searched."));
    }

private:
    std::unique_ptr<TempDrive> m_drive;
    std::unique_ptr<CFileScan> m_scan;
    std::unique_ptr<CResultsPage> m_page;
};

QTEST_MAIN(TestScanReport)
#include "tst_scanreport.moc"
