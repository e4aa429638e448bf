#include <QtTest>

#include "ChildProcess.h"
#include "TempDrive.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CMountInfo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// What "on the drive" means when mounts have odd names, appear during the
// walk, or stack file systems on top of each other.

namespace {

struct Walked
{
    QList<QByteArray> files;   // paths below the root, sorted
    QList<QByteArray> folders; // paths below the root, in walk order
    std::int64_t skipped = 0;
};

Walked Walk(const QByteArray &root, const std::function<void(const QByteArray &)> &onFolder = {})
{
    Walked walked;
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        walked.files.append((record.folder + '/' + record.name).mid(root.size() + 1));
    });
    walker.SetFolderHandler([&](const QByteArray &folder) {
        walked.folders.append(folder.mid(root.size() + 1));
        if (onFolder)
            onFolder(folder);
    });
    walker.Walk(root);
    walked.skipped = walker.GetSkippedFolders();
    std::sort(walked.files.begin(), walked.files.end());
    return walked;
}

QByteArray Describe(const Walked &walked)
{
    QByteArray text = "skipped " + QByteArray::number(walked.skipped) + "\nfolders";
    for (const QByteArray &folder : walked.folders)
        text += " [" + folder + ']';
    text += "\nfiles";
    for (const QByteArray &file : walked.files)
        text += " [" + file + ']';
    return text;
}

bool Touch(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

class TestMountWalk : public QObject
{
    Q_OBJECT

private slots:
    void mountPointsWithControlCharactersAreReadAsTheyAre()
    {
        // The kernel escapes space, tab, newline and backslash only.
        const QList<MountEntry> entries = CMountInfo::Parse(
            "40 22 0:50 / /mnt/odd\rname rw shared:1 - tmpfs tmpfs rw\n"
            "41 22 0:51 / /mnt/v\x0bt\x0c\\040x rw - tmpfs none rw,size=8k\n"
            "42 22 0:52 / /mnt/two\\040\\040spaces rw - ext4 /dev/sda3 rw\n");
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].mountPoint, QByteArray("/mnt/odd\rname"));
        QCOMPARE(entries[0].fsType, QByteArray("tmpfs"));
        QCOMPARE(entries[1].mountPoint, QByteArray("/mnt/v\x0bt\x0c x"));
        QCOMPARE(entries[1].mountId, 41);
        QCOMPARE(entries[1].source, QByteArray("none"));
        QCOMPARE(entries[2].mountPoint, QByteArray("/mnt/two  spaces"));
        QCOMPARE(entries[2].source, QByteArray("/dev/sda3"));
    }

    void oddlyNamedAndLateMountsAreNotEntered()
    {
        TempDrive drive;
        const QByteArray odd("odd\x0bname\rx");
        QVERIFY(drive.makeFile("a/mine.txt"));
        QVERIFY(drive.makeFolder("a/late"));
        QVERIFY(drive.makeFolder(odd));
        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (!EnterPrivateMountNamespace(out))
                return kSkipCode;
            if (::mount("none", (root + '/' + odd).constData(), "tmpfs", 0, "size=64k") != 0) {
                out = "cannot mount a tmpfs: " + QByteArray(strerror(errno));
                return kSkipCode;
            }
            ::mkdir((root + '/' + odd + "/sub").constData(), 0755);
            Touch(root + '/' + odd + "/sub/foreign.txt");
            // Mounted once the walk has read the mount table and entered "a".
            bool mounted = false;
            const Walked walked = Walk(root, [&](const QByteArray &folder) {
                if (folder == root + "/a" && !mounted) {
                    mounted = ::mount("none", (root + "/a/late").constData(), "tmpfs", 0, "size=64k") == 0;
                    ::mkdir((root + "/a/late/deeper").constData(), 0755);
                }
            });
            if (!mounted) {
                out = "cannot mount a tmpfs during the walk";
                return kSkipCode;
            }
            out = Describe(walked);
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(child.text, QByteArray("skipped 0\nfolders [] [a]\nfiles [a/mine.txt]"));
    }

    void anOverlayWithLayersOnOtherFileSystemsIsWalked()
    {
        // The lower layer on a tmpfs, the upper one on the temporary folder's
        // file system: files report their layer's device, not the overlay's.
        TempDrive drive;
        for (const char *folder : {"lower", "upper", "work", "merged"})
            QVERIFY(drive.makeFolder(folder));
        const QByteArray root = drive.root();
        const ChildOutput child = RunInChild([&](QByteArray &out) {
            if (!EnterPrivateMountNamespace(out))
                return kSkipCode;
            if (::mount("none", (root + "/lower").constData(), "tmpfs", 0, "size=64k") != 0) {
                out = "cannot mount a tmpfs: " + QByteArray(strerror(errno));
                return kSkipCode;
            }
            ::mkdir((root + "/lower/old").constData(), 0755);
            Touch(root + "/lower/old/from-lower.txt");
            Touch(root + "/lower/shared.txt");
            Touch(root + "/upper/from-upper.txt");
            const QByteArray options =
                "lowerdir=" + root + "/lower,upperdir=" + root + "/upper,workdir=" + root + "/work";
            if (::mount("overlay", (root + "/merged").constData(), "overlay", 0, options.constData()) != 0) {
                out = "cannot mount an overlay here: " + QByteArray(strerror(errno));
                return kSkipCode;
            }
            Touch(root + "/merged/written-later.txt");
            out = Describe(Walk(root + "/merged"));
            return 0;
        });
        if (child.exitCode == kSkipCode)
            QSKIP(child.text.constData());
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(child.text, QByteArray("skipped 0\nfolders [] [old]\nfiles [from-upper.txt] [old/from-lower.txt] "
                                        "[shared.txt] [written-later.txt]"));
    }
};

QTEST_GUILESS_MAIN(TestMountWalk)
#include "tst_mountwalk.moc"
