#pragma once

#include <QByteArray>
#include <cstdint>
#include <sys/types.h>

// How many threads should read folders ahead of a walk of one drive.
//
// A solid-state or network drive answers many requests at once, and a warm
// cache spreads over the cores: twice as many readers as cores, at most 8.
// A rotating disk answers fastest when asked in order, so it gets one (the
// walk then reads every folder on its own thread). A paravirtual disk of a
// virtual machine counts as not rotating, whatever it says. BRIMVALE_READERS, when set
// to a number of at least 1, overrides the choice.
class CReaderCount
{
public:
    static constexpr int kMostReaders = 8;

    // For the drive mounted as `mountId` (0 when unknown) on `device`.
    static int ForDrive(dev_t device, std::uint64_t mountId);
    // Whether the block device behind `device` turns: its partition's disk,
    // or any disk below a device-mapper or RAID device. False when unknown.
    static bool IsRotational(dev_t device, std::uint64_t mountId);
    // Whether the device at `sysPath` (a /sys/dev/block/MAJ:MIN link
    // resolved) turns, following the same rules.
    static bool IsRotationalAt(const QByteArray &sysPath, int depth = 0);
    // Whether the disk at `diskSysPath` is a paravirtual one, whose
    // rotational flag tells nothing of the storage behind it.
    static bool IsVirtualDisk(const QByteArray &diskSysPath);
    static int FromEnvironment(); // 0 when unset or not a number of at least 1
};
