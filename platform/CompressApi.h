#pragma once

// The call contract between the program and the compression plug-in
// (libcomp.so). Plain C so that the plug-in needs nothing of the program.
//
// Compress stores `count` files, given by their full paths as raw bytes, in
// the zip archive at `archivePath`; successive calls with one archive path
// collect every file in that archive. The result is 0 when every file was
// stored; BV_COMPRESS_NOT_AN_ARCHIVE, with nothing stored and nothing
// written, when what stands at `archivePath` is not a zip archive the
// plug-in can add to (another file, a pipe, a device, a link); anything else
// when at least one file was not stored. A call with no files only opens the
// archive, so that the program can learn this before its first file.
//
// The callback reports progress: the work done and the work in all for the
// file being stored, both in KB. It is called at most twice for a file that
// was stored cleanly and a third time for a file that changed while it was
// being read. Its result is ignored.
//
// An archive never holds two entries of one name. A file whose entry name
// the archive already holds with the same size and CRC counts as stored (it
// is there); with other content it is stored under the first free numbered
// name, "name (2).ext" and on. The optional CompressRenamed tells how many
// files the last call stored so.

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*CompressCallbackFn)(int nDoneKB, int nTotalKB);
typedef int (*CompressFn)(const char *archivePath, const char *const *filePaths, int count,
                          CompressCallbackFn callback);
typedef int (*CompressRenamedFn)(void);
// The same, with each file's entry name given (raw bytes, '/'-separated;
// a leading '/' and empty levels are dropped, a "." or ".." level refuses
// the file); a null name, or a null array, names the entry after the path.
// A plug-in may lack it: the program then stores every file under its path.
typedef int (*CompressNamedFn)(const char *archivePath, const char *const *filePaths, const char *const *entryNames,
                               int count, CompressCallbackFn callback);

#ifdef __cplusplus
}
#endif

// The name the plug-in's file and its entry point go by.
#define BV_COMPRESS_LIBRARY_NAME "libcomp.so"
#define BV_COMPRESS_ENTRY_NAME "Compress"
#define BV_COMPRESS_RENAMED_NAME "CompressRenamed"
#define BV_COMPRESS_NAMED_ENTRY_NAME "CompressNamed"
// Compress's result when the archive's name is taken by something else.
#define BV_COMPRESS_NOT_AN_ARCHIVE 2
