// Data that files share with other files (reflinked copies) or with
// snapshots comes back only when every owner goes: the forecast reads as a
// range, "frees about X (up to Y)", and an action's measured gain lies in it.
#include "DeleteChecked.h"
#include "LoopImage.h"
#include "ResultsPageOnDrive.h"
#include "ScanIntoStore.h"

#include "core/CCsvListWriter.h"
#include "core/CFileScan.h"
#include "core/CFreeForecast.h"
#include "core/CResultStore.h"
#include "core/CResultsModel.h"
#include "core/CScanSession.h"
#include "core/FreesText.h"
#include "platform/CBtrfsSharedFiles.h"
#include "platform/CBtrfsSnapshots.h"
#include "platform/CFileExtents.h"
#include "res/ResourceIds.h"
#include "results/CReasonsDlg.h"
#include "results/CResultsPage.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardItemModel>
#include <QtTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kMB = 1048576;

struct Spec
{
    std::int64_t allocated = 0;
    std::uint32_t links = 1;
    bool open = false;
    bool checked = true;
    std::vector<SharedExtent> shared;
};
using Specs = std::vector<Spec>;

// A scan of `root` into `store` through the scan session, as the front ends
// run it.
struct StoreSink : CMatchSink, CScanProgress
{
    explicit StoreSink(CResultStore &store) : m_store(store) {}
    void AddMatch(const ScanMatch &match) override
    {
        if (match.protection == ProtectionReason::None)
            m_store.AddResult(match.record, match.why, match.heldOpen);
    }
    CResultStore &m_store;
};

ScanOutcome ScanIntoStoreBySession(const QByteArray &root, CResultStore &store)
{
    CFileScan criteria = ExpressScanOf(root);
    CScanSession session(criteria, root);
    StoreSink sink(store);
    return session.Run(sink, sink);
}

int IndexOf(const CResultStore &store, const QByteArray &path)
{
    for (int i = 0; i < store.GetCount(); ++i) {
        if (store.GetPath(i) == path)
            return i;
    }
    return -1;
}

int RowOf(const CResultsModel &model, int item)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.GetItem(row) == item)
            return row;
    }
    return -1;
}

QString FreesLabel(CResultsPage &page)
{
    return page.GetDlgItemAs<QLabel>(IDC_FREES_TEXT)->text();
}

} // namespace

Q_DECLARE_METATYPE(Specs)

class TestSharedExtents : public QObject
{
    Q_OBJECT

private slots:
    void rangeFollowsTheOwners_data();
    void rangeFollowsTheOwners();
    void ownersThatGoAndCopiesThatComeBack();
    void extentsAreReadOnlyFromTheListedFile();
    void snapshotsAreFoundAsRootAndAsAnyUser();
    void btrfsCopiesAndSnapshots();
    void xfsCopies();
    void matchesComeInWalkOrderWithWhatTheyShare();
    void recordsNameEveryFileWhoseMapShares();
};

