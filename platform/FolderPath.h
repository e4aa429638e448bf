#pragma once

#include <QByteArray>
#include <cstdint>

// The path of an open folder and the way back to it, for notes that must
// find the folder again in another process (CActionJournal).
namespace FolderPath {

// The absolute path of the folder open as `fd` (any descriptor, O_PATH
// too), with its device and inode. Folders deeper than the kernel will name
// in one piece are named by climbing their ".." links. False when the folder
// has no path any more (removed) or cannot be climbed.
bool Of(int fd, QByteArray &path, std::uint64_t &device, std::uint64_t &inode);

// Opens `path` (absolute, any length) one component at a time without
// following a link, as an O_PATH folder. -1 with errno set on failure.
int Open(const QByteArray &path);

} // namespace FolderPath
