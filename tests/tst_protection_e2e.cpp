// Protection seen from the results page, on a temporary drive that holds its
// own package database and a home of its own: Express never lists a
// protected file, Custom lists it locked, and no click, key, check-all or
// action ever checks or reaches a locked row.
#include "ByteBarScanDlg.h"
#include "RawFiles.h"
#include "FakeDpkgDatabase.h"
#include "ModalWatcher.h"
#include "OpenFileHolder.h"
#include "ResultsPageOnDrive.h"
#include "TempDrive.h"

#include "controls/CCheckBoxItemDelegate.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CFailedFilesDlg.h"
#include "controls/CFlatPushButton.h"
#include "controls/CMessageBoxDlg.h"
#include "core/CActionStep.h"
#include "core/CDpkgFileSource.h"
#include "core/CEventPump.h"
#include "core/CFileScan.h"
#include "core/CProcOpenFileSource.h"
#include "core/CProtection.h"
#include "core/CScanSession.h"
#include "core/MatchReason.h"
#include "platform/WalkRecord.h"
#include "core/CResultsModel.h"
#include "platform/RealPath.h"
#include "res/ResourceIds.h"
#include "results/CActionRun.h"
#include "results/CResultsPage.h"
#include "scan/CScanDlg.h"

#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records every index an action is handed.
class CRecordingStep : public CActionStep
{
public:
    int GetStatusTextId() const override { return IDS_ELIMINATING; }
    int GetFailedMessageId() const override { return 0; }
    bool ChangesDisk() const override { return false; }
    FileOpResult Run(int index) override
    {
        seen.append(index);
        return FileOpResult::Success();
    }
    QList<int> seen;
};

// Files of the drive: what Express lists, and what protection keeps away.
const QList<QByteArray> kExpressListed = {
    "Temp/free.txt",
    "home/u/.cache/x.tmp",
    "home/u/.config/app/sub/deep.tmp", // two levels below the settings folder
    "var/tmp/v.tmp",
    "docs/old.bak",
};
const QList<QByteArray> kPackageOwned = {"Temp/owned.txt", "Temp/tool.distrib"};
const QList<QByteArray> kProtectedFolder = {
    "a/site-packages/pkg/debug/x.js",
    "b/node_modules/m/tmp/y.log",
    "home/u/.ssh/old.bak",
    "home/u/.config/app/settings.bak",
    "src/.git/Temp/index.tmp",
};

// The drive's package database, read only once the walk has met `total`
// files, or after `patience`: a machine whose package lists take long.
class CSlowPackageSource : public CPackageFileSource
{
public:
    CSlowPackageSource(const QByteArray &drive, const std::atomic<std::int64_t> &met, std::int64_t total,
                       std::chrono::milliseconds patience, std::atomic<bool> &walkWasAhead)
        : m_source(drive), m_met(met), m_nTotal(total), m_patience(patience), m_walkWasAhead(walkWasAhead)
    {
    }
    bool LoadOwnedPaths(CPathHashSet &owned) override
    {
        const auto until = std::chrono::steady_clock::now() + m_patience;
        while (m_met.load() < m_nTotal && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m_walkWasAhead = m_met.load() >= m_nTotal;
        return m_source.LoadOwnedPaths(owned);
    }

private:
    CDpkgFileSource m_source;
    const std::atomic<std::int64_t> &m_met;
    std::int64_t m_nTotal;
    std::chrono::milliseconds m_patience;
    std::atomic<bool> &m_walkWasAhead;
};

// Every match a scan hands on, one line each, in order.
struct CRecordingSink : CMatchSink
{
    void AddMatch(const ScanMatch &match) override
    {
        lines << match.record.folder + '/' + match.record.name + ' ' + QByteArray::number(int(match.protection))
                     + (match.heldOpen ? " open" : "") + (match.unchecked ? " unchecked " : " ")
                     + match.why.text.toUtf8() + ' ' + QByteArray::number(match.why.folderLevel);
    }
    QByteArrayList lines;
};

struct CCountingProgress : CScanProgress
{
    void OnFileMet(const WalkRecord &) override
    {
        ++met;
        turnsSinceLastFile = 0;
    }
    bool OnBetweenEntries(CMatchSink &) override
    {
        ++turnsSinceLastFile;
        return false;
    }
    std::atomic<std::int64_t> met{0};
    std::int64_t turnsSinceLastFile = 0; // the window's chances to answer after the walk met its last file
};

} // namespace