void TestSharedExtents::rangeFollowsTheOwners_data()
{
    QTest::addColumn<Specs>("files");
    QTest::addColumn<qint64>("sure");
    QTest::addColumn<qint64>("upTo");
    const SharedExtent p1{4096 * 100, std::uint64_t(64 * kMB), false};
    const SharedExtent a{4096 * 200, std::uint64_t(32 * kMB), false};
    const SharedExtent b{4096 * 300, std::uint64_t(32 * kMB), false};
    SharedExtent kept = p1;
    kept.kept = true;
    const SharedExtent inlined{0, 4096, false};
    QTest::newRow("nothing shared") << Specs{{64 * kMB, 1, false, true, {}}} << qint64(64 * kMB) << qint64(64 * kMB);
    QTest::newRow("lone copy") << Specs{{64 * kMB, 1, false, true, {p1}}} << qint64(0) << qint64(64 * kMB);
    QTest::newRow("both copies") << Specs{{64 * kMB, 1, false, true, {p1}}, {64 * kMB, 1, false, true, {p1}}}
                                 << qint64(64 * kMB) << qint64(64 * kMB);
    QTest::newRow("one copy unchecked") << Specs{{64 * kMB, 1, false, true, {p1}}, {64 * kMB, 1, false, false, {p1}}}
                                        << qint64(0) << qint64(64 * kMB);
    QTest::newRow("partly shared") << Specs{{80 * kMB, 1, false, true, {p1}}} << qint64(16 * kMB) << qint64(80 * kMB);
    QTest::newRow("one run of two with its twin")
        << Specs{{64 * kMB, 1, false, true, {a, b}}, {32 * kMB, 1, false, true, {a}}} << qint64(32 * kMB)
        << qint64(64 * kMB);
    QTest::newRow("kept by a snapshot") << Specs{{64 * kMB, 1, false, true, {kept}}, {64 * kMB, 1, false, true, {kept}}}
                                        << qint64(0) << qint64(64 * kMB);
    QTest::newRow("inline data") << Specs{{4096, 1, false, true, {inlined}}, {4096, 1, false, true, {inlined}}}
                                 << qint64(0) << qint64(8192);
    // Its other link may stay: its data never surely comes back, and still
    // counts once at most.
    QTest::newRow("several links") << Specs{{64 * kMB, 2, false, true, {p1}}, {64 * kMB, 1, false, true, {p1}}}
                                   << qint64(0) << qint64(64 * kMB);
    QTest::newRow("held open") << Specs{{64 * kMB, 1, true, true, {p1}}, {64 * kMB, 1, false, true, {p1}}} << qint64(0)
                               << qint64(64 * kMB);
    QTest::newRow("one run used twice") << Specs{{128 * kMB, 1, false, true, {p1, p1}}} << qint64(0) << qint64(64 * kMB);
    // Where the file system counted the owners, every one must be met.
    SharedExtent ownedBy1 = p1, ownedBy2 = p1, ownedBy3 = p1;
    ownedBy1.owners = 1;
    ownedBy2.owners = 2;
    ownedBy3.owners = 3;
    QTest::newRow("counted: its only owner") << Specs{{128 * kMB, 1, false, true, {ownedBy1, ownedBy1}}}
                                             << qint64(64 * kMB) << qint64(64 * kMB);
    QTest::newRow("counted: both owners") << Specs{{64 * kMB, 1, false, true, {ownedBy2}}, {64 * kMB, 1, false, true, {ownedBy2}}}
                                          << qint64(64 * kMB) << qint64(64 * kMB);
    QTest::newRow("counted: two of three owners")
        << Specs{{64 * kMB, 1, false, true, {ownedBy3}}, {64 * kMB, 1, false, true, {ownedBy3}}} << qint64(0)
        << qint64(64 * kMB);
}

void TestSharedExtents::rangeFollowsTheOwners()
{
    QFETCH(Specs, files);
    QFETCH(qint64, sure);
    QFETCH(qint64, upTo);
    CFreeForecast forecast;
    std::vector<int> checked;
    for (const Spec &file : files) {
        const int index = forecast.AddFile(1, ino_t(100 + forecast.GetCount()), file.allocated, file.links, file.open,
                                           file.checked, &file.shared);
        if (file.checked)
            checked.push_back(index);
    }
    QCOMPARE(forecast.GetForecast(), sure);
    QCOMPARE(forecast.GetUpTo(), upTo);
    std::int64_t freedUpTo = -1;
    QCOMPARE(forecast.FreedBy(checked, &freedUpTo), sure);
    QCOMPARE(freedUpTo, upTo);
    // Unchecking everything and checking it again lands on the same range.
    for (int i = 0; i < forecast.GetCount(); ++i)
        forecast.SetChecked(i, false);
    QCOMPARE(forecast.GetForecast(), 0);
    QCOMPARE(forecast.GetUpTo(), 0);
    for (const int i : checked)
        forecast.SetChecked(i, true);
    QCOMPARE(forecast.GetForecast(), sure);
    QCOMPARE(forecast.GetUpTo(), upTo);
}

