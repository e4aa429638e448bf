// What a user sees and touches around the scan and the actions: the scan
// window is drawn before the walk takes the thread, Escape typed while it
// runs reaches it, the bar measures allocated bytes against blocks in use,
// the keyboard comes back to the list after a scan or an action, and a page
// that becomes active has the focus on its first control, not on Close.
#include "ByteBarScanDlg.h"
#include "ChildProcess.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"
#include "WizardHarness.h"

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CRadioButton.h"
#include "core/CEventPump.h"
#include "core/CFileScan.h"
#include "core/CMatchSink.h"
#include "core/CResultsModel.h"
#include "core/PageSequence.h"
#include "criteria/CCriteriaPage.h"
#include "criteria/CMethodPage.h"
#include "platform/WalkRecord.h"
#include "results/CResultsPage.h"
#include "scan/CScanDlg.h"
#include "wizard/CWizard.h"

#include <QApplication>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <QProcess>
#include <sys/stat.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Counts paint events of one window and of everything inside it.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    int paints() const { return m_nPaints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            auto *widget = qobject_cast<QWidget *>(watched);
            if (widget && (widget == m_window || m_window->isAncestorOf(widget)))
                ++m_nPaints;
        }
        return false;
    }

private:
    QWidget *m_window;
    int m_nPaints = 0;
};

class CallbackSink : public CMatchSink
{
public:
    std::function<void(const WalkRecord &)> onResult;
    int results = 0;
    void AddMatch(const ScanMatch &match) override
    {
        ++results;
        if (onResult)
            onResult(match.record);
    }
};

// Runs a scan session without protection, shown by `dlg`.
ScanOutcome Scan(const CFileScan &scan, const QByteArray &root, CMatchSink &sink, CScanDlg &dlg)
{
    CScanSession session(scan, root);
    session.SetProtectionFactory({});
    session.SetOpenFileSourceFactory({});
    return session.Run(sink, dlg);
}

CWizardPage *RealMethodAndCriteriaPages(int nPage)
{
    if (nPage == PAGE_METHOD)
        return new CMethodPage;
    if (nPage == PAGE_CRITERIA)
        return new CCriteriaPage;
    return nullptr;
}

CFileScan CustomEverything(const QByteArray &root)
{
    CFileScan scan;
    scan.m_bExpress = 0;
    scan.m_bName = 1;
    scan.m_arrNames = QStringList{QStringLiteral("*")};
    scan.m_strDrive = QFile::decodeName(root);
    return scan;
}

} // namespace

class TestScanFocus : public QObject
{
    Q_OBJECT

private slots:
    void init() { CEventPump::SetDefaultInterval(15); }
    void cleanup() { CEventPump::SetDefaultInterval(15); }

    void scanWindowIsDrawnBeforeTheWalk()
    {
        // A short walk never reaches a pump: without a paint up front the
        // window would stay an empty rectangle for its whole life.
        TempDrive drive;
        QVERIFY(drive.makeFile("a/one.tmp", 10));
        const CFileScan scan = CustomEverything(drive.root());
        CallbackSink sink;
        CScanDlg dlg;
        PaintCounter counter(&dlg);
        int paintsAtFirstFile = -1;
        sink.onResult = [&](const WalkRecord &) {
            if (paintsAtFirstFile < 0)
                paintsAtFirstFile = counter.paints();
        };
        dlg.Create(nullptr, drive.root());
        Scan(scan, drive.root(), sink, dlg);
        QCOMPARE(sink.results, 1);
        QVERIFY2(paintsAtFirstFile > 0, "the scan window was not painted before the walk");
        dlg.hide();
    }

    void escapeTypedDuringTheScanStopsItAtOnce()
    {
        TempDrive drive;
        for (int i = 0; i < 50; ++i)
            QVERIFY(drive.makeFile("f" + QByteArray::number(i) + ".tmp", 1));
        const CFileScan scan = CustomEverything(drive.root());
        CallbackSink sink;
        QWidget owner;
        owner.show();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        CScanDlg dlg;
        int resultsAtEscape = -1;
        sink.onResult = [&](const WalkRecord &) {
            if (sink.results != 5)
                return;
            resultsAtEscape = sink.results;
            // Where a real key goes: the window that has the keyboard.
            QWindow *focused = QGuiApplication::focusWindow();
            QVERIFY(focused);
            QTest::keyClick(focused, Qt::Key_Escape);
        };
        dlg.Create(&owner, drive.root());
        Scan(scan, drive.root(), sink, dlg);
        QCOMPARE(resultsAtEscape, 5);
        QVERIFY(dlg.IsCancelled());
        QCOMPARE(sink.results, 5); // not one entry more
        dlg.hide();
    }