class TestProtectionE2E : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void expressNeverListsProtectedFiles();
    void customListsThemLocked();
    void lockedRowsCannotBeCheckedByAnyMeans();
    void actionsNeverReachLockedRows();
    void fileHeldOpenIsProtectedOnlyWhileOpen();
    void protectedFilesStillCountInTheProgress();
    void withoutProtectionEverythingMatchingIsListed();
    void aSlowLoadLetsTheWalkGoOnAndDecidesAlike_data();
    void aSlowLoadLetsTheWalkGoOnAndDecidesAlike();

private:
    std::unique_ptr<CProtection> MakeProtection(const QByteArray &drive, bool bProcesses = false) const;
    void Scan();
    QSet<QByteArray> ListedPaths() const;
    QSet<QByteArray> LockedPaths() const;
    QSet<QByteArray> Paths(const QList<QByteArray> &relative) const;
    QString ProtectedLine() const;

    std::unique_ptr<TempDrive> m_drive;
    std::unique_ptr<CFileScan> m_scan;
    std::unique_ptr<CResultsPage> m_page;
    std::unique_ptr<QObject> m_answers;
};

std::unique_ptr<CProtection> TestProtectionE2E::MakeProtection(const QByteArray &drive, bool bProcesses) const
{
    // The drive's own package database and home. The machine's processes
    // only where a test needs them: some may be unreadable even to root,
    // which would add to the line the other tests compare word for word.
    return std::make_unique<CProtection>(drive, CProtectedTrees(RealPath(m_drive->path("home/u"))),
                                         std::make_unique<CDpkgFileSource>(drive),
                                         bProcesses ? std::make_unique<CProcOpenFileSource>() : nullptr);
}

void TestProtectionE2E::init()
{
    CEventPump::SetDefaultInterval(15);
    m_answers = std::make_unique<QObject>();
    m_drive = std::make_unique<TempDrive>();
    QVERIFY(m_drive->isValid());
    for (const QList<QByteArray> *files : {&kExpressListed, &kPackageOwned, &kProtectedFolder}) {
        for (const QByteArray &file : *files)
            QVERIFY(m_drive->makeFile(file, 100 + file.size()));
    }
    QVERIFY(m_drive->makeFile("docs/keep.txt", 10)); // matches nothing
    // The list names the diverted file by its original path; the diversion
    // put it at Temp/tool.distrib, and a local file took the original name.
    QVERIFY(WriteDpkgDatabase(m_drive->root(), {{"pkg", "/.\n/Temp\n/Temp/owned.txt\n/Temp/tool\n"}},
                              "/Temp/tool\n/Temp/tool.distrib\n:\n"));

    m_scan = std::make_unique<CFileScan>();
    m_scan->m_strDrive = QFile::decodeName(m_drive->root());
    m_page = std::make_unique<CResultsPage>();
    m_page->SetScan(m_scan.get());
    m_page->SetProtectionFactory([this](const QByteArray &drive) { return MakeProtection(drive); });
    m_page->SetNow(kOldWorkNow);
    m_page->EnsureInitialized();
    m_page->resize(900, 600);
    m_page->show();
}

void TestProtectionE2E::cleanup()
{
    m_answers.reset();
    m_page.reset();
    m_scan.reset();
    m_drive.reset();
}

void TestProtectionE2E::Scan()
{
    QVERIFY(ScanToEnd(*m_page));
}

QSet<QByteArray> TestProtectionE2E::ListedPaths() const
{
    QSet<QByteArray> paths;
    const CResultsModel &model = *m_page->GetModel();
    for (int row = 0; row < model.rowCount(); ++row)
        paths.insert(model.GetStore().GetPath(model.GetItem(row)));
    return paths;
}

QSet<QByteArray> TestProtectionE2E::LockedPaths() const
{
    QSet<QByteArray> paths;
    const CResultsModel &model = *m_page->GetModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.IsLockedRow(row))
            paths.insert(model.GetStore().GetPath(model.GetItem(row)));
    }
    return paths;
}

