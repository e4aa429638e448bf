#pragma once

#include "platform/DeletedOpenFile.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <sys/types.h>
#include <vector>

// Space on a drive that no listed file shows: files deleted while a running
// process kept them open hold their blocks until the process closes them
// (the usual answer to "the disk is full but its files are small"). Nothing
// is done to those processes; the user is only told who holds what.
class CDeletedOpenSpace
{
public:
    struct Holder
    {
        QByteArray program;
        pid_t pid = 0;
        std::int64_t bytes = 0; // of the files it holds, each once
    };

    // Keeps the files on the drive reached through `mountId` (0 when not
    // known) or lying on `device`: a btrfs subvolume has a device of its
    // own but shares the drive's mount.
    void Collect(const std::vector<DeletedOpenFile> &files, dev_t device, std::uint64_t mountId);

    // Bytes held, each file counted once however many processes hold it.
    std::int64_t GetBytes() const { return m_nBytes; }
    // Largest holder first; equal holders by name, then by process number.
    const std::vector<Holder> &GetHolders() const { return m_holders; }
    // "10 MB are held by deleted files that are still open: name (pid), ..."
    // naming the `maxHolders` largest holders; empty when nothing is held.
    QString SummaryText(int maxHolders = 3) const;

private:
    std::int64_t m_nBytes = 0;
    std::vector<Holder> m_holders;
};
