#include <QtTest>

#include "TempDrive.h"
#include "platform/CDiskSpace.h"
#include "platform/CFixedDrives.h"
#include "platform/CMountInfo.h"

#include <unistd.h>

namespace {

// A desktop machine: ext4 root, /home on a second disk, /boot/efi, a USB
// stick, pseudo and network file systems, a bind mount and a stacked mount.
const QByteArray kDesktop =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "23 22 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "24 22 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
    "25 22 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8k\n"
    "26 25 0:23 / /dev/shm rw,nosuid,nodev shared:9 - tmpfs tmpfs rw\n"
    "27 24 0:26 / /sys/fs/cgroup rw shared:10 - cgroup2 cgroup2 rw\n"
    "28 22 0:25 / /run rw,nosuid,nodev shared:5 - tmpfs tmpfs rw,size=1616k,mode=755\n"
    "29 22 8:17 / /home rw,relatime shared:30 - ext4 /dev/sdb1 rw\n"
    "30 22 8:1 / /boot/efi rw,relatime shared:31 - vfat /dev/sda1 rw,fmask=0077\n"
    "31 22 0:40 / /mnt/nas rw,relatime shared:32 - nfs4 nas:/export rw,vers=4.2\n"
    "32 22 0:41 / /mnt/share rw,relatime shared:33 - cifs //server/share rw\n"
    "33 22 0:42 / /mnt/remote rw,nosuid shared:34 - fuse.sshfs user@host:/ rw\n"
    "34 28 8:33 / /media/u/USB\\040STICK rw,nosuid,nodev shared:35 - vfat /dev/sdc1 rw\n"
    "35 22 8:17 /u/shared /srv/shared rw,relatime shared:30 - ext4 /dev/sdb1 rw\n"
    "36 22 8:49 / /mnt/My\\040Data rw,relatime shared:36 - xfs /dev/sdd1 rw\n"
    "37 22 7:3 / /snap/core/1 ro,nodev shared:37 - squashfs /dev/loop3 ro\n"
    "38 22 0:43 / /mnt/ram rw shared:38 - tmpfs /dev/fake rw\n"
    "39 22 8:65 / /data rw shared:39 - ext4 /dev/sde1 rw\n"
    "40 39 8:66 / /data rw shared:40 - ext4 /dev/sde2 rw\n";

// The root of a container: an overlay, with files of the host disk bound in.
const QByteArray kContainer =
    "500 450 0:120 / / rw,relatime master:1 - overlay overlay rw,lowerdir=/l,upperdir=/u,workdir=/w\n"
    "501 500 0:122 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw\n"
    "502 500 0:123 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755\n"
    "503 500 0:124 / /sys ro,nosuid,nodev,noexec,relatime - sysfs sysfs ro\n"
    "504 500 254:1 /docker/containers/abc/resolv.conf /etc/resolv.conf rw,relatime - ext4 /dev/vda1 rw\n"
    "505 500 254:1 /docker/containers/abc/hosts /etc/hosts rw,relatime - ext4 /dev/vda1 rw\n"
    "506 500 254:1 /docker/volumes/v/_data /var/data rw,relatime - ext4 /dev/vda1 rw\n";

CFixedDrives::Probe TestProbe()
{
    CFixedDrives::Probe probe;
    probe.isRemovable = [](const MountEntry &entry) { return entry.source == "/dev/sdc1"; };
    probe.isFolder = [](const QByteArray &path) { return !path.startsWith("/etc/"); };
    probe.readLabel = [](const MountEntry &entry) {
        return entry.source == "/dev/sdb1" ? QStringLiteral("HOME") : QString();
    };
    probe.querySpace = [](const QByteArray &path) {
        DiskSpace space;
        space.ok = true;
        space.totalBytes = 1000LL * 1000 * 1000 * 1000 + path.size();
        space.freeBytes = 5LL * 1000 * 1000 * 1000;
        return space;
    };
    return probe;
}

QByteArrayList MountPoints(const QList<FixedDrive> &drives)
{
    QByteArrayList points;
    for (const FixedDrive &drive : drives)
        points.append(drive.mountPoint);
    return points;
}

} // namespace