    void barCountsAllocatedBytesNotLengths()
    {
        // A 5 GB sparse file holds nothing: with lengths the bar would stand
        // at 100 after it, long before the real files are met.
        TempDrive drive;
        QVERIFY(drive.makeFile("a-sparse.img", 5LL * 1024 * 1024 * 1024));
        std::int64_t total = 0;
        for (int i = 0; i < 8; ++i) {
            const QByteArray relative = "b/f" + QByteArray::number(i);
            QVERIFY(drive.makeFolder("b"));
            QFile file(QFile::decodeName(drive.path(relative)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write(QByteArray(64 * 1024, 'x')) == 64 * 1024);
            file.close();
            struct stat st {};
            QCOMPARE(::stat(drive.path(relative).constData(), &st), 0);
            total += std::int64_t(st.st_blocks) * 512;
        }
        const CFileScan scan = CustomEverything(drive.root());
        CallbackSink sink;
        ByteBarScanDlg dlg(total);
        std::int64_t met = 0;
        int checked = 0;
        sink.onResult = [&](const WalkRecord &record) {
            met += record.allocatedBytes;
            if (record.name == "a-sparse.img")
                QCOMPARE(record.allocatedBytes, 0);
            const int expected = int(std::min<std::int64_t>(100, met * 100 / total));
            QCOMPARE(dlg.GetProgress()->GetPos(), expected);
            ++checked;
        };
        dlg.Create(nullptr, drive.root());
        Scan(scan, drive.root(), sink, dlg);
        QCOMPARE(checked, 9);
        QCOMPARE(met, total);
        dlg.hide();
    }

    // The bar's whole is every block not free, the blocks kept for root
    // included: on a file system that keeps half of them (ext4 made with
    // -m 50) the user's share would put the bar off by that half. The image
    // is mounted by a child in a mount namespace of its own, reached here
    // through its /proc root.
    void barCountsEntriesWhereTheFileSystemCountsThem()
    {
        // One step per folder and per file met, matching or not, whatever
        // its size: the walk's time goes by entries.
        TempDrive drive;
        QVERIFY(drive.makeFile("a/b/one.tmp", 0) && drive.makeFile("a/huge.img", 5LL << 30)
                && drive.makeFile("two.txt", 10));
        class EntryBarScanDlg : public CScanDlg
        {
            std::int64_t QueryEntriesInUse(const QByteArray &) const override { return 6; }
        } dlg;
        dlg.Create(nullptr, drive.root());
        QVERIFY(!dlg.CountsBytes() && !dlg.WantsFileFacts());
        std::vector<int> positions;
        CallbackSink sink;
        sink.onResult = [&](const WalkRecord &record) {
            QCOMPARE(record.name, QByteArray("one.tmp"));
            QVERIFY(record.looked && record.inode != 0);
            positions.push_back(dlg.GetProgress()->GetPos());
        };
        CFileScan scan;
        scan.m_strDrive = QFile::decodeName(drive.root());
        Scan(scan, drive.root(), sink, dlg);
        dlg.hide();
        QCOMPARE(sink.results, 1);
        QCOMPARE(dlg.GetDone(), std::uint64_t(6)); // the root, a, a/b and three files
        QCOMPARE(dlg.GetProgress()->GetPos(), 100);
        QCOMPARE(positions.size(), std::size_t(1));
        QVERIFY(positions[0] < 100);
    }

    void barTotalIsEveryBlockInUseReserveIncluded()
    {
        TempDrive drive;
        const QByteArray image = drive.path("fs.img"), mountPoint = drive.path("mnt");
        QVERIFY(drive.makeFolder("mnt"));
        QVERIFY(drive.makeFile("fs.img", 32 << 20));
        QProcess mkfs;
        mkfs.start(QStringLiteral("/usr/sbin/mkfs.ext4"), {"-q", "-F", "-m", "50", QFile::decodeName(image)});
        if (!mkfs.waitForFinished(60000) || mkfs.exitStatus() != QProcess::NormalExit || mkfs.exitCode() != 0)
            QSKIP("no ext4 image: mkfs.ext4 is missing or failed");

        int ready[2], done[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(done) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(ready[0]);
            ::close(done[1]);
            QByteArray why;
            char mounted = 0;
            if (EnterPrivateMountNamespace(why)) {
                const pid_t mounter = ::fork();
                if (mounter == 0) {
                    const int null = ::open("/dev/null", O_WRONLY);
                    ::dup2(null, 1);
                    ::dup2(null, 2);
                    ::execl("/usr/bin/mount", "mount", "-o", "loop", image.constData(), mountPoint.constData(),
                            static_cast<char *>(nullptr));
                    ::_exit(127);
                }
                int status = 0;
                mounted = mounter > 0 && ::waitpid(mounter, &status, 0) == mounter && WIFEXITED(status)
                          && WEXITSTATUS(status) == 0;
            }
            (void)!::write(ready[1], &mounted, 1);
            char end;
            (void)!::read(done[0], &end, 1); // until the test is done; the mount goes with the namespace
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(done[0]);
        char mounted = 0;
        const bool told = ::read(ready[0], &mounted, 1) == 1;
        ::close(ready[0]);
        const auto finish = [&] {
            ::close(done[1]);
            int status = 0;
            ::waitpid(child, &status, 0);
        };
        if (!told || !mounted) {
            finish();
            QSKIP("a loop mount is not allowed here (it needs root with loop devices)");
        }
        const QByteArray seen = "/proc/" + QByteArray::number(child) + "/root" + mountPoint;
        struct statvfs fs {};
        const bool stated = ::statvfs(seen.constData(), &fs) == 0;
        ByteBarScanDlg dlg;
        dlg.Create(nullptr, seen);
        const std::uint64_t total = dlg.GetTotal();
        dlg.hide();
        CScanDlg entriesDlg; // ext4 counts its entries: the bar counts them
        entriesDlg.Create(nullptr, seen);
        const std::uint64_t entries = entriesDlg.GetTotal();
        entriesDlg.hide();
        finish();
        QVERIFY(stated);
        const std::uint64_t size = std::uint64_t(fs.f_blocks) * fs.f_frsize;
        QVERIFY2(size <= (32u << 20) && size > (16u << 20), "not the image's file system");
        const std::uint64_t inUse = std::uint64_t(fs.f_blocks - fs.f_bfree) * fs.f_frsize;
        const std::uint64_t userShare = std::uint64_t(fs.f_blocks - fs.f_bavail) * fs.f_frsize;
        QVERIFY(userShare - inUse >= size * 4 / 10); // the reserve is there
        QCOMPARE(total, inUse);
        QCOMPARE(entries, std::uint64_t(fs.f_files - fs.f_ffree));
    }

    void keyboardReturnsToTheListAfterScanAndAction()
    {
        TempDrive drive;
        QVERIFY(drive.makeFile("Temp/one.tmp", 10));
        QVERIFY(drive.makeFile("Temp/two.tmp", 10));
        CFileScan scan;
        scan.m_strDrive = QFile::decodeName(drive.root());
        CResultsPage page;
        page.SetScan(&scan);
        page.SetNow(kOldWorkNow);
        page.EnsureInitialized();
        page.show();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        page.OnSetActive();
        QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(page), 20000);
        QCOMPARE(page.GetModel()->rowCount(), 2);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(page.GetList()));

        // Put the keyboard elsewhere, as a click on a button would.
        page.GetEliminateButton()->setFocus();
        page.GetList()->SetCheck(0, false);
        page.OnEliminate();
        QCOMPARE(page.GetModel()->rowCount(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(page.GetList()));
        // Space works at once on the list.
        page.GetList()->setCurrentIndex(page.GetModel()->index(0, 0));
        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Space);
        QCOMPARE(page.GetList()->GetCheck(0), 1);
    }