void TestSharedExtents::ownersThatGoAndCopiesThatComeBack()
{
    const std::vector<SharedExtent> shared{{8192, std::uint64_t(64 * kMB), false}};
    CFreeForecast forecast;
    const int a = forecast.AddFile(1, 10, 64 * kMB, 1, false, true, &shared);
    const int b = forecast.AddFile(1, 11, 64 * kMB, 1, false, true, &shared);
    std::int64_t upTo = 0;
    QCOMPARE(forecast.FreedBy({a}, &upTo), 0);
    QCOMPARE(upTo, 64 * kMB);
    QCOMPARE(forecast.GetSharedBytes(a), 64 * kMB);
    QCOMPARE(forecast.GetAllocatedBytes(a), 64 * kMB);
    // Its twin deleted, the copy left owns the data alone.
    forecast.RemoveLink(b);
    QCOMPARE(forecast.GetForecast(), 64 * kMB);
    QCOMPARE(forecast.FreedBy({a, b}, &upTo), 64 * kMB);
    QCOMPARE(upTo, 64 * kMB);
    // Moved back from another file system: a file of its own, unchecked.
    forecast.Restore(b);
    QCOMPARE(forecast.GetSharedBytes(b), 0);
    QCOMPARE(forecast.GetAllocatedBytes(b), 64 * kMB);
    QCOMPARE(forecast.GetForecast(), 64 * kMB);
    forecast.SetChecked(b, true);
    QCOMPARE(forecast.GetForecast(), 128 * kMB);
    QCOMPARE(forecast.GetUpTo(), 128 * kMB);
    forecast.Clear();
    QCOMPARE(forecast.GetUpTo(), 0);
}

void TestSharedExtents::extentsAreReadOnlyFromTheListedFile()
{
    LoopImage image(LoopImage::Btrfs);
    if (!image.isMounted())
        QSKIP(image.whyNot().constData());
    QVERIFY(LoopImage::WriteData(image.path("orig"), 4 * kMB));
    QVERIFY(LoopImage::Reflink(image.path("orig"), image.path("copy")));
    QVERIFY(LoopImage::WriteData(image.path("own"), kMB));
    QVERIFY(image.Sync());
    // Records as the walk makes them, with the whole identity.
    const auto recordOf = [&](const QByteArray &name) {
        WalkRecord record;
        record.folder = image.root();
        record.name = name;
        struct statx st;
        ::statx(AT_FDCWD, image.path(name).constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st);
        record.identity = FileIdentity::FromStatx(st);
        record.allocatedBytes = std::int64_t(st.stx_blocks) * 512;
        return record;
    };
    CFileExtents extents(image.root());
    std::vector<SharedExtent> copy;
    std::vector<SharedExtent> orig;
    QCOMPARE(extents.ReadShared(recordOf("copy"), copy), CFileExtents::Result::Read);
    QCOMPARE(extents.ReadShared(recordOf("orig"), orig), CFileExtents::Result::Read);
    QVERIFY(!copy.empty());
    QCOMPARE(copy, orig);
    std::uint64_t bytes = 0;
    for (const SharedExtent &extent : copy)
        bytes += extent.length;
    QCOMPARE(bytes, std::uint64_t(4 * kMB));
    std::vector<SharedExtent> own{{1, 1, false}};
    QCOMPARE(extents.ReadShared(recordOf("own"), own), CFileExtents::Result::Read);
    QVERIFY(own.empty());

    // Another file in its place, a link in its place, a folder on the way
    // turned into a link: never read.
    const WalkRecord listed = recordOf("own");
    QCOMPARE(::unlink(image.path("own").constData()), 0);
    QVERIFY(LoopImage::WriteData(image.path("own"), kMB));
    QCOMPARE(extents.ReadShared(listed, own), CFileExtents::Result::Changed);
    const WalkRecord linked = recordOf("copy");
    QCOMPARE(::rename(image.path("copy").constData(), image.path("moved").constData()), 0);
    QCOMPARE(::symlink("moved", image.path("copy").constData()), 0);
    QCOMPARE(extents.ReadShared(linked, own), CFileExtents::Result::Changed);
    QCOMPARE(::mkdir(image.path("real").constData(), 0755), 0);
    QVERIFY(LoopImage::Reflink(image.path("orig"), image.path("real/deep")));
    WalkRecord deep = recordOf("real/deep");
    deep.folder = image.path("via");
    deep.name = "deep";
    QCOMPARE(::symlink("real", image.path("via").constData()), 0);
    QCOMPARE(extents.ReadShared(deep, own), CFileExtents::Result::Changed);
    // A file outside the drive is never opened, whatever its record says.
    WalkRecord outside = recordOf("orig");
    outside.folder = "/etc";
    QCOMPARE(extents.ReadShared(outside, own), CFileExtents::Result::Unavailable);
    // Reading the map leaves the access time alone.
    struct stat before;
    QCOMPARE(::stat(image.path("orig").constData(), &before), 0);
    QTest::qWait(20);
    QCOMPARE(extents.ReadShared(recordOf("orig"), own), CFileExtents::Result::Read);
    struct stat after;
    QCOMPARE(::stat(image.path("orig").constData(), &after), 0);
    QCOMPARE(after.st_atim.tv_nsec, before.st_atim.tv_nsec);
    QCOMPARE(after.st_atim.tv_sec, before.st_atim.tv_sec);
}