class TestDrives : public QObject
{
    Q_OBJECT
private slots:
    void parsesFieldsAndEscapes()
    {
        const QList<MountEntry> entries = CMountInfo::Parse(
            "36 22 8:49 /a\\134b /mnt/My\\040Data\\011x rw shared:36 master:2 - xfs /dev/sdd1 rw\n"
            "garbage line\n"
            "\n"
            "37 22 x:y / /bad rw - ext4 /dev/sdx rw\n"
            "38 22 0:5 / /short rw -\n");
        QCOMPARE(entries.size(), 1);
        const MountEntry &e = entries.first();
        QCOMPARE(e.mountId, 36);
        QCOMPARE(e.parentId, 22);
        QCOMPARE(e.major, 8u);
        QCOMPARE(e.minor, 49u);
        QCOMPARE(e.root, QByteArray("/a\\b"));
        QCOMPARE(e.mountPoint, QByteArray("/mnt/My Data\tx"));
        QCOMPARE(e.fsType, QByteArray("xfs"));
        QCOMPARE(e.source, QByteArray("/dev/sdd1"));

        QCOMPARE(CMountInfo::DecodeField("a\\0"), QByteArray("a\\0"));
        QCOMPARE(CMountInfo::DecodeField("\\377\\400"), QByteArray("\xff\\400"));
    }

    void desktopDrives()
    {
        const QList<FixedDrive> drives = CFixedDrives::List(kDesktop, TestProbe());
        // Sorted by path; pseudo, network, FUSE, removable, image and
        // tmpfs mounts left out; /srv/shared is /home's disk again; the
        // first /data is hidden by the disk mounted over it.
        QCOMPARE(MountPoints(drives),
                 QByteArrayList({"/", "/boot/efi", "/data", "/home", "/mnt/My Data"}));
        QCOMPARE(drives[2].source, QByteArray("/dev/sde2"));
        QCOMPARE(drives[3].label, QStringLiteral("HOME"));
        QCOMPARE(drives[0].label, QString());
        QCOMPARE(drives[4].displayPath, QStringLiteral("/mnt/My Data"));
        QCOMPARE(drives[4].totalBytes, 1000LL * 1000 * 1000 * 1000 + 12);
        QCOMPARE(drives[4].freeBytes, 5LL * 1000 * 1000 * 1000);
    }

    void removableDiskListedWhenNotRemovable()
    {
        CFixedDrives::Probe probe = TestProbe();
        probe.isRemovable = {};
        const QByteArrayList points = MountPoints(CFixedDrives::List(kDesktop, probe));
        QVERIFY(points.contains("/media/u/USB STICK"));
    }

    void containerRoot()
    {
        const QList<FixedDrive> drives = CFixedDrives::List(kContainer, TestProbe());
        // The overlay root stays; the host disk appears once, through the
        // bound folder rather than a bound file.
        QCOMPARE(MountPoints(drives), QByteArrayList({"/", "/var/data"}));
        QCOMPARE(drives[0].fsType, QByteArray("overlay"));
    }

    void deviceMountedTwice()
    {
        const QByteArray twice =
            "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
            "2 1 8:2 / /mnt/long/path rw - ext4 /dev/sda2 rw\n"
            "3 1 8:2 / /mnt/b rw - ext4 /dev/sda2 rw\n"
            "4 1 8:2 /sub /x rw - ext4 /dev/sda2 rw\n"
            "5 1 8:3 / /mnt/c rw - ext4 /dev/sda3 rw\n"
            "6 1 8:3 / /mnt/a rw - ext4 /dev/sda3 rw\n"
            "7 1 8:1 / /srv rw - ext4 /dev/sda1 rw\n";
        const QList<FixedDrive> drives = CFixedDrives::List(twice, TestProbe());
        // Whole-file-system mounts beat folder binds, then the shorter path,
        // then the earlier mount; the root keeps its own disk.
        QCOMPARE(MountPoints(drives), QByteArrayList({"/", "/mnt/b", "/mnt/c"}));
    }

