// The compact result store keeps each fact once and derives the shown values
// from the identity; whatever a record holds, what it gives back must be what
// it was given. The sorter orders by small keys in a few passes; its order
// must be the plain stable order by the same keys, whatever the names.
#include "core/CResultStore.h"
#include "core/MatchReason.h"
#include "core/CResultsSorter.h"
#include "core/ResultColumns.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <numeric>
#include <random>
#include <sys/stat.h>

namespace {

constexpr std::int64_t kNs = 1000000000;

// A record as the walk makes it: the identity and the shown values agree.
WalkRecord Walked(const QByteArray &name, std::int64_t size, std::int64_t modifiedNs, std::int64_t birthNs)
{
    WalkRecord r;
    r.folder = "/d";
    r.name = name;
    r.size = size;
    r.device = 0x801;
    r.inode = 4242;
    r.identity.device = r.device;
    r.identity.inode = r.inode;
    r.identity.type = S_IFREG;
    r.identity.size = size;
    r.identity.modifiedNs = modifiedNs;
    r.identity.hasBirth = birthNs != 0;
    r.identity.birthNs = birthNs;
    // statx splits times into seconds and nanoseconds: seconds round down.
    r.modifiedTime = modifiedNs / kNs - (modifiedNs % kNs < 0 ? 1 : 0);
    r.creationTime = birthNs != 0 ? birthNs / kNs - (birthNs % kNs < 0 ? 1 : 0) : r.modifiedTime;
    r.accessedTime = r.modifiedTime + 5;
    r.allocatedBytes = 4096;
    return r;
}

} // namespace

class TestResultStore : public QObject
{
    Q_OBJECT

private slots:
    void givesBackWhatItWasGiven_data()
    {
        QTest::addColumn<WalkRecord>("record");
        const WalkRecord plain = Walked("plain", 1234, 1700000000 * kNs + 123456789, 1600000000 * kNs + 5);
        QTest::newRow("walked") << plain;
        QTest::newRow("before 1970") << Walked("old", 1, -86400 * kNs + 1, -3 * kNs + 999999999);
        QTest::newRow("no birth time") << Walked("nobirth", 0, 1700000000 * kNs, 0);
        WalkRecord shown = plain;
        shown.size = plain.identity.size + 1; // shown and identity disagree
        QTest::newRow("size not the identity's") << shown;
        shown = plain;
        shown.modifiedTime += 60;
        QTest::newRow("time not the identity's") << shown;
        shown = plain;
        shown.identity = FileIdentity(); // no identity: device and inode of the record stand in
        QTest::newRow("no identity") << shown;
        shown = plain;
        shown.accessedTime = std::int64_t(1) << 40; // beyond what nanoseconds can hold
        shown.creationTime = -(std::int64_t(1) << 40);
        shown.identity.hasBirth = false;
        shown.identity.birthNs = 0;
        QTest::newRow("times beyond nanoseconds") << shown;
        shown = plain;
        shown.linkCount = 70000;
        shown.identity.type = S_IFLNK;
        shown.identity.device = 0xFFFFFFFFull;
        QTest::newRow("many links, a link, a big device") << shown;
        shown = plain;
        shown.name = QByteArray(3 << 20, 'n'); // longer than a page of names
        QTest::newRow("very long name") << shown;
        shown = plain;
        shown.name.clear();
        QTest::newRow("empty name") << shown;
    }
    void givesBackWhatItWasGiven()
    {
        QFETCH(WalkRecord, record);
        CResultStore store;
        // Neighbours before and after, so that shared tables are exercised.
        store.AddResult(Walked("before", 7, 1000 * kNs, 0));
        const int index = store.AddResult(record);
        store.AddResult(Walked("after", 8, 2000 * kNs, 3000 * kNs));

        FileIdentity expected = record.identity;
        if (expected.inode == 0 && record.inode != 0) {
            expected.device = record.device;
            expected.inode = record.inode;
        }
        QCOMPARE(store.GetIdentity(index), expected);
        QCOMPARE(store.GetDevice(index), expected.device);
        QCOMPARE(store.GetInode(index), expected.inode);
        QCOMPARE(store.GetSize(index), record.size);
        QCOMPARE(store.GetModifiedTime(index), record.modifiedTime);
        QCOMPARE(store.GetCreationTime(index), record.creationTime);
        QCOMPARE(store.GetAccessedTime(index), record.accessedTime);
        QCOMPARE(store.GetLinkCount(index), record.linkCount);
        QCOMPARE(store.GetPaths().GetName(index), record.name);
        QCOMPARE(store.GetAllocatedBytes(index), record.allocatedBytes);
        QCOMPARE(store.GetPath(index + 1), QByteArray("/d/after"));
        QCOMPARE(store.GetSize(index + 1), 8);
        QCOMPARE(store.GetCreationTime(index + 1), 3000);

        // A file that comes back as another (a Move undone across file
        // systems) keeps its shown values and takes the new identity whole.
        store.Unlist(index);
        FileIdentity back = expected;
        back.inode += 17;
        back.birthNs += kNs / 2;
        back.hasBirth = true;
        QVERIFY(store.Relist(index, back));
        QCOMPARE(store.GetIdentity(index), back);
        QCOMPARE(store.GetSize(index), record.size);
        QCOMPARE(store.GetModifiedTime(index), record.modifiedTime);
        QCOMPARE(store.GetAccessedTime(index), record.accessedTime);
        QVERIFY(store.IsChecked(index));
    }

