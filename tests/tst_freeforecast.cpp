// What deleting the checked files really frees: the blocks a file has, not
// its length; a file with several links only when every link goes; nothing
// for a file a running process holds open. Checked against a recount after
// every change, against real files, and against the free blocks a real file
// system gains when the files are deleted.
#include "RawFiles.h"
#include "ChildProcess.h"
#include "OpenFileHolder.h"
#include "TempDrive.h"

#include "core/CDeleteStep.h"
#include "core/CFreeForecast.h"
#include "core/CHeldOpenFiles.h"
#include "core/CMoveStep.h"
#include "core/CProcOpenFileSource.h"
#include "core/CResultStore.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CDiskSpace.h"

#include <QRandomGenerator>
#include <QtTest>

#include <fcntl.h>
#include <map>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kMB = 1048576;

bool MakeSparse(const QByteArray &path, std::int64_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok = fd >= 0 && ::ftruncate(fd, size) == 0;
    return fd >= 0 && ::close(fd) == 0 && ok;
}

WalkRecord Record(ino_t inode, std::int64_t allocated, std::uint32_t links, const QByteArray &name = "f")
{
    WalkRecord record;
    record.name = name + QByteArray::number(qulonglong(inode));
    record.folder = "/drive";
    record.size = allocated + 1;
    record.device = 7;
    record.inode = inode;
    record.identity.device = 7;
    record.identity.inode = inode;
    record.allocatedBytes = allocated;
    record.linkCount = links;
    return record;
}

// The forecast recounted from nothing: a file of one link when checked; a
// file of several when its checked links number at least its links less
// those already removed; nothing for a file held open.
std::int64_t Recount(const CResultStore &store, const std::map<int, bool> &removed)
{
    struct Group
    {
        std::uint32_t checked = 0;
        std::uint32_t links = 0;
        std::uint32_t gone = 0;
        std::int64_t bytes = 0;
        bool heldOpen = false;
    };
    std::map<std::pair<dev_t, ino_t>, Group> groups;
    std::int64_t total = 0;
    for (int i = 0; i < store.GetCount(); ++i) {
        const bool isRemoved = removed.count(i) != 0;
        if (store.GetLinkCount(i) <= 1) {
            if (!isRemoved && store.IsChecked(i) && !store.IsHeldOpen(i))
                total += store.GetAllocatedBytes(i);
            continue;
        }
        Group &group = groups[std::make_pair(store.GetDevice(i), store.GetInode(i))];
        group.links = std::max(group.links, store.GetLinkCount(i));
        group.bytes = store.GetAllocatedBytes(i);
        group.heldOpen = group.heldOpen || store.IsHeldOpen(i);
        group.gone += isRemoved ? 1 : 0;
        group.checked += !isRemoved && store.IsChecked(i) ? 1 : 0;
    }
    for (const auto &[key, group] : groups) {
        const std::uint32_t needed = group.links > group.gone + 1 ? group.links - group.gone : 1;
        if (!group.heldOpen && group.checked >= needed)
            total += group.bytes;
    }
    return total;
}

void ScanInto(CResultStore &store, const QByteArray &root, const CHeldOpenFiles &open)
{
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        store.AddResult(record, open.Contains(record.device, record.inode));
    });
    walker.Walk(root);
}

int IndexOf(const CResultStore &store, const QByteArray &path)
{
    for (int i = 0; i < store.GetCount(); ++i) {
        if (store.GetPath(i) == path)
            return i;
    }
    return -1;
}

} // namespace

class TestFreeForecast : public QObject
{
    Q_OBJECT

private slots:
    void singleFilesFollowEveryCheck();
    void linksCountOnlyWhenEveryLinkIsChecked();
    void heldOpenFilesFreeNothing();
    void freedByIgnoresChecksRepeatsAndUnknownIndices();
    void storeStaysExactThroughRandomChanges();
    void realFilesOnTheTemporaryDrive();
    void deletingFreesWhatWasForecast();
    void moveFreesOnlyAcrossFileSystems();
};

