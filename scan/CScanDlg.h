#pragma once

#include "controls/CCancellableDlg.h"
#include "core/CEventPump.h"
#include "core/CScanSession.h"

#include <QByteArray>
#include <cstdint>

class CEllipsisStatic;

// The small window that shows a scan while the scan session walks: the file
// being examined, a bar of the bytes met so far against the bytes in use on
// the drive, and Cancel. Between entries it keeps the program alive and
// tells the sink when to show what it gathered; Cancel stops the walk before
// the next entry.
class CScanDlg : public CCancellableDlg, public CScanProgress
{
    Q_OBJECT

public:
    CScanDlg();
    ~CScanDlg() override;

    // Shows the window over `owner` for a scan of `drive`: the bytes in use
    // there become the whole of the bar.
    void Create(QWidget *owner, const QByteArray &drive);

    // Adds a file's size to the bytes met and moves the bar.
    void AddProgress(std::uint64_t nSize);
    // Moves the bar up to 100 one step at a time (a walk that finished).
    void FinishProgress();
    CEllipsisStatic *GetPathStatic() const { return m_wndPath; }
    std::uint64_t GetTotalBytes() const { return m_nTotalBytes; }
    std::uint64_t GetDoneBytes() const { return m_nDoneBytes; }

    void OnFileMet(const WalkRecord &record) override;
    void WhileWaiting() override;
    bool OnBetweenEntries(CMatchSink &sink) override;

protected:
    // Bytes the drive's files occupy: the whole of the bar.
    virtual std::int64_t QueryBytesInUse(const QByteArray &drive) const;

private:
    CEllipsisStatic *m_wndPath;
    std::uint64_t m_nTotalBytes = 0;
    std::uint64_t m_nDoneBytes = 0;
    CEventPump m_pump;
    bool m_bShowNextPath = true;
};
