#pragma once

#include "controls/CCancellableDlg.h"
#include "core/CEventPump.h"
#include "core/CScanSession.h"

#include <QByteArray>
#include <cstdint>

class CEllipsisStatic;

// The small window that shows a scan while the scan session walks: the file
// being examined, a bar of the files and folders met so far against those
// the drive holds, and Cancel. Where the file system does not count its
// entries (btrfs), the bar is of the bytes the files met occupy against the
// bytes in use, and every file's blocks are looked at for it. Between
// entries it keeps the program alive and tells the sink when to show what
// it gathered; Cancel stops the walk before the next entry.
class CScanDlg : public CCancellableDlg, public CScanProgress
{
    Q_OBJECT

public:
    CScanDlg();
    ~CScanDlg() override;

    // Shows the window over `owner` for a scan of `drive`: its entries (or
    // bytes) in use become the whole of the bar.
    void Create(QWidget *owner, const QByteArray &drive);

    // Adds entries (or bytes) met and moves the bar.
    void AddProgress(std::uint64_t nMet);
    // Moves the bar up to 100 one step at a time (a walk that finished).
    void FinishProgress();
    CEllipsisStatic *GetPathStatic() const { return m_wndPath; }
    // The bar's whole and what was met of it, in entries or in bytes.
    std::uint64_t GetTotal() const { return m_nTotal; }
    std::uint64_t GetDone() const { return m_nDone; }
    bool CountsBytes() const { return m_bCountBytes; }

    void OnFileMet(const WalkRecord &record) override;
    void OnFolderMet() override;
    bool WantsFileFacts() const override { return m_bCountBytes; }
    void WhileWaiting() override;
    bool OnBetweenEntries(CMatchSink &sink) override;

protected:
    // Files, folders and links on the drive's file system; 0 when it does
    // not count them.
    virtual std::int64_t QueryEntriesInUse(const QByteArray &drive) const;
    // Bytes the drive's files occupy.
    virtual std::int64_t QueryBytesInUse(const QByteArray &drive) const;

private:
    CEllipsisStatic *m_wndPath;
    bool m_bCountBytes = false;
    std::uint64_t m_nTotal = 0;
    std::uint64_t m_nDone = 0;
    CEventPump m_pump;
    bool m_bShowNextPath = true;
};