void TestFreeForecast::singleFilesFollowEveryCheck()
{
    CFreeForecast forecast;
    QCOMPARE(forecast.AddFile(1, 10, 4096, 1, false, true), 0);
    QCOMPARE(forecast.AddFile(1, 11, 0, 1, false, true), 1); // sparse, or below one block on some systems
    QCOMPARE(forecast.AddFile(1, 12, 8192, 1, false, false), 2);
    QCOMPARE(forecast.GetForecast(), 4096);
    forecast.SetChecked(2, true);
    forecast.SetChecked(2, true); // no change, no double count
    QCOMPARE(forecast.GetForecast(), 12288);
    forecast.SetChecked(0, false);
    forecast.SetChecked(0, false);
    QCOMPARE(forecast.GetForecast(), 8192);
    forecast.SetChecked(-1, true);
    forecast.SetChecked(3, true);
    QCOMPARE(forecast.GetForecast(), 8192);
    // A negative block count from a broken record never lowers the figure.
    forecast.AddFile(1, 13, -500, 1, false, true);
    QCOMPARE(forecast.GetForecast(), 8192);
    forecast.Clear();
    QCOMPARE(forecast.GetForecast(), 0);
    QCOMPARE(forecast.GetCount(), 0);
    QCOMPARE(forecast.AddFile(1, 10, 4096, 1, false, true), 0);
    QCOMPARE(forecast.GetForecast(), 4096);
}

void TestFreeForecast::linksCountOnlyWhenEveryLinkIsChecked()
{
    CFreeForecast forecast;
    const std::int64_t bytes = 20 * kMB;
    // Three links of one file, all listed: the file goes only with the last.
    for (int i = 0; i < 3; ++i)
        forecast.AddFile(1, 50, bytes, 3, false, i < 2);
    QCOMPARE(forecast.GetForecast(), 0);
    QCOMPARE(forecast.GetListedLinks(0), 3u);
    forecast.SetChecked(2, true);
    QCOMPARE(forecast.GetForecast(), bytes);
    forecast.SetChecked(1, false);
    QCOMPARE(forecast.GetForecast(), 0);
    forecast.SetChecked(1, true);
    QCOMPARE(forecast.GetForecast(), bytes);

    // The same inode number on another device is another file.
    forecast.AddFile(2, 50, 4096, 2, false, true);
    QCOMPARE(forecast.GetForecast(), bytes);

    // Two links listed of three: the third keeps the file whatever is checked.
    forecast.AddFile(1, 60, kMB, 3, false, true);
    forecast.AddFile(1, 60, kMB, 3, false, true);
    QCOMPARE(forecast.GetForecast(), bytes);
    QCOMPARE(forecast.FreedBy({5, 6}), 0);

    // Deleting the first two links of the full group leaves the third,
    // which then frees the file on its own.
    forecast.RemoveLink(0);
    forecast.RemoveLink(1);
    QCOMPARE(forecast.GetForecast(), bytes); // link 2 still checked
    forecast.SetChecked(0, true);             // a removed link cannot come back
    QVERIFY(!forecast.IsChecked(0));
    forecast.SetChecked(2, false);
    QCOMPARE(forecast.GetForecast(), 0);
    QCOMPARE(forecast.FreedBy({2}), bytes);
    QCOMPARE(forecast.FreedBy({0, 1}), 0); // gone already: nothing more to free
    forecast.RemoveLink(1); // twice changes nothing
    forecast.RemoveLink(2);
    QCOMPARE(forecast.FreedBy({2}), 0);
    QCOMPARE(forecast.GetForecast(), 0);

    // A link of the partial group goes: the one left needs the unseen one still.
    forecast.RemoveLink(5);
    QCOMPARE(forecast.FreedBy({6}), 0);

    // A removed link that comes back (a Move to another drive undone) is a
    // copy with one link: it frees its own blocks, and the group it left
    // stays as it was.
    forecast.Restore(5);
    QVERIFY(!forecast.IsRemoved(5));
    QCOMPARE(forecast.GetForecast(), 0);
    forecast.SetChecked(5, true);
    QCOMPARE(forecast.GetForecast(), kMB);
    QCOMPARE(forecast.FreedBy({6}), 0);
    forecast.Restore(6); // never removed: nothing changes
    QCOMPARE(forecast.FreedBy({6}), 0);
}