    void keepsAMillionFilesCompactly()
    {
        CResultStore store;
        WalkRecord record = Walked("IMG_20231104_1532.jpg", 1000, 1700000000 * kNs, 1690000000 * kNs);
        for (int i = 0; i < 200000; ++i) {
            record.identity.inode = record.inode = ino_t(i + 1);
            store.AddResult(record);
        }
        // Record, forecast word, name reference and folder, a name of 21
        // bytes: under 100 bytes a file, the last chunk's room included.
        QVERIFY2(store.GetMemoryBytes() / 200000 < 100, qPrintable(QString::number(store.GetMemoryBytes() / 200000)));
        QCOMPARE(store.GetIdentity(199999).inode, ino_t(200000));
        store.Clear();
        QCOMPARE(store.GetCount(), 0);
        QVERIFY(store.GetMemoryBytes() < 4096);
    }

    // The menu asks per reason whether anything can be checked or unchecked;
    // the counts must match the files through any mix of changes.
    void countsByReasonFollowEveryChange()
    {
        CResultStore store;
        QRandomGenerator random(7);
        for (int i = 0; i < 300; ++i) {
            WalkRecord r = Walked("f" + QByteArray::number(i), i, 1700000000 * kNs, 0);
            r.identity.inode = r.inode = ino_t(i + 1);
            const MatchReason why{QStringLiteral("reason %1").arg(i % 4), QString()};
            switch (i % 5) {
            case 0:
                store.AddUncheckedResult(r, why);
                break;
            case 1:
                store.AddLockedResult(r, i % 2 ? ProtectionReason::InUse : ProtectionReason::Backup);
                break;
            case 2:
                store.AddResult(r); // no reason of its own
                break;
            default:
                store.AddResult(r, why);
            }
        }
        const auto verify = [&](int step) {
            for (int reason = 0; reason <= store.GetReasons().GetCount(); ++reason) {
                int checked = 0, checkable = 0;
                for (int item = 0; item < store.GetCount(); ++item) {
                    if (store.GetReasonId(item) != reason || !store.IsListed(item))
                        continue;
                    checked += store.IsChecked(item);
                    checkable += !store.IsChecked(item) && !store.IsLocked(item);
                }
                const auto id = CReasonTable::Id(reason);
                QVERIFY2(store.GetCheckedCount(id) == checked && store.GetCheckableCount(id) == checkable,
                         qPrintable(QStringLiteral("step %1, reason %2").arg(step).arg(reason)));
            }
        };
        verify(-1);
        for (int step = 0; step < 400; ++step) {
            const int item = int(random.bounded(store.GetCount()));
            switch (random.bounded(4)) {
            case 0:
                store.SetChecked(item, random.bounded(2) == 0);
                break;
            case 1:
                store.Unlist(item);
                break;
            case 2:
                store.RemoveLink(item);
                break;
            default:
                store.Relist(item, store.GetIdentity(item));
            }
            verify(step);
        }
        store.Clear();
        QCOMPARE(store.GetCheckedCount(0) + store.GetCheckableCount(0), 0);
    }