void TestSharedExtents::snapshotsAreFoundAsRootAndAsAnyUser()
{
    QCOMPARE(CBtrfsSnapshots::Find(QFile::encodeName(QDir::tempPath())), CBtrfsSnapshots::Answer::Unknown);
    LoopImage image(LoopImage::Btrfs);
    if (!image.isMounted())
        QSKIP(image.whyNot().constData());
    QVERIFY(image.MakeSubvolume("vol"));
    QVERIFY(LoopImage::Run({"mkdir", "-p", image.path("vol/snaps"), image.path("vol/plain")}));
    // A writable snapshot is a copy, not a backup; a subvolume of its own
    // is no snapshot.
    QVERIFY(LoopImage::Run({"btrfs", "-q", "subvolume", "snapshot", image.path("vol"), image.path("vol/snaps/rw")}));
    QVERIFY(image.MakeSubvolume("vol/plain/sub"));
    for (const bool whole : {true, false}) {
        QCOMPARE(CBtrfsSnapshots::Find(image.path("vol"), whole), CBtrfsSnapshots::Answer::None);
        QCOMPARE(CBtrfsSnapshots::Find(image.root(), whole), CBtrfsSnapshots::Answer::None);
    }
    // Kept inside the subvolume, as snapshot tools keep them, it is found
    // either way; kept beside it, only by a search of the whole file system.
    QVERIFY(image.MakeSnapshot("vol", "vol/snaps/one"));
    QCOMPARE(CBtrfsSnapshots::Find(image.path("vol"), true), CBtrfsSnapshots::Answer::Some);
    QCOMPARE(CBtrfsSnapshots::Find(image.path("vol"), false), CBtrfsSnapshots::Answer::Some);
    QVERIFY(image.MakeSnapshot("vol/plain/sub", "sub-snapshot"));
    QCOMPARE(CBtrfsSnapshots::Find(image.path("vol/plain/sub"), true), CBtrfsSnapshots::Answer::Some);
    QCOMPARE(CBtrfsSnapshots::Find(image.root(), true), CBtrfsSnapshots::Answer::None);
}

