#include "LoopImage.h"

#include "ChildProcess.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether this process already left the machine's mount namespace.
bool g_bPrivateNamespace = false;

} // namespace

bool LoopImage::Run(const QByteArrayList &command, QByteArray *output)
{
    if (command.isEmpty())
        return false;
    QStringList args;
    for (qsizetype i = 1; i < command.size(); ++i)
        args.append(QString::fromLocal8Bit(command[i]));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QString::fromLocal8Bit(command.first()), args);
    const bool finished = process.waitForFinished(120000);
    if (output)
        *output = process.readAll();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool LoopImage::EnterOwnNamespace(QByteArray &why)
{
    if (g_bPrivateNamespace)
        return true;
    if (!EnterPrivateMountNamespace(why))
        return false;
    if (::getuid() != 0) {
        why = "mounting an image needs real root";
        return false;
    }
    g_bPrivateNamespace = true;
    return true;
}

LoopImage::LoopImage(Kind kind, int megabytes)
{
    const char *mkfs = kind == Btrfs ? "mkfs.btrfs" : kind == Xfs ? "mkfs.xfs" : "mkfs.ext4";
    const char *type = kind == Btrfs ? "btrfs" : kind == Xfs ? "xfs" : "ext4";
    if (::geteuid() != 0) {
        m_why = "needs root to mount a file system image";
        return;
    }
    if (QStandardPaths::findExecutable(QString::fromLatin1(mkfs)).isEmpty()
        && QStandardPaths::findExecutable(QString::fromLatin1(mkfs), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
               .isEmpty()) {
        m_why = QByteArray(mkfs) + " is not installed (btrfs-progs, xfsprogs)";
        return;
    }
    if (::access("/dev/loop-control", R_OK | W_OK) != 0) {
        m_why = "no loop devices here (/dev/loop-control)";
        return;
    }
    if (!m_dir.isValid()) {
        m_why = "no temporary folder";
        return;
    }
    // Mounts made from now on belong to this process alone and vanish with
    // it, even when it is killed before it can unmount.
    if (QByteArray why; !EnterOwnNamespace(why)) {
        m_why = "cannot leave the machine's mount namespace: " + why;
        return;
    }
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QByteArray image = folder + "/image";
    m_root = folder + "/mnt";
    if (::mkdir(m_root.constData(), 0755) != 0) {
        m_why = "cannot make the mount point";
        return;
    }
    const int fd = ::open(image.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool sized = fd >= 0 && ::ftruncate(fd, off_t(megabytes) * 1048576) == 0;
    if (fd >= 0)
        ::close(fd);
    QByteArray output;
    const QByteArrayList format = kind == Ext4 ? QByteArrayList{mkfs, "-q", "-F", image} : QByteArrayList{mkfs, "-q", image};
    if (!sized || !Run(format, &output)) {
        m_why = QByteArray(mkfs) + " failed: " + output.trimmed();
        return;
    }
    if (!Run({"mount", "-t", type, "-o", "loop", image, m_root}, &output)) {
        m_why = "cannot mount the image: " + output.trimmed();
        return;
    }
    m_bMounted = true;
}

LoopImage::~LoopImage()
{
    if (!m_bMounted)
        return;
    // A file a test left open keeps the mount busy: detach it then, and it
    // goes when the last file closes.
    if (::umount2(m_root.constData(), 0) != 0)
        ::umount2(m_root.constData(), MNT_DETACH);
}

bool LoopImage::MakeSubvolume(const QByteArray &relative)
{
    return Run({"btrfs", "-q", "subvolume", "create", path(relative)});
}

bool LoopImage::MakeSnapshot(const QByteArray &from, const QByteArray &to)
{
    return Run({"btrfs", "-q", "subvolume", "snapshot", "-r", path(from), path(to)});
}

bool LoopImage::WriteData(const QByteArray &path, std::int64_t size, char fill)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const QByteArray block(1048576, fill);
    bool ok = true;
    for (std::int64_t done = 0; ok && done < size; done += block.size())
        ok = ::write(fd, block.constData(), std::size_t(qMin<std::int64_t>(block.size(), size - done))) > 0;
    ok = ::fsync(fd) == 0 && ok;
    ::close(fd);
    return ok;
}

bool LoopImage::Reflink(const QByteArray &from, const QByteArray &to)
{
    const int source = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    const int target = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    const bool ok = source >= 0 && target >= 0 && ::ioctl(target, FICLONE, source) == 0 && ::fsync(target) == 0;
    if (source >= 0)
        ::close(source);
    if (target >= 0)
        ::close(target);
    return ok;
}

bool LoopImage::Sync() const
{
    const int fd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::syncfs(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}
