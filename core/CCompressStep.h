#pragma once

#include "platform/CompressApi.h"
#include "core/CActionStep.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

class CResultStore;
struct CTrashItem;

// Calls of the progress callback since the last reset; the step resets it
// before each call of the plug-in and reads it after.
extern std::uint32_t g_nCompressCallbacks;
// The callback handed to the plug-in: counts, and asks it to go on.
extern "C" int CompressCallback(int nDoneKB, int nTotalKB);

// Stores a listed file in the zip archive through the plug-in's Compress,
// provided it is still the file the walk found. The file itself is never
// changed. A file the plug-in reports as not stored is announced through the
// error handler (the program shows a message; a command line prints a line)
// and counts as failed; so, silently, does a file for which the plug-in
// called back three times or more (it changed while being read). When the
// archive's name is taken by a file that is not a zip archive, nothing is
// written: the step says so once through the refusal handler and acts on no
// file from then on (IsRefused).
// A trash entry is stored under the path it had before it was trashed (a
// trashed folder with all of its files), where the plug-in can name entries.
class CCompressStep : public CActionStep
{
public:
    using ErrorHandler = std::function<void(const QByteArray &path)>;

    CCompressStep(const CResultStore &store, const QByteArray &driveRoot, const QByteArray &archivePath,
                  CompressFn compress, ErrorHandler onError);
    ~CCompressStep() override;
    CCompressStep(const CCompressStep &) = delete;
    CCompressStep &operator=(const CCompressStep &) = delete;

    int GetStatusTextId() const override;
    int GetFailedMessageId() const override;
    bool ChangesDisk() const override { return true; }
    FileOpResult Run(int index) override;

    // The plug-in's count of files it stored under a numbered name, asked
    // after each stored file; without it nothing is counted.
    void SetRenamedCounter(CompressRenamedFn counter) { m_pRenamed = counter; }
    // Files stored under a numbered name so far, their names being taken in
    // the archive by other content.
    int GetRenamedCount() const { return m_nRenamed; }

    // Told the archive's path, once, when it is found not to be an archive.
    void SetRefusalHandler(ErrorHandler onRefused) { m_onRefused = std::move(onRefused); }
    bool IsRefused() const override { return m_bRefused; }
    // Whether what stands at the archive's name can take files (nothing, or
    // an archive); asked once, before the first file, and by a dry run, which
    // must refuse what the real run would. Writes nothing.
    bool CheckArchiveOnce();

private:
    FileOpResult CheckIdentity(int index) const;
    // Notes the archive in the journal before its first file; false with
    // errno set when the note could not be written.
    bool NoteArchive();
    // Stores one file; `entryName` empty: named after its path.
    FileOpResult Store(const QByteArray &path, const QByteArray &entryName);
    FileOpResult StoreTrashFolder(const CTrashItem &trash);
    void Refuse();

    const CResultStore &m_store;
    QByteArray m_strDriveRoot;
    QByteArray m_strArchive;
    CompressFn m_pCompress;
    CompressNamedFn m_pCompressNamed = nullptr;
    ErrorHandler m_onError;
    int m_nArchiveTicket = 0;
    CompressRenamedFn m_pRenamed = nullptr;
    int m_nRenamed = 0;
    ErrorHandler m_onRefused;
    bool m_bRefused = false;
    bool m_bArchiveChecked = false;
};
