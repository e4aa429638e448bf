#pragma once

#include "core/CCsvListWriter.h"

#include <QByteArray>
#include <cstdint>

// `scan --format json`: one JSON document, written as the files are found so
// that a list of any length costs no memory:
//
//   {"drive": "/srv", "files": [
//   {"file": "a.tmp", "folder": "/srv/Temp", "size": 5, ...},
//   ...
//   ],
//   "summary": {"examined": 11, "listed": 7, ...}}
//
// Each file carries the columns of the CSV list (file, folder, size,
// allocated, created, modified, accessed, reason, checked), sizes as
// numbers, times as ISO 8601 UTC text. Paths are UTF-8 where they are valid
// and escaped byte by byte where not (AppendJsonString).
class CJsonListWriter
{
public:
    struct Figures
    {
        std::int64_t examined = 0;
        std::int64_t listed = 0;
        std::int64_t listedBytes = 0;
        std::int64_t unreadableFolders = 0;
        std::int64_t protectedFiles = 0;
    };

    static void AppendStart(const QByteArray &drive, QByteArray &out);
    // `first`: the first file of the array (no comma before it).
    static void AppendFile(const CCsvListWriter::Row &row, bool first, QByteArray &out);
    static void AppendEnd(const Figures &figures, QByteArray &out);
};