void TestSharedExtents::btrfsCopiesAndSnapshots()
{
    LoopImage image(LoopImage::Btrfs);
    if (!image.isMounted())
        QSKIP(image.whyNot().constData());
    // A copy whose original is not listed, and a pair whose both copies are.
    QVERIFY(LoopImage::Run({"mkdir", "-p", image.path("docs"), image.path("Cache")}));
    QVERIFY(LoopImage::WriteData(image.path("docs/orig.bin"), 64 * kMB, 'a'));
    QVERIFY(LoopImage::Reflink(image.path("docs/orig.bin"), image.path("Cache/copy.bin")));
    QVERIFY(LoopImage::WriteData(image.path("Cache/pair1"), 16 * kMB, 'b'));
    QVERIFY(LoopImage::Reflink(image.path("Cache/pair1"), image.path("Cache/pair2")));
    QVERIFY(image.Sync());

    CFileScan scan;
    auto page = ShowResultsPage(scan, image.root());
    QVERIFY(ScanToEnd(*page));
    CResultsModel &model = *page->GetModel();
    const CResultStore &store = model.GetStore();
    QCOMPARE(store.GetCount(), 3);
    QCOMPARE(FreesLabel(*page), QStringLiteral("frees about 16 MB (up to 80 MB)"));
    const int copy = IndexOf(store, image.path("Cache/copy.bin"));
    const int pair2 = IndexOf(store, image.path("Cache/pair2"));
    model.SetCheckItems({pair2}, false);
    QCOMPARE(FreesLabel(*page), QStringLiteral("frees about 0 B (up to 80 MB)"));
    model.SetCheckItems({copy}, false);
    model.SetCheckItems({pair2}, true);
    QCOMPARE(FreesLabel(*page), QStringLiteral("frees about 16 MB"));
    model.SetCheckItems({copy}, true);
    model.SetCheckItems({pair2}, false);
    QCOMPARE(model.data(model.index(RowOf(model, copy), 0), Qt::ToolTipRole).toString(),
             QStringLiteral("64 MB of its data is shared with other files or snapshots"));
    QVERIFY(page->GetDlgItemAs<QLabel>(IDC_SPACE_NOTES_TEXT)->text().isEmpty());
    // The reasons window: the one reason's files free the pair's data
    // surely; the lone copy's is shared with a file outside them.
    {
        CReasonsDlg reasons(model);
        const QStandardItemModel *rows = reasons.GetReasonModel();
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(rows->horizontalHeaderItem(4)->text(), QStringLiteral("Shared"));
        QCOMPARE(rows->item(0, 3)->text(), QStringLiteral("16 MB"));
        QCOMPARE(rows->item(0, 4)->text(), QStringLiteral("64 MB"));
    }

    // Deleted, each frees what the range said, measured on the settled file
    // system: the pair's data comes back, the lone copy's does not.
    CResultStore deleting;
    ScanIntoStoreBySession(image.root(), deleting);
    const ActionOutcome outcome = DeleteChecked(deleting, image.root());
    QCOMPARE(outcome.done, 3);
    QVERIFY(outcome.measured);
    QCOMPARE(outcome.forecastFreedBytes, 16 * kMB);
    qInfo("btrfs copies: forecast %lld measured %lld", (long long)outcome.forecastFreedBytes,
          (long long)outcome.measuredFreedBytes);
    QVERIFY(outcome.measuredFreedBytes >= outcome.forecastFreedBytes * 99 / 100);
    QVERIFY(outcome.measuredFreedBytes <= 80 * kMB + kMB);

    // Snapshots keep what they share: the files written before the
    // snapshot free nothing surely, one written after frees its own.
    QVERIFY(image.MakeSubvolume("vol"));
    QVERIFY(LoopImage::Run({"mkdir", "-p", image.path("vol/Cache")}));
    for (const char *name : {"vol/Cache/s1", "vol/Cache/s2", "vol/Cache/s3"})
        QVERIFY(LoopImage::WriteData(image.path(name), 8 * kMB, 'c'));
    QVERIFY(image.Sync());
    QVERIFY(image.MakeSnapshot("vol", "vol-snapshot"));
    QVERIFY(LoopImage::WriteData(image.path("vol/Cache/late"), 8 * kMB, 'd'));
    QVERIFY(image.Sync());
    auto volPage = ShowResultsPage(scan, image.path("vol"));
    QVERIFY(ScanToEnd(*volPage));
    QCOMPARE(FreesLabel(*volPage), QStringLiteral("frees about 8 MB (up to 32 MB)"));
    QCOMPARE(volPage->GetDlgItemAs<QLabel>(IDC_SPACE_NOTES_TEXT)->text(),
             QStringLiteral("Snapshots of this drive keep some of this space until they are removed."));
    CResultStore vol;
    const ScanOutcome volScan = ScanIntoStoreBySession(image.path("vol"), vol);
    QVERIFY(volScan.snapshots);
    QCOMPARE(volScan.sharedFiles, std::int64_t(3));
    const ActionOutcome volOutcome = DeleteChecked(vol, image.path("vol"));
    qInfo("btrfs snapshot: forecast %lld measured %lld", (long long)volOutcome.forecastFreedBytes,
          (long long)volOutcome.measuredFreedBytes);
    QCOMPARE(volOutcome.forecastFreedBytes, 8 * kMB);
    QVERIFY(volOutcome.measuredFreedBytes >= 8 * kMB * 99 / 100);
    QVERIFY(volOutcome.measuredFreedBytes <= 32 * kMB + kMB);
}

