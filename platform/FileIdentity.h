#pragma once

#include <cstdint>
#include <sys/types.h>

struct statx;

// Who a file is, as far as an action is concerned. Device and inode alone do
// not do: a file system hands a freed inode number to the next new file at
// once, so a file deleted and saved again under the same name would pass.
// Type, size and the nanosecond times tell such a newcomer apart.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    std::uint32_t type = 0;          // the S_IFMT bits of the mode
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;     // nanoseconds since 1970
    std::int64_t birthNs = 0;        // nanoseconds since 1970, 0 when unknown
    bool hasBirth = false;

    // The identity statx reported; the mask says which times are real.
    static FileIdentity FromStatx(const struct statx &st);

    // Whether `now` is the same file. A birth time known on only one side
    // (a file system that stopped reporting it) is not held against it.
    bool SameFile(const FileIdentity &now) const;

    bool operator==(const FileIdentity &other) const = default;
};