    // Every column, both ways, after an earlier sort (so ties must keep that
    // order): the same order as a plain stable sort by the column's key.
    void sortsAsAStableSortByTheKeyWould_data()
    {
        QTest::addColumn<int>("column");
        for (int column : {kColumnFile, kColumnLocation, kColumnSize, kColumnCreated, kColumnModified, kColumnAccessed,
                           kColumnReason})
            QTest::newRow(qPrintable(QString::number(column))) << column;
    }
    void sortsAsAStableSortByTheKeyWould()
    {
        QFETCH(int, column);
        QRandomGenerator random(column + 7);
        CResultStore store;
        // Names that share long beginnings, differ only in case, are not
        // ASCII, are not UTF-8, or end where another goes on.
        const QByteArrayList stems = {"report draft final", "Report Draft Final", "r", "report", "\xc3\x84pfel",
                                      "\xc3\xa4pfel", "bad\xff", "bad", "IMG_2023_0001", "img_2023_0001b",
                                      "a_very_long_shared_beginning_of_a_name_", "x"};
        const QByteArrayList folders = {"/d", "/d/Sub", "/d/sub", "/D", "/d/a b", "/e"};
        for (int i = 0; i < 3000; ++i) {
            WalkRecord r = Walked(stems[random.bounded(stems.size())] + QByteArray::number(random.bounded(4)),
                                  random.bounded(5) * 1000, (1600000000 + random.bounded(3)) * kNs, 0);
            r.folder = folders[random.bounded(folders.size())];
            if (random.bounded(3) == 0)
                r.size = std::int64_t(random.bounded(3)) << 33; // apart by more than 32 bits
            MatchReason why;
            why.text = QStringLiteral("reason %1").arg(random.bounded(3));
            store.AddResult(r, why);
        }
        std::vector<int> rows(std::size_t(store.GetCount()));
        std::iota(rows.begin(), rows.end(), 0);
        std::shuffle(rows.begin(), rows.end(), std::mt19937(unsigned(column)));
        rows = CResultsSorter(store, kColumnSize).Sort(rows, false); // ties of the next sort keep this order
        // Rows of some files removed: their keys must not count.
        for (std::size_t r = rows.size(); r-- > 0;) {
            if (rows[r] % 7 == 3)
                rows.erase(rows.begin() + std::ptrdiff_t(r));
        }

        const auto key = [&](int item) -> std::string {
            std::string k;
            switch (column) {
            case kColumnFile:
                CResultsSorter::AppendFoldedKey(store.GetPaths().GetNameView(item), k);
                return k;
            case kColumnLocation: {
                // Folder by folder, each name folded: '\x01' parts them.
                const QList<QByteArray> parts = store.GetPaths().GetFolder(item).split('/');
                for (const QByteArray &part : parts) {
                    CResultsSorter::AppendFoldedKey(std::string_view(part.constData(), std::size_t(part.size())), k);
                    k += '\x01';
                }
                return k;
            }
            case kColumnReason: {
                const QByteArray text = store.GetReasonText(item).toUtf8();
                CResultsSorter::AppendFoldedKey(std::string_view(text.constData(), std::size_t(text.size())), k);
                return k;
            }
            default: {
                const std::int64_t value = column == kColumnSize       ? store.GetSize(item)
                    : column == kColumnCreated                        ? store.GetCreationTime(item)
                    : column == kColumnModified                       ? store.GetModifiedTime(item)
                                                                      : store.GetAccessedTime(item);
                const std::uint64_t biased = std::uint64_t(value) ^ (std::uint64_t(1) << 63);
                for (int b = 7; b >= 0; --b)
                    k += char((biased >> (8 * b)) & 0xFF);
                return k;
            }
            }
        };
        for (const bool ascending : {true, false}) {
            std::vector<int> expected = rows;
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                return ascending ? key(a) < key(b) : key(b) < key(a);
            });
            QCOMPARE(CResultsSorter(store, column).Sort(rows, ascending), expected);
        }
    }
};

QTEST_MAIN(TestResultStore)
#include "tst_resultstore.moc"