QSet<QByteArray> TestProtectionE2E::Paths(const QList<QByteArray> &relative) const
{
    QSet<QByteArray> paths;
    for (const QByteArray &file : relative)
        paths.insert(m_drive->path(file));
    return paths;
}

QString TestProtectionE2E::ProtectedLine() const
{
    auto *label = m_page->GetDlgItemAs<QLabel>(IDC_PROTECTED_TEXT);
    return label ? label->text() : QStringLiteral("<no label>");
}

void TestProtectionE2E::expressNeverListsProtectedFiles()
{
    QVERIFY(m_drive->makeFile("Temp/tool", 5)); // the local file at the diverted path stays protected
    Scan();
    QCOMPARE(ListedPaths(), Paths(kExpressListed));
    QVERIFY(LockedPaths().isEmpty());
    QCOMPARE(m_page->GetSelectedCount(), kExpressListed.size());
    QCOMPARE(ProtectedLine(),
             QStringLiteral("Left out as protected : 8 files (owned by packages 3, protected folder 5)"));
    // The line sits between the list and the totals, inside the page.
    auto *label = m_page->GetDlgItemAs<QLabel>(IDC_PROTECTED_TEXT);
    QVERIFY(label->geometry().top() >= m_page->GetList()->geometry().bottom());
    QVERIFY(label->geometry().bottom() <= m_page->GetDlgItemAs<QLabel>(IDC_SELECTION_TEXT)->geometry().top());

    // A new activation starts with an empty line.
    m_page->SetProtectionFactory({});
    Scan();
    QCOMPARE(ProtectedLine(), QString());
}

void TestProtectionE2E::customListsThemLocked()
{
    m_scan->m_bExpress = 0;
    m_scan->m_bLocation = 1;
    m_scan->m_arrLocations = {QStringLiteral("*")};
    Scan();
    const QSet<QByteArray> protectedPaths = Paths(kPackageOwned) + Paths(kProtectedFolder);
    QCOMPARE(LockedPaths(), protectedPaths);
    // The database itself lies in var/lib of this drive, not in the system's
    // /var/lib: it is an ordinary folder here and is listed.
    QVERIFY(ListedPaths().contains(m_drive->path("var/lib/dpkg/info/pkg.list")));
    QVERIFY(ListedPaths().contains(m_drive->path("docs/keep.txt")));

    const CResultsModel &model = *m_page->GetModel();
    std::int64_t selectedBytes = 0;
    int selected = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const int item = model.GetItem(row);
        const QModelIndex cell = model.index(row, kColumnFile);
        if (model.IsLockedRow(row)) {
            QCOMPARE(m_page->GetList()->GetCheck(row), 0);
            const QString tip = model.index(row, kColumnLocation).data(Qt::ToolTipRole).toString();
            const bool owned = Paths(kPackageOwned).contains(model.GetStore().GetPath(item));
            QCOMPARE(tip, owned ? QStringLiteral("Protected (owned by packages): this file cannot be checked")
                                : QStringLiteral("Protected (protected folder): this file cannot be checked"));
            QVERIFY(!(cell.flags() & Qt::ItemIsUserCheckable));
        } else {
            QCOMPARE(m_page->GetList()->GetCheck(row), 1);
            QVERIFY(!cell.data(Qt::ToolTipRole).isValid());
            selectedBytes += model.GetStore().GetSize(item);
            ++selected;
        }
    }
    QCOMPARE(m_page->GetSelectedCount(), selected);
    QCOMPARE(m_page->GetSelectedBytes(), selectedBytes);
    QCOMPARE(ProtectedLine(), QStringLiteral("Locked as protected : 7 files (owned by packages 2, protected folder 5)"));

    // The locked box is drawn faded: it differs from an unchecked free one.
    int lockedRow = -1;
    int freeRow = -1;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.IsLockedRow(row) && lockedRow < 0)
            lockedRow = row;
        if (!model.IsLockedRow(row) && freeRow < 0)
            freeRow = row;
    }
    QVERIFY(lockedRow >= 0 && freeRow >= 0);
    CCheckBoxListCtrl *list = m_page->GetList();
    list->SetCheck(freeRow, false);
    list->selectionModel()->clearSelection();
    list->resize(list->width(), 40 * 24); // every row in view
    QCoreApplication::processEvents();
    const QRect freeBox = list->visualRect(model.index(freeRow, 0));
    const QRect lockedBox = list->visualRect(model.index(lockedRow, 0));
    QVERIFY(list->viewport()->rect().contains(freeBox) && list->viewport()->rect().contains(lockedBox));
    const QImage shot = list->viewport()->grab().toImage();
    const auto box = [&](const QRect &cell) {
        return shot.copy(QRect(cell.left(), cell.top(), CCheckBoxItemDelegate::kCheckCell, cell.height()));
    };
    QVERIFY(box(freeBox) != box(lockedBox));
}

