#pragma once

#include "controls/CCancellableDlg.h"
#include "core/CEventPump.h"

#include <QByteArray>
#include <cstdint>
#include <memory>

class CEllipsisStatic;
class CFileMatcher;
class CFileScan;
class CMatchSink;
struct WalkRecord;

// The walk over the chosen drive and the small window that shows it: the
// file being examined, a bar of the bytes met so far against the bytes in use
// on the drive, and Cancel. Every file met is matched against the criteria;
// the matching ones go to the sink it was given. Cancelling stops the walk
// before the next entry.
class CScanDlg : public CCancellableDlg
{
    Q_OBJECT

public:
    // `pScan` holds the criteria to match with and `pSink` receives the matches;
    // either may be null (nothing is then matched, or nothing kept).
    explicit CScanDlg(const CFileScan *pScan = nullptr, CMatchSink *pSink = nullptr);
    ~CScanDlg() override;

    // Shows the window over `owner` and prepares a scan of `drive`: the bytes
    // in use there become the whole of the bar.
    void Create(QWidget *owner, const QByteArray &drive);

    // Walks everything below `folder`, depth first. Returns 0 when the
    // folder cannot be opened (nothing below it is examined), else 1.
    int ScanFolder(const QByteArray &folder);
    // Adds a file's size to the bytes met and moves the bar.
    void AddProgress(std::uint64_t nSize);
    // Moves the bar up to 100 one step at a time (a walk that finished).
    void FinishProgress();
    // Folders the last ScanFolder could not open or read (their files were
    // not examined).
    std::int64_t GetSkippedFolders() const { return m_nSkippedFolders; }
    CEllipsisStatic *GetPathStatic() const { return m_wndPath; }
    std::uint64_t GetTotalBytes() const { return m_nTotalBytes; }
    std::uint64_t GetDoneBytes() const { return m_nDoneBytes; }

protected:
    // Bytes the drive's files occupy: the whole of the bar.
    virtual std::int64_t QueryBytesInUse(const QByteArray &drive) const;


private:
    CEllipsisStatic *m_wndPath;
    std::uint64_t m_nTotalBytes = 0;
    std::uint64_t m_nDoneBytes = 0;
    void OnFile(const WalkRecord &record);
    bool OnBetweenEntries();

    const CFileScan *m_pScan;
    CMatchSink *m_pSink;
    std::unique_ptr<CFileMatcher> m_pMatcher;
    CEventPump m_pump;
    bool m_bShowNextPath = true;
    std::int64_t m_nSkippedFolders = 0;
};
