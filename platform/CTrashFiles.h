#pragma once

#include "platform/FileIdentity.h"
#include "platform/FileOpResult.h"

#include <QByteArray>

// The small files a freedesktop trash keeps beside its entries: the
// .trashinfo of each entry and the "directorysizes" cache. Never through a
// link, never a pipe or a device.
class CTrashFiles
{
public:
    // The first `maxBytes` of a regular file; empty when it cannot be read.
    static QByteArray ReadSmall(const QByteArray &path, qsizetype maxBytes = 64 * 1024);
    // Same, for `name` in the folder `folderFd`; false when it cannot be read.
    static bool ReadSmallAt(int folderFd, const QByteArray &name, QByteArray &text, qsizetype maxBytes = 1 << 20);
    // Replaces `name` in `folderFd` with `text` whole: written under a
    // temporary name beside it, then renamed over it, so a reader sees the
    // old text or the new one, never a part.
    static FileOpResult ReplaceAt(int folderFd, const QByteArray &name, const QByteArray &text);
    // Makes `name` in `folderFd` with `text`, never replacing anything there
    // (EEXIST when the name is taken). The file is written unnamed and
    // linked in whole, so a reader, or a kill, never meets part of it.
    // `identity`, when given, receives what the new file is.
    static FileOpResult CreateAt(int folderFd, const QByteArray &name, const QByteArray &text,
                                 FileIdentity *identity = nullptr);
    // Removes whatever empty folders the folder `name` in `parentFd` holds,
    // deepest first, then the folder itself; files are never touched.
    // True when the folder is gone.
    static bool RemoveEmptyTree(int parentFd, const QByteArray &name);
};
