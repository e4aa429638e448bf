#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

class CResultStore;

// Writes a list of found files as comma-separated values for spreadsheets
// and scripts: a header row, then one row per file with the columns file,
// folder, size, allocated, created, modified, accessed, reason, checked,
// frees_min, frees_max. The last two are what removing that file alone
// would give back: surely, and at most. They differ for data the file
// shares with other files or snapshots (reflinked copies), which comes
// back only when every owner goes; a file whose other links stay, or
// that a running process holds, frees 0. Since shared data comes back
// once for all its owners, the rows do not add up to what removing them
// together frees: the summary says that.
//
// The form is the common one: commas between fields, CRLF after each row,
// a field holding a comma, a quote, CR or LF is put in quotes with its
// quotes doubled. Sizes are bytes, times ISO 8601 in UTC ("...Z"), checked
// is 1 or 0. File and folder are written with the command line's path
// escapes, so a name that is not UTF-8 (or holds a backslash or a line
// break) reads back to exactly its bytes.
class CCsvListWriter
{
public:
    struct Row
    {
        const char *name = nullptr;
        qsizetype nameSize = 0;
        const char *folder = nullptr;
        qsizetype folderSize = 0;
        std::int64_t size = 0;
        std::int64_t allocated = 0;
        std::int64_t created = 0;
        std::int64_t modified = 0;
        std::int64_t accessed = 0;
        const QString *reason = nullptr;
        bool checked = false;
        std::int64_t freesMin = 0;
        std::int64_t freesMax = 0;
    };

    static void AppendHeader(QByteArray &out);
    static void AppendRow(const Row &row, QByteArray &out);
    // The store's file `index` as a row; `name` and `folder` keep the bytes
    // the row points at.
    static Row StoreRow(const CResultStore &store, int index, QByteArray &name, QByteArray &folder);
    static void AppendStoreRow(const CResultStore &store, int index, QByteArray &out);
    // Header and the given files (store indices) in the given order.
    static QByteArray Write(const CResultStore &store, const std::vector<int> &indices);

    // A field, quoted when it must be.
    static void AppendField(const char *data, qsizetype size, QByteArray &out);
};