void TestProtectionE2E::lockedRowsCannotBeCheckedByAnyMeans()
{
    m_scan->m_bExpress = 0;
    m_scan->m_bLocation = 1;
    m_scan->m_arrLocations = {QStringLiteral("*")};
    Scan();
    const CResultsModel &model = *m_page->GetModel();
    CCheckBoxListCtrl *list = m_page->GetList();
    QSignalSpy spy(list, &CCheckBoxListCtrl::checkChanged);
    const int selectedBefore = m_page->GetSelectedCount();
    const std::int64_t bytesBefore = m_page->GetSelectedBytes();

    // A click on each locked box, and a double-click on its name.
    for (int row = 0; row < model.rowCount(); ++row) {
        if (!model.IsLockedRow(row))
            continue;
        list->scrollTo(model.index(row, 0));
        const QRect cell = list->visualRect(model.index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(cell.left() + 8, cell.center().y()));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(cell.left() + 40, cell.center().y()));
        QCOMPARE(list->GetCheck(row), 0);
    }
    QCOMPARE(spy.count(), 0);

    // Check-all: every row through the list, then every row selected and Space.
    for (int row = 0; row < model.rowCount(); ++row)
        list->SetCheck(row, true);
    QCOMPARE(spy.count(), 0); // the free rows were checked already
    list->setFocus();
    list->selectAll();
    QTest::keyClick(list, Qt::Key_Space); // unchecks the free rows
    QCOMPARE(m_page->GetSelectedCount(), 0);
    QTest::keyClick(list, Qt::Key_Space); // checks them again, never the locked ones
    QCOMPARE(m_page->GetSelectedCount(), selectedBefore);
    QCOMPARE(m_page->GetSelectedBytes(), bytesBefore);
    for (int row = 0; row < model.rowCount(); ++row)
        QCOMPARE(list->GetCheck(row), model.IsLockedRow(row) ? 0 : 1);
    // Straight to the model, past the list.
    for (int row = 0; row < model.rowCount(); ++row)
        m_page->GetModel()->setData(model.index(row, kColumnFile), int(Qt::Checked), Qt::CheckStateRole);
    QCOMPARE(LockedPaths(), Paths(kPackageOwned) + Paths(kProtectedFolder));
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.IsLockedRow(row))
            QVERIFY(!model.GetCheck(row));
    }
    QCOMPARE(m_page->GetSelectedCount(), selectedBefore);
}

void TestProtectionE2E::actionsNeverReachLockedRows()
{
    m_scan->m_bExpress = 0;
    m_scan->m_bLocation = 1;
    m_scan->m_arrLocations = {QStringLiteral("*")};
    Scan();
    const QSet<QByteArray> locked = LockedPaths();
    QCOMPARE(locked.size(), kPackageOwned.size() + kProtectedFolder.size());
    const CResultStore &store = m_page->GetModel()->GetStore();

    // The loop hands the step free files only.
    CRecordingStep step;
    CActionRun(*m_page).Run(step);
    QVERIFY(!step.seen.isEmpty());
    for (int item : step.seen)
        QVERIFY2(!store.IsLocked(item), store.GetPath(item).constData());
    QCOMPARE(ListedPaths(), locked); // only the locked rows stay

    // Delete of everything that can be checked: the locked files stay on disk.
    Scan();
    AnswerModal<CMessageBoxDlg>(m_answers.get(), [](CMessageBoxDlg *box) { box->GetOkButton()->click(); });
    bool failedShown = false;
    AnswerModal<CFailedFilesDlg>(m_answers.get(), [&](CFailedFilesDlg *dlg) {
        failedShown = true;
        dlg->accept();
    });
    m_page->GetDeleteButton()->click();
    QVERIFY(!failedShown);
    QCOMPARE(ListedPaths(), locked);
    for (const QByteArray &path : locked)
        QVERIFY2(Exists(path), path.constData());
    QVERIFY(!Exists(m_drive->path("docs/keep.txt")));
    QCOMPARE(m_page->GetSelectedCount(), 0);
    QVERIFY(!m_page->GetDeleteButton()->isEnabled());

    // Eliminate with nothing checked leaves the locked rows listed.
    m_page->OnEliminate();
    QCOMPARE(ListedPaths(), locked);
}

