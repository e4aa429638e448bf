#include <QtTest>

#include "ChildProcess.h"
#include "TempDrive.h"
#include "core/CResultStore.h"
#include "core/CResultsModel.h"
#include "platform/CDirectoryWalker.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

// Trees far deeper than anyone makes by hand: the walk, the results and their
// sorting must cope with them in memory that follows the tree's size, not
// the square of its depth, and whatever the descriptor limit.

namespace {

struct WalkCount
{
    std::int64_t files = 0;
    std::int64_t skipped = 0;
    CDirectoryWalker::Result result = CDirectoryWalker::Result::Completed;
};

WalkCount CountWalk(const QByteArray &root)
{
    WalkCount count;
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &) { ++count.files; });
    count.result = walker.Walk(root);
    count.skipped = walker.GetSkippedFolders();
    return count;
}

QByteArray Describe(const WalkCount &count)
{
    return "result " + QByteArray::number(int(count.result)) + " files " + QByteArray::number(count.files)
           + " skipped " + QByteArray::number(count.skipped);
}

// A chain made for the test and removed after it, whatever its depth.
class Chain
{
public:
    Chain(const TempDrive &drive, int levels, const QByteArray &name, bool fileEachLevel)
        : m_top(drive.path(name))
    {
        const int fd = MakeChain(drive.root(), levels, name, fileEachLevel);
        m_ok = fd >= 0;
        m_deepest = fd;
    }
    ~Chain()
    {
        if (m_deepest >= 0)
            ::close(m_deepest);
        RemoveTree(m_top);
    }
    bool ok() const { return m_ok; }
    int deepest() const { return m_deepest; }

private:
    QByteArray m_top;
    bool m_ok = false;
    int m_deepest = -1;
};

