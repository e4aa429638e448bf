// The plug-in's entry points. Everything else in this folder is hidden.
#include "platform/CompressApi.h"

#include "comp/CEntryNames.h"
#include "comp/CEntrySource.h"
#include "comp/CZipArchive.h"

#include <climits>
#include <mutex>
#include <string>

namespace {

std::mutex g_lock;
// The archive of the last call, kept for the next call with the same path
// while the file is as that call left it.
CZipArchive::State g_cache;
// The names that archive holds, kept along with it.
CEntryNames g_names;
// Files the last call stored under a numbered name.
int g_nRenamed = 0;

int Kilobytes(std::uint64_t bytes)
{
    const std::uint64_t kb = (bytes + 1023) / 1024;
    return kb > std::uint64_t(INT_MAX) ? INT_MAX : int(kb);
}

int StoreFiles(const char *archivePath, const char *const *filePaths, const char *const *entryNames, int count,
               CompressCallbackFn callback)
{
    if (!archivePath || count < 0 || (count > 0 && !filePaths))
        return 1;
    std::lock_guard<std::mutex> lock(g_lock);
    g_nRenamed = 0;
    CZipArchive zip;
    if (!zip.Open(archivePath, g_cache))
        return zip.IsForeign() ? BV_COMPRESS_NOT_AN_ARCHIVE : 1;
    // The index of names holds while the archive is as the last call left it.
    if (!zip.IsFromCache())
        g_names.Reset();
    g_names.Sync(zip.Directory());

    static std::string data; // its room is kept from file to file
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        CEntrySource source;
        const char *entryName = entryNames ? entryNames[i] : nullptr;
        if (!filePaths[i] || !source.Open(filePaths[i], zip.FileStat(), entryName)) {
            ++failures;
            continue;
        }
        const int total = Kilobytes(source.ExpectedSize());
        if (callback)
            callback(0, total);
        // A small file read for its CRC is already in `data` for storing.
        bool bRead = false;
        const CEntryNames::Placement placement =
            g_names.Place(source.Info().name, source.ExpectedSize(), [&](std::uint32_t &crc) {
                if (!source.FitsInMemory())
                    return source.ComputeCrc(crc);
                bRead = source.ReadIntoMemory(data);
                crc = source.Info().crc;
                return bRead;
            });
        bool stored = placement == CEntryNames::Placement::AlreadyStored;
        if (placement == CEntryNames::Placement::New || placement == CEntryNames::Placement::Renamed) {
            if (source.FitsInMemory()) {
                stored = (bRead || source.ReadIntoMemory(data)) && zip.AddFromMemory(source.Info(), data);
            } else {
                stored = zip.AddStreamed(source.Info(), source.StreamBound(),
                                         [&source](const std::function<bool(const char *, std::size_t)> &sink) {
                                             return source.Stream(sink);
                                         });
            }
            g_names.Sync(zip.Directory());
            if (stored && placement == CEntryNames::Placement::Renamed)
                ++g_nRenamed;
        }
        if (data.capacity() > CEntrySource::kMemoryLimit * 2)
            std::string().swap(data);
        if (!stored) {
            ++failures;
            continue;
        }
        if (callback) {
            callback(total, total);
            // A third call: the file changed while it was read, so what was
            // stored may not be what the user sees; the program keeps it
            // listed as not done.
            if (source.Changed())
                callback(total, total);
        }
    }
    if (!zip.Finish(g_cache))
        return 1;
    return failures == 0 ? 0 : 1;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int Compress(const char *archivePath, const char *const *filePaths,
                                                                int count, CompressCallbackFn callback)
{
    return StoreFiles(archivePath, filePaths, nullptr, count, callback);
}

extern "C" __attribute__((visibility("default"))) int CompressNamed(const char *archivePath,
                                                                     const char *const *filePaths,
                                                                     const char *const *entryNames, int count,
                                                                     CompressCallbackFn callback)
{
    return StoreFiles(archivePath, filePaths, entryNames, count, callback);
}

extern "C" __attribute__((visibility("default"))) int CompressRenamed(void)
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_nRenamed;
}