void TestFreeForecast::heldOpenFilesFreeNothing()
{
    CFreeForecast forecast;
    forecast.AddFile(1, 70, 8192, 1, true, true);
    QCOMPARE(forecast.GetForecast(), 0);
    forecast.SetChecked(0, false);
    forecast.SetChecked(0, true);
    QCOMPARE(forecast.GetForecast(), 0);
    QVERIFY(forecast.IsHeldOpen(0));

    // One link seen held open holds all: they are the same file.
    forecast.AddFile(1, 80, 4096, 2, false, true);
    QCOMPARE(forecast.GetForecast(), 0);
    forecast.AddFile(1, 80, 4096, 2, false, true);
    QCOMPARE(forecast.GetForecast(), 4096);
    forecast.AddFile(1, 90, 4096, 2, false, true);
    forecast.AddFile(1, 90, 4096, 2, true, true);
    QCOMPARE(forecast.GetForecast(), 4096);
    QCOMPARE(forecast.FreedBy({0, 1, 2, 3, 4}), 4096);
}

void TestFreeForecast::freedByIgnoresChecksRepeatsAndUnknownIndices()
{
    CFreeForecast forecast;
    forecast.AddFile(1, 1, 1000, 1, false, false);
    forecast.AddFile(1, 2, 3000, 2, false, false);
    forecast.AddFile(1, 2, 3000, 2, false, true);
    forecast.AddFile(1, 3, 5000, 1, false, true);
    QCOMPARE(forecast.GetForecast(), 5000);
    QCOMPARE(forecast.FreedBy({}), 0);
    QCOMPARE(forecast.FreedBy({0}), 1000);
    // The same link twice is still one of two.
    QCOMPARE(forecast.FreedBy({1, 1, 0, 0}), 1000);
    QCOMPARE(forecast.FreedBy({2, 1, 3, -4, 99}), 8000);
    QCOMPARE(forecast.GetForecast(), 5000); // asking changes nothing
}

void TestFreeForecast::storeStaysExactThroughRandomChanges()
{
    QRandomGenerator random(20240611);
    CResultStore store;
    std::map<int, bool> removed;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 400; ++i) {
            // Inodes from a small range so that groups form, with link
            // counts above, at and below what the list holds.
            const ino_t inode = 1 + random.bounded(150);
            const std::uint32_t links = inode % 5 == 0 ? 1 + inode % 4 : 1;
            const WalkRecord record = Record(inode, std::int64_t(inode) * 4096, links);
            const int kind = int(random.bounded(10));
            if (kind == 0)
                store.AddLockedResult(record, ProtectionReason::InUse);
            else if (kind == 1)
                store.AddLockedResult(record, ProtectionReason::PackageOwned, true);
            else
                store.AddResult(record, kind == 2 && inode % 3 == 0);
        }
        for (int step = 0; step < 3000; ++step) {
            const int index = int(random.bounded(store.GetCount()));
            switch (random.bounded(8)) {
            case 0:
                store.Unlist(index);
                break;
            case 1:
                if (!removed.count(index) && store.IsListed(index)) {
                    store.RemoveLink(index);
                    removed[index] = true;
                }
                break;
            default:
                store.SetChecked(index, random.bounded(2) == 0);
            }
            if (step % 50 == 0)
                QCOMPARE(store.GetForecastBytes(), Recount(store, removed));
        }
        QCOMPARE(store.GetForecastBytes(), Recount(store, removed));
        store.Clear();
        removed.clear();
        QCOMPARE(store.GetForecastBytes(), 0);
    }
}