void TestProtectionE2E::fileHeldOpenIsProtectedOnlyWhileOpen()
{
    QVERIFY(m_drive->makeFile("Temp/open.tmp", 50));
    const QByteArray path = m_drive->path("Temp/open.tmp");
    OpenFileHolder holder(path);
    QVERIFY(holder.isHolding());
    m_page->SetProtectionFactory([this](const QByteArray &drive) { return MakeProtection(drive, true); });

    Scan();
    QVERIFY(!ListedPaths().contains(path));
    QVERIFY(ProtectedLine().contains(QStringLiteral("in use 1")));

    holder.stop();
    Scan();
    QVERIFY(ListedPaths().contains(path));
    QVERIFY(!ProtectedLine().contains(QStringLiteral("in use")));
}

void TestProtectionE2E::protectedFilesStillCountInTheProgress()
{
    // Every file is walked and counted, protected or not.
    // The bar counts the blocks files hold, so the protected ones get real
    // data here: were they skipped, the bar would come up short.
    const auto allocated = [this](const QByteArray &relative) {
        struct stat st {};
        return ::lstat(m_drive->path(relative).constData(), &st) == 0 ? std::int64_t(st.st_blocks) * 512 : 0;
    };
    std::int64_t total = 0;
    std::int64_t protectedBytes = 0;
    for (const QList<QByteArray> *files : {&kExpressListed, &kPackageOwned, &kProtectedFolder}) {
        for (const QByteArray &file : *files) {
            if (files != &kExpressListed) {
                const int fd = ::open(m_drive->path(file).constData(), O_WRONLY | O_TRUNC);
                QVERIFY(fd >= 0);
                const QByteArray data(8192, 'p');
                QVERIFY(::write(fd, data.constData(), std::size_t(data.size())) == data.size());
                ::close(fd);
                protectedBytes += allocated(file);
            }
            total += allocated(file);
        }
    }
    QVERIFY(protectedBytes > 0);
    total += allocated("docs/keep.txt");
    for (const char *db : {"var/lib/dpkg/status", "var/lib/dpkg/info/format", "var/lib/dpkg/info/pkg.list",
                           "var/lib/dpkg/diversions"})
        total += allocated(db);

    struct Sink : CMatchSink
    {
        int listed = 0;
        void AddMatch(const ScanMatch &match) override { listed += match.protection == ProtectionReason::None; }
    } sink;
    CScanSession session(*m_scan, m_drive->root());
    session.SetProtectionFactory([this](const QByteArray &drive) { return MakeProtection(drive); });
    session.SetListProtectedLocked(false);
    session.SetNow(kOldWorkNow);
    ByteBarScanDlg dlg; // a bar of bytes: those of protected files must be in it
    dlg.Create(m_page.get(), m_drive->root());
    const ScanOutcome outcome = session.Run(sink, dlg);
    QVERIFY(!outcome.rootUnavailable);
    dlg.hide();
    QCOMPARE(std::int64_t(dlg.GetDone()), total);
    QCOMPARE(sink.listed, kExpressListed.size());
    QCOMPARE(outcome.LeftOutCount(), kPackageOwned.size() + kProtectedFolder.size());
}

void TestProtectionE2E::withoutProtectionEverythingMatchingIsListed()
{
    m_page->SetProtectionFactory({});
    Scan();
    // Express's own rules list the owned and guarded files once nothing protects them.
    QVERIFY(ListedPaths().contains(m_drive->path("a/site-packages/pkg/debug/x.js")));
    QVERIFY(ListedPaths().contains(m_drive->path("Temp/owned.txt")));
    QVERIFY(LockedPaths().isEmpty());
    QCOMPARE(ProtectedLine(), QString());
}

