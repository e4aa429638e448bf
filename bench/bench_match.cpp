// Times the per-file decision of the walk over a million generated files.
// Prints records per second and nanoseconds per record for Express and for a
// Custom search, and, as a reference on the same data, a plain loop that
// decodes, lowercases and splits each path with QString the obvious way.

#include "core/CFileScan.h"
#include "core/CFileMatcher.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

int g_nRecords = 1000000; // the first argument, if given

QList<WalkRecord> GenerateRecords(bool shuffled)
{
    std::mt19937 random(20240615);
    const QByteArrayList top = {"home/anna", "home/ben", "usr/share", "usr/lib", "var/lib",
                                "var/cache", "opt", "srv/www", "home/anna/.cache", "tmp"};
    const QByteArrayList middle = {"src", "build", "Documents", "Pictures", "node_modules",
                                   "Debug", "Release", "lib", "include", "Temp", "fonts",
                                   "mozilla/firefox/profile.default", "projects/brimvale",
                                   "Téléchargements", "données", ".local/share/Trash/files"};
    const QByteArrayList leaf = {"a", "b", "core", "util", "test", "doc", "img", "v2", "x86_64",
                                 "icons/hicolor/48x48", "po", "cache2/entries"};
    const QByteArrayList stems = {"main", "index", "README", "Makefile", "libfoo.so", "report",
                                  "IMG_2041", "setup", "data", "notes", "archive.tar", "é-menu",
                                  "Résumé", ".bashrc", "CMakeLists", "settings", "thumbnail"};
    const QByteArrayList extensions = {".cpp", ".h", ".o", ".txt", ".jpg", ".png", ".log",
                                       ".tmp", ".bak", ".gz", ".json", ".html", ".py", ".so.6",
                                       "", ".old", ".pdf", ".odt", ".md", ".svg"};
    QList<WalkRecord> records;
    records.reserve(g_nRecords);
    while (records.size() < g_nRecords) {
        QByteArray folder = '/' + top[random() % top.size()] + '/' + middle[random() % middle.size()];
        if (random() % 2)
            folder += '/' + leaf[random() % leaf.size()];
        if (random() % 3 == 0)
            folder += '/' + QByteArray::number(int(random() % 100));
        // Files come folder by folder, as a walk meets them.
        const int files = 1 + int(random() % 40);
        for (int i = 0; i < files && records.size() < g_nRecords; ++i) {
            WalkRecord record;
            record.folder = folder;
            record.name = stems[random() % stems.size()] + QByteArray::number(int(random() % 1000))
                          + extensions[random() % extensions.size()];
            record.size = std::int64_t(random() % 50000000);
            record.creationTime = 1400000000 + std::int64_t(random() % 300000000);
            record.modifiedTime = record.creationTime + std::int64_t(random() % 1000000);
            record.accessedTime = record.modifiedTime + std::int64_t(random() % 1000000);
            records.append(record);
        }
    }
    if (!shuffled)
        return records;
    // Every file in another folder than the one before: the cost of matching
    // folder names, not of the per-folder memo. Copied afresh so that memory
    // is read in order, as the walk would hand it over.
    std::shuffle(records.begin(), records.end(), random);
    QList<WalkRecord> copies;
    copies.reserve(records.size());
    for (const WalkRecord &record : std::as_const(records)) {
        WalkRecord copy = record;
        copy.folder = QByteArray(record.folder.constData(), record.folder.size());
        copy.name = QByteArray(record.name.constData(), record.name.size());
        copies.append(copy);
    }
    return copies;
}

// The obvious way: decode and lowercase the whole path per file, split it,
// compare each folder name exactly, then the extension.
bool ReferenceExpress(const WalkRecord &record, const QStringList &folders, const QStringList &extensions)
{
    const QString folder = QString::fromUtf8(record.folder).toLower();
    for (const QString &part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (folders.contains(part))
            return true;
    }
    const QString name = QString::fromUtf8(record.name).toLower();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot >= 0 && extensions.contains(name.mid(dot + 1));
}

template <typename F>
double Run(const char *label, const QList<WalkRecord> &records, F match)
{
    // One warm-up pass, then the timed one.
    qint64 hits = 0;
    for (const WalkRecord &record : records)
        hits += match(record) ? 1 : 0;
    hits = 0;
    QElapsedTimer timer;
    timer.start();
    for (const WalkRecord &record : records)
        hits += match(record) ? 1 : 0;
    const double ns = double(timer.nsecsElapsed());
    const double perRecord = ns / records.size();
    std::printf("%-34s %10.0f records/s %8.1f ns/record  (%lld matched)\n", label,
                1e9 / perRecord, perRecord, static_cast<long long>(hits));
    return perRecord;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1)
        g_nRecords = std::max(1, std::atoi(argv[1]));
    const QList<WalkRecord> walk = GenerateRecords(false);
    const QList<WalkRecord> shuffled = GenerateRecords(true);

    CFileScan express;
    const CFileMatcher expressMatcher(express);

    CFileScan custom;
    custom.m_bExpress = 0;
    custom.m_bLocation = 1;
    custom.m_bExtension = 1;
    custom.m_bSize = 1;
    custom.m_bModified = 1;
    custom.m_nSizeMode = 2;
    custom.m_nSizeFrom = 1;
    custom.m_nModifiedMode = 0;
    custom.m_arrExtensions << QStringLiteral("*.gz") << QStringLiteral("o");
    const CFileMatcher customMatcher(custom);

    QStringList folders;
    for (const QString &f : CFileMatcher::ExpressFolders())
        folders << f.toLower();
    QStringList extensions;
    for (const QString &e : CFileMatcher::ExpressExtensions())
        extensions << e.toLower();

    std::printf("%d generated files\n", g_nRecords);
    const auto express1 = [&](const WalkRecord &r) { return expressMatcher.MatchFile(r); };
    const auto custom1 = [&](const WalkRecord &r) { return customMatcher.MatchFile(r); };
    const auto reference = [&](const WalkRecord &r) { return ReferenceExpress(r, folders, extensions); };

    // What merely reading every record costs, matching aside.
    const auto touch = [](const WalkRecord &r) {
        return (r.name.size() + r.folder.size() + r.name.constData()[0] + r.folder.constData()[1]) & 1;
    };
    Run("floor: read each record", walk, touch);
    Run("floor: read each record, mixed", shuffled, touch);
    const double e = Run("Express, walk order", walk, express1);
    const double es = Run("Express, folder changes every file", shuffled, express1);
    // What the scan does per match on top: the worded reason, shared by the
    // files of a folder.
    const auto expressWhy = [&](const WalkRecord &r) {
        return expressMatcher.MatchFile(r) && !expressMatcher.GetReason(r).text.isEmpty();
    };
    Run("Express + reason, walk order", walk, expressWhy);
    Run("Express + reason, folder changes", shuffled, expressWhy);
    Run("Custom (4 criteria), walk order", walk, custom1);
    const double ref = Run("reference, walk order", walk, reference);
    const double refs = Run("reference, folder changes every file", shuffled, reference);
    std::printf("ratio reference/Express: %.1fx (walk order), %.1fx (folder changes every file)\n", ref / e, refs / es);
    return 0;
}
