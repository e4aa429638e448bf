// Stand-ins for the compression plug-in, one behaviour each, chosen when the
// test suite builds them. Each appends every file path it is handed to the
// "archive" as a line, so that a test sees what the program passed and in
// which order.
#include "platform/CompressApi.h"

#include <cstdio>

namespace {

[[maybe_unused]] void Log(const char *archive, const char *const *files, int count)
{
    if (FILE *f = std::fopen(archive, "ab")) {
        for (int i = 0; i < count; ++i)
            std::fprintf(f, "%s\n", files[i]);
        std::fclose(f);
    }
}

} // namespace

#ifndef STANDIN_NOENTRY
extern "C" __attribute__((visibility("default"))) int Compress(const char *archive, const char *const *files,
                                                                int count, CompressCallbackFn callback)
{
    Log(archive, files, count);
#if defined(STANDIN_FAIL)
    (void)callback;
    return 7;
#else
    callback(0, 1);
    callback(1, 1);
#if defined(STANDIN_THRICE)
    callback(1, 1);
#endif
    return 0;
#endif
}
#else
extern "C" __attribute__((visibility("default"))) int Compres(const char *, const char *const *, int,
                                                               CompressCallbackFn)
{
    return 0;
}
#endif