    void activePageHasTheFocusNotClose()
    {
        WizardHarness harness(RealMethodAndCriteriaPages);
        QVERIFY(harness.show());
        QVERIFY(QTest::qWaitForWindowActive(&harness.sheet));
        harness.go(PAGE_CRITERIA);
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused);
        QVERIFY2(harness.sheet.GetPage(PAGE_CRITERIA)->isAncestorOf(focused),
                 qPrintable(QStringLiteral("focus on %1").arg(focused->metaObject()->className())));
        QVERIFY(focused != &harness.sheet.GetCloseButton());
    }

    void arrowKeysMoveBetweenExpressAndCustom()
    {
        WizardHarness harness(RealMethodAndCriteriaPages);
        QVERIFY(harness.show());
        QVERIFY(QTest::qWaitForWindowActive(&harness.sheet));
        auto *method = harness.page<CMethodPage>(PAGE_METHOD);
        QVERIFY(method);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(method->GetExpressButton()));
        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(method->GetCustomButton()));
        QVERIFY(method->GetCustomButton()->GetCheck());
        QVERIFY(!method->GetExpressButton()->GetCheck());
        QCOMPARE(harness.scan.m_bExpress, 0);
        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Up);
        QVERIFY(method->GetExpressButton()->GetCheck());
        QCOMPARE(harness.scan.m_bExpress, 1);
    }
};

QTEST_MAIN(TestScanFocus)
#include "tst_scanfocus.moc"