bool MakeFileAt(int folderFd, const QByteArray &relative)
{
    const int slash = relative.indexOf('/');
    if (slash > 0 && ::mkdirat(folderFd, relative.left(slash).constData(), 0755) != 0 && errno != EEXIST)
        return false;
    const int fd = ::openat(folderFd, relative.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

class TestDeepWalk : public QObject
{
    Q_OBJECT

private slots:
    void sortingByLocationCopesWithFoldersSharingAVeryLongPath()
    {
        // Two listed folders below 3,000 levels of 255-byte names share
        // about 750 KB of path.
        TempDrive drive;
        const QByteArray name(255, 'n');
        Chain chain(drive, 3000, name, false);
        QVERIFY(chain.ok());
        QVERIFY(MakeFileAt(chain.deepest(), "Y/in-y.tmp"));
        QVERIFY(MakeFileAt(chain.deepest(), "x/in-x.tmp"));
        QVERIFY(drive.makeFile("top.tmp"));

        CResultsModel model;
        CDirectoryWalker walker;
        walker.SetFileHandler([&](const WalkRecord &record) { model.AddResult(record); });
        QCOMPARE(walker.Walk(drive.root()), CDirectoryWalker::Result::Completed);
        QCOMPARE(model.GetStore().GetCount(), 3);

        const auto order = [&] {
            QList<QByteArray> names;
            for (int row = 0; row < model.rowCount(); ++row)
                names.append(model.GetStore().GetPaths().GetName(model.GetItem(row)));
            return names;
        };
        model.sort(kColumnLocation, Qt::AscendingOrder);
        QCOMPARE(order(), QList<QByteArray>({"top.tmp", "in-x.tmp", "in-y.tmp"}));
        model.sort(kColumnLocation, Qt::DescendingOrder);
        QCOMPARE(order(), QList<QByteArray>({"in-y.tmp", "in-x.tmp", "top.tmp"}));
        const QByteArray deep = model.GetStore().GetPath(model.GetItem(0));
        QCOMPARE(deep.size(), drive.root().size() + 3000 * 256 + qsizetype(qstrlen("/Y/in-y.tmp")));
        QVERIFY(deep.endsWith(name + "/Y/in-y.tmp"));
    }

    void aChainDeeperThanTheDescriptorLimitIsWalkedWhole()
    {
        TempDrive drive;
        Chain chain(drive, 1000, "d", true);
        QVERIFY(chain.ok());
        const QByteArray root = drive.root();

        // Soft and hard limit far below the depth: nothing can be raised.
        const ChildOutput capped = RunInChild([&](QByteArray &out) {
            struct rlimit limit = {128, 128};
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
                out = "cannot lower the descriptor limit";
                return kSkipCode;
            }
            out = Describe(CountWalk(root));
            return 0;
        });
        if (capped.exitCode == kSkipCode)
            QSKIP(capped.text.constData());
        QCOMPARE(capped.exitCode, 0);
        QCOMPARE(capped.text, QByteArray("result 0 files 1000 skipped 0"));

        // A low soft limit under a high hard one is the process's own
        // choice: the walk leaves it as it found it.
        const ChildOutput soft = RunInChild([&](QByteArray &out) {
            struct rlimit limit;
            ::getrlimit(RLIMIT_NOFILE, &limit);
            if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < 2048) {
                out = "the hard descriptor limit is too low to tell a raised soft limit";
                return kSkipCode;
            }
            limit.rlim_cur = 128;
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
                out = "cannot lower the descriptor limit";
                return kSkipCode;
            }
            out = Describe(CountWalk(root));
            ::getrlimit(RLIMIT_NOFILE, &limit);
            out += " soft " + QByteArray::number(qulonglong(limit.rlim_cur));
            return 0;
        });
        if (soft.exitCode == kSkipCode)
            QSKIP(soft.text.constData());
        QCOMPARE(soft.exitCode, 0);
        QCOMPARE(soft.text, QByteArray("result 0 files 1000 skipped 0 soft 128"));
    }

    void walkMemoryFollowsTheCurrentPath()
    {
        // 10,000 levels, one file in each: a buffer per level ever reached
        // would take over 300 MB.
        TempDrive drive;
        Chain chain(drive, 10000, "d", true);
        QVERIFY(chain.ok());
        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (!ResetPeakMemory()) {
                out = "cannot reset the memory peak";
                return kSkipCode;
            }
            const std::int64_t before = CurrentMemoryKb();
            out = Describe(CountWalk(root));
            out += " grew " + QByteArray::number((PeakMemoryKb() - before) / 1024) + " MiB";
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        qInfo("%s", child.text.constData());
        QVERIFY(child.text.startsWith("result 0 files 10000 skipped 0 grew "));
        const int grew = child.text.split(' ').value(7).toInt();
        QVERIFY2(grew < 50, child.text.constData());
    }

    void resultsOfADeepChainCostLittleMoreThanTheirNames()
    {
        // 3,000 levels of 100-byte names, a file in each: whole paths would
        // take some 450 MB.
        TempDrive drive;
        const QByteArray name(100, 'p');
        Chain chain(drive, 3000, name, true);
        QVERIFY(chain.ok());
        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (!ResetPeakMemory()) {
                out = "cannot reset the memory peak";
                return kSkipCode;
            }
            const std::int64_t before = CurrentMemoryKb();
            CResultStore store;
            CDirectoryWalker walker;
            walker.SetFileHandler([&](const WalkRecord &record) { store.AddResult(record); });
            walker.Walk(root);
            const std::int64_t grew = (PeakMemoryKb() - before) / 1024;
            // The deepest file's path, rebuilt from what the store keeps.
            QByteArray expected = root;
            for (int level = 0; level < 3000; ++level)
                expected += '/' + name;
            expected += "/f2999";
            bool found = false;
            for (int i = 0; i < store.GetCount(); ++i)
                found = found || store.GetPath(i) == expected;
            out = QByteArray::number(store.GetCount()) + (found ? " found" : " missing") + " grew "
                  + QByteArray::number(grew);
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        qInfo("%s MiB", child.text.constData());
        QVERIFY(child.text.startsWith("3000 found grew "));
        QVERIFY2(child.text.split(' ').value(3).toInt() < 64, child.text.constData());
    }
};

QTEST_GUILESS_MAIN(TestDeepWalk)
#include "tst_deepwalk.moc"