    void localFileSystemKinds_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<bool>("local");
        QTest::newRow("ext4") << QByteArray("ext4") << QByteArray("/dev/sda1") << true;
        QTest::newRow("btrfs") << QByteArray("btrfs") << QByteArray("/dev/nvme0n1p2") << true;
        QTest::newRow("ntfs through fuseblk") << QByteArray("fuseblk") << QByteArray("/dev/sdb1") << true;
        QTest::newRow("device mapper") << QByteArray("xfs") << QByteArray("/dev/mapper/vg-data") << true;
        QTest::newRow("tmpfs") << QByteArray("tmpfs") << QByteArray("tmpfs") << false;
        QTest::newRow("proc") << QByteArray("proc") << QByteArray("proc") << false;
        QTest::newRow("sysfs") << QByteArray("sysfs") << QByteArray("sysfs") << false;
        QTest::newRow("devtmpfs") << QByteArray("devtmpfs") << QByteArray("/dev") << false;
        QTest::newRow("nfs") << QByteArray("nfs") << QByteArray("host:/x") << false;
        QTest::newRow("nfs4 named like a device") << QByteArray("nfs4") << QByteArray("/dev/x") << false;
        QTest::newRow("cifs") << QByteArray("cifs") << QByteArray("//srv/x") << false;
        QTest::newRow("sshfs") << QByteArray("fuse.sshfs") << QByteArray("u@h:/") << false;
        QTest::newRow("overlay off root") << QByteArray("overlay") << QByteArray("overlay") << false;
        QTest::newRow("squashfs image") << QByteArray("squashfs") << QByteArray("/dev/loop0") << false;
    }
    void localFileSystemKinds()
    {
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, source);
        QFETCH(bool, local);
        MountEntry entry;
        entry.fsType = type;
        entry.source = source;
        QCOMPARE(CFixedDrives::IsLocalBlockFileSystem(entry), local);
    }

    void removableFlagFromSysfs()
    {
        TempDrive sys;
        QVERIFY(sys.isValid());
        // A partition whose disk says removable, a fixed disk, and a USB
        // disk that calls itself fixed.
        QVERIFY(sys.makeFolder("devices/pci/block/sdc/sdc1"));
        QVERIFY(sys.makeFolder("devices/pci/block/sda/sda1"));
        QVERIFY(sys.makeFolder("devices/pci/usb2/2-1/block/sdd"));
        QVERIFY(sys.makeFolder("dev/block"));
        const auto write = [&](const QByteArray &relative, const QByteArray &text) {
            QFile file(QFile::decodeName(sys.path(relative)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        };
        write("devices/pci/block/sdc/removable", "1\n");
        write("devices/pci/block/sda/removable", "0\n");
        write("devices/pci/usb2/2-1/block/sdd/removable", "0\n");
        QVERIFY(sys.makeSymlink("dev/block/8:33", "../../devices/pci/block/sdc/sdc1"));
        QVERIFY(sys.makeSymlink("dev/block/8:1", "../../devices/pci/block/sda/sda1"));
        QVERIFY(sys.makeSymlink("dev/block/8:48", "../../devices/pci/usb2/2-1/block/sdd"));

        QVERIFY(CFixedDrives::IsRemovableDevice(8, 33, sys.root()));
        QVERIFY(!CFixedDrives::IsRemovableDevice(8, 1, sys.root()));
        QVERIFY(CFixedDrives::IsRemovableDevice(8, 48, sys.root()));
        QVERIFY(!CFixedDrives::IsRemovableDevice(9, 9, sys.root()));
    }

    void labelFromLinkFolder()
    {
        TempDrive dev;
        QVERIFY(dev.isValid());
        QVERIFY(dev.makeFile("sdb1"));
        QVERIFY(dev.makeFile("sdb2"));
        QVERIFY(dev.makeFolder("by-label"));
        QVERIFY(dev.makeSymlink("by-label/OTHER", "../sdb2"));
        QVERIFY(dev.makeSymlink("by-label/My\\x20Disk", "../sdb1"));
        MountEntry entry;
        entry.major = 8;
        entry.minor = 17;
        entry.source = dev.path("sdb1");
        QCOMPARE(CFixedDrives::ReadLinkLabel(entry, dev.path("by-label")), QStringLiteral("My Disk"));
        entry.source = dev.path("sdb3");
        QCOMPARE(CFixedDrives::ReadLinkLabel(entry, dev.path("by-label")), QString());
        QCOMPARE(CFixedDrives::ReadLinkLabel(entry, dev.path("missing")), QString());
    }

    void spaceOfAPath()
    {
        TempDrive drive;
        QVERIFY(drive.isValid());
        const DiskSpace space = CDiskSpace::Query(drive.root());
        QVERIFY(space.ok);
        QVERIFY(space.totalBytes > 0);
        QVERIFY(space.freeBytes >= 0 && space.freeBytes <= space.totalBytes);
        QCOMPARE(space.UsedBytes(), space.totalBytes - space.freeBytes);
        QVERIFY(!CDiskSpace::Query(drive.path("no/such/folder")).ok);
    }

    void systemListAlwaysHasTheRoot()
    {
        // Reads this machine's mount table, but only checks what holds on any.
        const QList<FixedDrive> drives = CFixedDrives::List();
        QVERIFY(!drives.isEmpty());
        QCOMPARE(drives.first().mountPoint, QByteArray("/"));
    }
};

QTEST_MAIN(TestDrives)
#include "tst_drives.moc"
