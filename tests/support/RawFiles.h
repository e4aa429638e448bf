#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <sys/types.h>

// Small file helpers on raw path bytes, for tests that make and inspect
// files whose names need not be valid UTF-8 (QFile and QDir would not find
// them). None of them follows a symbolic link at the last level except
// DeviceOf, which asks about the file system a path leads to.

// Creates or truncates `path` with `data`; false on any failure.
bool WriteFile(const QByteArray &path, const QByteArray &data);
// The whole content, or "<unreadable>" when it cannot be opened (a link
// included: the test must never read through one by mistake).
QByteArray ReadFile(const QByteArray &path);
// The lines of `path`, without their line ends; none when it cannot be read.
QList<QByteArray> LinesOf(const QByteArray &path);
// Creates or truncates `path` with `size` bytes of real data, so every
// block is allocated (unlike a sparse file of that length).
bool WriteData(const QByteArray &path, std::int64_t size);
// The blocks `path` has on disk, in bytes; -1 when it cannot be told.
std::int64_t AllocatedAt(const QByteArray &path);
// Whether anything (a dangling link too) stands at `path`.
bool Exists(const QByteArray &path);
// The names in `folder`, sorted, without "." and "..".
QList<QByteArray> Entries(const QByteArray &folder);
// The device of the file system `path` leads to; 0 when it cannot be told.
dev_t DeviceOf(const QByteArray &path);