void TestSharedExtents::xfsCopies()
{
    LoopImage image(LoopImage::Xfs);
    if (!image.isMounted())
        QSKIP(image.whyNot().constData());
    QVERIFY(LoopImage::Run({"mkdir", "-p", image.path("docs"), image.path("Cache")}));
    QVERIFY(LoopImage::WriteData(image.path("docs/orig.bin"), 64 * kMB, 'a'));
    QVERIFY(LoopImage::Reflink(image.path("docs/orig.bin"), image.path("Cache/copy.bin")));
    QVERIFY(image.Sync());
    CFileScan scan;
    auto page = ShowResultsPage(scan, image.root());
    QVERIFY(ScanToEnd(*page));
    QCOMPARE(FreesLabel(*page), QStringLiteral("frees about 0 B (up to 64 MB)"));
    // The original moved into the list: both copies checked free it all.
    QCOMPARE(::rename(image.path("docs/orig.bin").constData(), image.path("Cache/orig.bin").constData()), 0);
    QVERIFY(ScanToEnd(*page));
    QCOMPARE(FreesLabel(*page), QStringLiteral("frees about 64 MB"));
    const QByteArray csv = CCsvListWriter::Write(page->GetModel()->GetStore(), {0, 1});
    QVERIFY2(csv.contains(",frees_min,frees_max\r\n"), csv.constData());
    // Either copy alone frees none of the shared data, and at most all of it.
    QCOMPARE(csv.count(",0,67108864\r\n"), 2);

    CResultStore store;
    ScanIntoStoreBySession(image.root(), store);
    const ActionOutcome outcome = DeleteChecked(store, image.root());
    qInfo("xfs copies: forecast %lld measured %lld", (long long)outcome.forecastFreedBytes,
          (long long)outcome.measuredFreedBytes);
    QCOMPARE(outcome.forecastFreedBytes, 64 * kMB);
    QVERIFY(outcome.measuredFreedBytes >= 64 * kMB * 99 / 100);
    QVERIFY(outcome.measuredFreedBytes <= 64 * kMB + kMB);
}

void TestSharedExtents::matchesComeInWalkOrderWithWhatTheyShare()
{
    // More matches than one batch of the readers holds: every fifth file a
    // reflinked copy of the one before it. Read or not, the same matches
    // come in the same order; read, exactly the copies and their
    // originals share data.
    LoopImage image(LoopImage::Btrfs);
    if (!image.isMounted())
        QSKIP(image.whyNot().constData());
    QVERIFY(LoopImage::Run({"mkdir", "-p", image.path("Cache")}));
    QSet<QByteArray> sharing;
    for (int i = 0; i < 400; ++i) {
        const QByteArray path = image.path("Cache/f" + QByteArray::number(i));
        if (i % 5 == 4) {
            const QByteArray original = image.path("Cache/f" + QByteArray::number(i - 1));
            QVERIFY(LoopImage::Reflink(original, path));
            sharing << original << path;
        } else {
            QVERIFY(LoopImage::WriteData(path, 8192 + 4096 * (i % 3), char('a' + i % 20)));
        }
    }
    QVERIFY(image.Sync());
    struct Recorder : CMatchSink, CScanProgress
    {
        void AddMatch(const ScanMatch &match) override
        {
            order.append(match.record.folder + '/' + match.record.name);
            if (!match.record.sharedExtents.empty())
                shared.insert(order.last());
        }
        QByteArrayList order;
        QSet<QByteArray> shared;
    };
    const auto scan = [&](bool read, Recorder &recorder) {
        CFileScan criteria = ExpressScanOf(image.root());
        CScanSession session(criteria, image.root());
        session.SetProtectionFactory({});
        session.SetReadSharedData(read);
        return session.Run(recorder, recorder);
    };
    Recorder plain, read;
    QCOMPARE(scan(false, plain).sharedFiles, std::int64_t(0));
    const ScanOutcome outcome = scan(true, read);
    QCOMPARE(plain.order.size(), 400);
    QCOMPARE(read.order, plain.order);
    QVERIFY(plain.shared.isEmpty());
    QCOMPARE(read.shared, sharing);
    QCOMPARE(outcome.sharedFiles, std::int64_t(sharing.size()));
}

