#pragma once

#include <QByteArray>
#include <QList>

// The few small files protection looks at to learn what a folder is (a
// backup repository's marker, a backup tool's settings): what stands at a
// path and the first bytes of a file, looked at without following a final
// link, without waiting on a pipe and never reading more than asked for.
class CMarkerFiles
{
public:
    enum class Kind { Missing, File, Folder, Other };
    static Kind KindAt(const QByteArray &path);
    // Up to `limit` bytes from the start of the regular file at `path`;
    // empty when there is none (or it cannot be read).
    static QByteArray ReadHead(const QByteArray &path, int limit);
    // Names of the regular files in `folder` that begin with `prefix` and
    // end with `suffix`, in no particular order.
    static QList<QByteArray> FileNamesIn(const QByteArray &folder, const QByteArray &prefix,
                                         const QByteArray &suffix);
};