void TestProtectionE2E::aSlowLoadLetsTheWalkGoOnAndDecidesAlike_data()
{
    QTest::addColumn<bool>("express");
    QTest::addColumn<int>("mostKept");
    QTest::addColumn<bool>("walkAhead"); // the walk meets every file before the lists are read
    QTest::newRow("Express") << true << 16384 << true;
    QTest::newRow("Custom") << false << 16384 << true;
    // Past the matches it may keep, the walk waits for the lists after all.
    QTest::newRow("Express, two kept") << true << 2 << false;
    QTest::newRow("Custom, none kept") << false << 0 << false;
}

void TestProtectionE2E::aSlowLoadLetsTheWalkGoOnAndDecidesAlike()
{
    // The matches met while the protection is read are judged once it is,
    // with the walk's chain as it was then: every verdict (package, held
    // open, protected folder, backup repository found from the chain, live
    // work) and the order must be those of a scan that waited.
    QFETCH(bool, express);
    QFETCH(int, mostKept);
    QFETCH(bool, walkAhead);
    QVERIFY(m_drive->makeFile("Temp/borg/data/0/17", 10) && m_drive->makeFile("Temp/live/new.tmp", 10));
    QVERIFY(WriteFile(m_drive->path("Temp/borg/README"), "This is a Borg Backup repository.\n"));
    QVERIFY(WriteFile(m_drive->path("Temp/borg/config"), "[repository]\n"));
    for (int i = 0; i < 40; ++i)
        QVERIFY(m_drive->makeFile("Temp/many/f" + QByteArray::number(i) + ".tmp", 10));
    OpenFileHolder holder(m_drive->path("docs/old.bak"));
    QVERIFY(holder.isHolding());
    if (!express) { // every file
        m_scan->m_bExpress = 0;
        m_scan->m_bSize = 1;
        m_scan->m_nSizeMode = 2;
        m_scan->m_nSizeFrom = 0;
    }
    const std::int64_t now = std::time(nullptr); // the new files are live work

    const auto run = [&](CScanSession::ProtectionFactory factory, CCountingProgress &progress) {
        CRecordingSink sink;
        CScanSession session(*m_scan, m_drive->root());
        session.SetProtectionFactory(std::move(factory));
        session.SetNow(now);
        session.SetMostDeferred(std::size_t(mostKept));
        const ScanOutcome outcome = session.Run(sink, progress);
        return std::make_pair(sink.lines, outcome);
    };
    CCountingProgress waited;
    const auto [expected, expectedOutcome] = run(
        [this](const QByteArray &drive) {
            std::unique_ptr<CProtection> protection = MakeProtection(drive, true);
            protection->Load();
            return protection;
        },
        waited);
    QVERIFY(expectedOutcome.LeftOutCount() + (express ? 0 : 1) > 0);

    CCountingProgress progress;
    std::atomic<bool> ahead{false};
    const auto patience = std::chrono::milliseconds(walkAhead ? 20000 : 200);
    const auto [lines, outcome] = run(
        [&](const QByteArray &drive) {
            auto source =
                std::make_unique<CSlowPackageSource>(drive, progress.met, waited.met.load(), patience, ahead);
            return std::make_unique<CProtection>(drive, CProtectedTrees(RealPath(m_drive->path("home/u"))),
                                                 std::move(source), std::make_unique<CProcOpenFileSource>());
        },
        progress);
    QCOMPARE(ahead.load(), walkAhead);
    QCOMPARE(lines, expected);
    // Handed on after the walk, the kept matches leave the window answering
    // between any two of them.
    if (walkAhead)
        QVERIFY(progress.turnsSinceLastFile >= lines.size());
    QCOMPARE(outcome.protectedCounts, expectedOutcome.protectedCounts);
    QCOMPARE(outcome.examined, expectedOutcome.examined);
    // The scan that waited saw each kind of verdict: Express leaves out
    // the file held open and the backup, and lists live work unchecked;
    // Custom lists them locked, and nothing unchecked.
    const QByteArray all = expected.join('\n');
    QVERIFY(all.contains("Temp/free.txt 0"));
    for (const char *seen : {"old.bak 2 open", "borg/data/0/17 4", "live/new.tmp 0 unchecked"})
        QVERIFY2(all.contains(seen) == (std::strstr(seen, "unchecked") ? express : !express), seen);
}

QTEST_MAIN(TestProtectionE2E)
#include "tst_protection_e2e.moc"