void TestFreeForecast::realFilesOnTheTemporaryDrive()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    QVERIFY(drive.makeFolder("t"));
    QVERIFY(MakeSparse(drive.path("t/sparse"), 5 * 1024 * kMB));
    QVERIFY(WriteData(drive.path("t/one"), 20 * kMB));
    QVERIFY(::link(drive.path("t/one").constData(), drive.path("t/two").constData()) == 0);
    QVERIFY(::link(drive.path("t/one").constData(), drive.path("t/three").constData()) == 0);
    QVERIFY(WriteData(drive.path("t/open"), 300000));
    QVERIFY(WriteData(drive.path("t/plain"), 123457));
    QVERIFY(WriteData(drive.path("t/tiny"), 10));
    OpenFileHolder holder(drive.path("t/open"));
    QVERIFY(holder.isHolding());

    CHeldOpenFiles open;
    CProcOpenFileSource source;
    open.Load(source);
    CResultStore store;
    ScanInto(store, drive.root(), open);
    QCOMPARE(store.GetCount(), 7);
    const auto at = [&](const char *name) { return IndexOf(store, drive.path(QByteArray("t/") + name)); };

    QCOMPARE(store.GetSize(at("sparse")), 5 * 1024 * kMB);
    QCOMPARE(store.GetAllocatedBytes(at("sparse")), AllocatedAt(drive.path("t/sparse")));
    QVERIFY(store.IsHeldOpen(at("open")));
    QVERIFY(!store.IsHeldOpen(at("plain")));
    const std::int64_t linked = AllocatedAt(drive.path("t/one"));
    QVERIFY(linked >= 20 * kMB);
    const std::int64_t plain = AllocatedAt(drive.path("t/plain"));
    const std::int64_t tiny = AllocatedAt(drive.path("t/tiny"));
    const std::int64_t sparse = AllocatedAt(drive.path("t/sparse"));
    QVERIFY(sparse < kMB); // a sparse file on a real file system holds next to nothing

    QCOMPARE(store.GetForecastBytes(), sparse + linked + plain + tiny);
    store.SetChecked(at("two"), false);
    QCOMPARE(store.GetForecastBytes(), sparse + plain + tiny);
    QCOMPARE(store.GetForecast().FreedBy({at("one"), at("three")}), 0);
    QCOMPARE(store.GetForecast().FreedBy({at("one"), at("three"), at("two")}), linked);
    QCOMPARE(store.GetForecast().FreedBy({at("open")}), 0);
    QCOMPARE(store.GetForecast().FreedBy({at("plain"), at("tiny")}), plain + tiny);
    store.SetChecked(at("two"), true);
    store.SetChecked(at("sparse"), false);
    QCOMPARE(store.GetForecastBytes(), linked + plain + tiny);
    // The apparent sizes tell another story.
    QVERIFY(store.GetSelectedBytes() > 3 * 20 * kMB);
}

