#pragma once

#include <cstddef>
#include <cstdint>

// Keeps an archive whole when the process that extends it is killed.
//
// Extending an archive in place rewrites its last bytes (the records that
// close it) and writes past its end; until that is done the file does not
// end as an archive. Before such a write the writer saves, on the file
// itself (an extended attribute), the length the archive had and the bytes
// that closed it; afterwards it drops them. Whoever finds them still there
// knows the writer died in between and puts those bytes back. Plain C++: the
// compression plug-in, which links nothing of the program, builds it too.
namespace ArchiveTail {

// Saves `length` and the `size` bytes that end there. False when the file
// system keeps no such attribute (the write then goes unguarded).
bool Save(int fd, std::uint64_t length, const char *bytes, std::size_t size);
// The write is through: nothing to put back.
void Drop(int fd);
// Puts back what a writer that died left saved: 1 when it did, 0 when
// nothing was saved, -1 when it could not (errno set).
int Restore(int fd);

} // namespace ArchiveTail
