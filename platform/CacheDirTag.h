#pragma once

#include <cstddef>
#include <cstring>

// A folder that holds a file named CACHEDIR.TAG beginning with a fixed
// signature says that everything in it can be made again (build tools,
// package managers and font caches write it; backup tools skip such folders).
namespace CacheDirTag {

// Whether a listing entry's name is the tag's.
inline bool IsTagName(const char *name, std::size_t length)
{
    return length == 12 && std::memcmp(name, "CACHEDIR.TAG", 12) == 0;
}

// Whether the CACHEDIR.TAG in the folder `folderFd` (which may be an O_PATH
// descriptor) is a regular file that begins with the signature. Only the
// first 43 bytes are read; a link, a pipe or a device is never opened.
bool HasValidSignature(int folderFd);

} // namespace CacheDirTag