void TestFreeForecast::deletingFreesWhatWasForecast()
{
    // A file system of our own, so that nothing else moves its free blocks.
    TempDrive drive;
    QVERIFY(drive.isValid());
    QVERIFY(drive.makeFolder("mnt"));
    const QByteArray root = drive.path("mnt");
    const ChildOutput child = RunInChild([&](QByteArray &out) {
        QByteArray why;
        if (!EnterPrivateMountNamespace(why)) {
            out = why;
            return kSkipCode;
        }
        if (::mount("none", root.constData(), "tmpfs", 0, "size=96m") != 0) {
            out = "cannot mount a tmpfs in a private mount namespace: " + QByteArray(strerror(errno));
            return kSkipCode;
        }
        const auto path = [&](const char *name) { return root + '/' + name; };
        bool made = MakeSparse(path("sparse"), 5 * 1024 * kMB) && WriteData(path("a1"), 20 * kMB)
                    && WriteData(path("b1"), 3 * kMB) && WriteData(path("plain"), 777777)
                    && WriteData(path("tiny"), 10) && WriteData(path("open"), 2 * kMB)
                    && WriteData(path("swapped"), 40000);
        made = made && ::link(path("a1").constData(), path("a2").constData()) == 0
               && ::link(path("a1").constData(), path("a3").constData()) == 0
               && ::link(path("b1").constData(), path("b2").constData()) == 0
               && ::link(path("b1").constData(), path("b3").constData()) == 0;
        const int openFd = ::open(path("open").constData(), O_RDONLY | O_CLOEXEC);
        if (!made || openFd < 0) {
            out = "set-up failed";
            return 1;
        }
        CHeldOpenFiles open;
        CProcOpenFileSource source;
        open.Load(source);
        CResultStore store;
        ScanInto(store, root, open);
        const auto at = [&](const char *name) { return IndexOf(store, path(name)); };
        store.SetChecked(at("b3"), false); // a group partly selected

        // Replaced between scan and action: the step refuses it, and what it
        // refuses frees nothing.
        if (::unlink(path("swapped").constData()) != 0 || !WriteData(path("swapped"), 40000)) {
            out = "cannot replace a file";
            return 1;
        }

        const auto deleteChecked = [&](std::int64_t &forecast, std::int64_t &measured) {
            CDeleteStep step(store, root);
            const DiskSpace before = CDiskSpace::Query(root);
            std::vector<int> freed;
            for (int i = store.GetCount() - 1; i >= 0; --i) {
                if (store.IsChecked(i) && step.Run(i).ok() && step.FreesSpace(i))
                    freed.push_back(i);
            }
            const DiskSpace after = CDiskSpace::Query(root);
            forecast = store.GetForecast().FreedBy(freed);
            measured = after.unusedBytes - before.unusedBytes;
            for (const int i : freed)
                store.RemoveLink(i);
        };
        std::int64_t expected = store.GetForecastBytes();
        std::int64_t forecast = 0;
        std::int64_t measured = 0;
        deleteChecked(forecast, measured);
        out = "first " + QByteArray::number(expected) + ' ' + QByteArray::number(forecast) + ' '
              + QByteArray::number(measured);
        // b3 is now the file's last link: checked, it frees the file.
        store.SetChecked(at("b3"), true);
        expected = store.GetForecastBytes();
        deleteChecked(forecast, measured);
        out += " last " + QByteArray::number(expected) + ' ' + QByteArray::number(forecast) + ' '
               + QByteArray::number(measured);
        ::close(openFd);
        return 0;
    });
    if (child.exitCode == kSkipCode)
        QSKIP(child.text.constData());
    QCOMPARE(child.exitCode, 0);
    qInfo("%s", child.text.constData());
    const QList<QByteArray> words = child.text.split(' ');
    QCOMPARE(words.size(), 8);
    const std::int64_t expected = words[1].toLongLong();
    const std::int64_t forecast = words[2].toLongLong();
    const std::int64_t measured = words[3].toLongLong();
    // a1..a3 (20 MB), plain and tiny; the swapped file was left alone.
    QVERIFY2(forecast >= 20 * kMB + 777777 && forecast < 21 * kMB + 777777 + 2 * 4096, child.text.constData());
    QCOMPARE(expected - forecast, std::int64_t(40960)); // ten pages of the tmpfs
    QCOMPARE(measured, forecast);
    // The replaced file stays checked and is refused again.
    QCOMPARE(words[5].toLongLong() - words[6].toLongLong(), std::int64_t(40960));
    QVERIFY2(words[6].toLongLong() >= 3 * kMB, child.text.constData());
    QCOMPARE(words[7].toLongLong(), words[6].toLongLong());
}

void TestFreeForecast::moveFreesOnlyAcrossFileSystems()
{
    TempDrive drive;
    QVERIFY(drive.isValid());
    QVERIFY(WriteData(drive.path("f"), 5000));
    QVERIFY(drive.makeFolder("here"));
    CHeldOpenFiles none;
    CResultStore store;
    ScanInto(store, drive.root(), none);
    QCOMPARE(store.GetCount(), 1);

    CMoveStep within(store, drive.root(), drive.path("here"), false);
    QVERIFY(!within.FreesSpace(0));
    QVERIFY(!within.FreesSpace(5));

    struct stat here {}, shm {};
    QVERIFY(::stat(drive.root().constData(), &here) == 0);
    if (::stat("/dev/shm", &shm) != 0 || shm.st_dev == here.st_dev)
        QSKIP("/dev/shm is missing or on the temporary folder's file system");
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/bv-frees-XXXXXX"));
    QVERIFY(elsewhere.isValid());
    CMoveStep across(store, drive.root(), QFile::encodeName(elsewhere.path()), false);
    QVERIFY(across.FreesSpace(0));
}

QTEST_GUILESS_MAIN(TestFreeForecast)
#include "tst_freeforecast.moc"
