#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QTemporaryDir>
#include <cstdint>

// A small file system of its own kind, for what only btrfs or xfs do
// (reflinked copies, snapshots): a sparse image in a temporary folder,
// formatted and mounted on a folder beside it, in a mount namespace of this
// process's own, so that the mount goes with the process however it ends.
// Unmounted and removed when the fixture goes.
class LoopImage
{
public:
    enum Kind { Btrfs, Xfs, Ext4 };

    // `megabytes`: the image's size (xfs wants 300 at least).
    explicit LoopImage(Kind kind, int megabytes = 300);
    ~LoopImage();
    LoopImage(const LoopImage &) = delete;
    LoopImage &operator=(const LoopImage &) = delete;

    bool isMounted() const { return m_bMounted; }
    // Why there is no mount (for a skip message).
    QByteArray whyNot() const { return m_why; }
    // The mount point, without a trailing slash.
    QByteArray root() const { return m_root; }
    QByteArray path(const QByteArray &relative) const { return m_root + '/' + relative; }

    // Leaves the machine's mount namespace for one of this process's own
    // (once); false with `why` where that is not allowed.
    static bool EnterOwnNamespace(QByteArray &why);
    // Runs a program (no shell) and waits for it; true when it exits 0.
    static bool Run(const QByteArrayList &command, QByteArray *output = nullptr);
    // Makes `path` (below the root) a btrfs subvolume.
    bool MakeSubvolume(const QByteArray &relative);
    // A read-only snapshot of the subvolume at `from`, named `to`.
    bool MakeSnapshot(const QByteArray &from, const QByteArray &to);
    // Writes `size` bytes of data (not a hole) to a new file, and flushes it.
    static bool WriteData(const QByteArray &path, std::int64_t size, char fill = 'x');
    // `to` as a copy of `from` that shares all its data.
    static bool Reflink(const QByteArray &from, const QByteArray &to);
    // Flushes the whole file system, so that its free-space figure is final.
    bool Sync() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_root;
    QByteArray m_why;
    bool m_bMounted = false;
};