void TestSharedExtents::recordsNameEveryFileWhoseMapShares()
{
    // As root, the file system's records of who refers to each extent say
    // which files may share, and only those are mapped. Whatever the way,
    // every listed file must come with the same shared runs as when every
    // file is mapped, and the records must leave out files that own all
    // their data (else they save nothing).
    LoopImage image(LoopImage::Btrfs);
    if (!image.isMounted())
        QSKIP(image.whyNot().constData());
    const auto write = [&](const QByteArray &relative, std::int64_t size, char fill) {
        return LoopImage::WriteData(image.path(relative), size, fill);
    };
    // Clones `length` bytes of `from` at 0 into `to` at `at` (the same file
    // may be both).
    const auto cloneRange = [&](const QByteArray &from, const QByteArray &to, std::int64_t at, std::int64_t length) {
        const int source = ::open(image.path(from).constData(), O_RDONLY | O_CLOEXEC);
        const int target = ::open(image.path(to).constData(), O_RDWR | O_CLOEXEC);
        file_clone_range range{source, 0, std::uint64_t(length), std::uint64_t(at)};
        const bool ok = source >= 0 && target >= 0 && ::ioctl(target, FICLONERANGE, &range) == 0;
        ::close(source);
        ::close(target);
        return ok;
    };
    const auto reflink = [&](const QByteArray &from, const QByteArray &to) {
        return LoopImage::Reflink(image.path(from), image.path(to));
    };
    for (const char *volume : {"plain", "cross", "snapped"})
        QVERIFY(image.MakeSubvolume(volume));
    QVERIFY(write("plain/a", 64 * 1024, 'a') && reflink("plain/a", "plain/a-copy"));
    QVERIFY(write("plain/inline", 1000, 'i') && write("plain/own", 20 * 1024, 'o') && write("plain/own2", 12 * 1024, 'p'));
    // Part of one file cloned into another, and a file cloned into itself.
    QVERIFY(write("plain/part", 16 * 1024, 'q') && cloneRange("plain/own2", "plain/part", 0, 8192));
    QVERIFY(write("plain/self", 16 * 1024, 's') && cloneRange("plain/self", "plain/self", 16 * 1024, 4096));
    // Enough copies of one file that its extent keeps references apart.
    QVERIFY(write("plain/many", 4096, 'm'));
    for (int i = 0; i < 60; ++i)
        QVERIFY(reflink("plain/many", "plain/many" + QByteArray::number(i)));
    // Copies from another subvolume, whose original the scan does not list.
    QVERIFY(reflink("plain/own", "cross/from-plain") && write("cross/own", 12 * 1024, 'c'));
    // Files a snapshot shares, one written after it, one rewritten after it.
    QVERIFY(write("snapped/old", 12 * 1024, 'x') && write("snapped/rewritten", 12 * 1024, 'y'));
    // Enough files that the snapshot shares whole leaves of the tree, whose
    // references then name the leaf rather than a file.
    for (int i = 0; i < 300; ++i)
        QVERIFY(write("snapped/f" + QByteArray::number(i), 4096, 'f'));
    QVERIFY(image.Sync());
    QVERIFY(image.MakeSnapshot("snapped", "snapped-ro"));
    QVERIFY(write("snapped/new", 12 * 1024, 'z') && write("snapped/rewritten", 12 * 1024, 'w'));
    QVERIFY(image.Sync());
    // Made a moment before the scan: its references are still pending.
    QVERIFY(reflink("plain/own", "plain/own-late"));

    CFileScan criteria;
    criteria.m_bExpress = 0;
    criteria.m_bSize = 1;
    criteria.m_nSizeMode = 2;
    criteria.m_nSizeFrom = 0;
    struct Recorder : CMatchSink, CScanProgress
    {
        void AddMatch(const ScanMatch &match) override
        {
            shared[match.record.name] = match.record.sharedExtents;
            records[match.record.name] = match.record;
        }
        QMap<QByteArray, std::vector<SharedExtent>> shared;
        QMap<QByteArray, WalkRecord> records;
        // What checking exactly `names` surely frees, and at most.
        std::pair<std::int64_t, std::int64_t> Frees(const QByteArrayList &names) const
        {
            CFreeForecast forecast;
            for (const QByteArray &name : names) {
                const WalkRecord &record = records[name];
                forecast.AddFile(record.device, record.inode, record.allocatedBytes, record.linkCount, false, true,
                                 &record.sharedExtents);
            }
            return {forecast.GetForecast(), forecast.GetUpTo()};
        }
    };
    const struct
    {
        const char *root;
        QByteArrayList mustShare;
        QByteArrayList ownAlone; // must not even be mapped
    } rows[] = {
        {"plain", {"a", "a-copy", "own", "own-late", "own2", "part", "many", "many59"}, {"inline"}},
        {"cross", {"from-plain"}, {"own"}},
        // The snapshot's references to what "rewritten" held still name
        // its inode: it is mapped, and found to own its new data alone.
        {"snapped", {"old"}, {"new"}},
        {"snapped-ro", {"old"}, {}},
    };
    for (const auto &row : rows) {
        const QByteArray root = image.path(row.root);
        criteria.m_strDrive = QFile::decodeName(root);
        Recorder records, maps;
        for (Recorder *recorder : {&records, &maps}) {
            CScanSession session(criteria, root);
            session.SetProtectionFactory({});
            session.SetMapEveryFile(recorder == &maps);
            session.Run(*recorder, *recorder);
        }
        QVERIFY2(records.shared == maps.shared, row.root);
        for (const QByteArray &name : row.mustShare)
            QVERIFY2(!maps.shared.value(name).empty(), row.root + ('/' + name));

        const int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        CBtrfsSharedFiles files;
        QVERIFY(files.Read(fd));
        ::close(fd);
        int named = 0;
        for (auto it = maps.shared.cbegin(); it != maps.shared.cend(); ++it) {
            struct stat st;
            QVERIFY(::stat(root + '/' + it.key(), &st) == 0);
            const bool mayShare = files.MayShare(st.st_dev, st.st_ino);
            named += mayShare;
            QVERIFY2(mayShare || it.value().empty(), row.root + ('/' + it.key()));
            QVERIFY2(!mayShare || !row.ownAlone.contains(it.key()), row.root + ('/' + it.key()));
        }
        QVERIFY2(named < maps.shared.size() || row.ownAlone.isEmpty(), row.root);

        // The records count every owner: both copies of "a" surely come
        // back; "own" has a third copy in another subvolume, so deleting
        // the two listed here frees none of it; part of a file cloned onto
        // another part of it is counted once at most, never surely; a
        // snapshot's data is never sure.
        using Range = std::pair<std::int64_t, std::int64_t>;
        if (qstrcmp(row.root, "plain") == 0) {
            QCOMPARE(records.shared["a"].front().owners, 2u);
            QCOMPARE(records.shared["many"].front().owners, 61u);
            QCOMPARE(records.Frees({"a", "a-copy"}), Range(64 * 1024, 64 * 1024));
            QCOMPARE(records.Frees({"own", "own-late"}), Range(0, 20 * 1024));
            QCOMPARE(records.Frees({"self"}).first, 0);
        } else if (qstrcmp(row.root, "snapped") == 0) {
            QVERIFY(records.shared["old"].front().kept);
        }
    }
}

QTEST_MAIN(TestSharedExtents)
#include "tst_sharedextents.moc"
