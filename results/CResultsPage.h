#pragma once

#include "core/CMatchSink.h"
#include "core/CScanSession.h"
#include "results/CColumnFitter.h"
#include "results/CResultsHost.h"
#include "results/CTotalsLine.h"
#include "results/CUndoMoveAction.h"
#include "wizard/CWizardPage.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class CCheckBoxListCtrl;
class CFileIconProvider;
class CFlatPushButton;
class CResultsModel;
class CSortArrowHeader;
class QLabel;
class QMenu;

// The last page: it scans the chosen drive each time it becomes active and
// lists every matching file, checked, with the number and size of the checked
// files and the drive's free space beneath. Eliminate, Compress, Move and
// Delete act on the checked files, each through an action class of its own;
// the sheet's Next button reads Restart here and starts the wizard over.
//
// The found files live in the results model's store, under an index that
// never changes; a row knows its file by that index, so sorting and removing
// rows never confuses one file with another.
class CResultsPage : public CWizardPage, public CMatchSink, public CResultsHost
{
    Q_OBJECT

public:
    explicit CResultsPage(QWidget *parent = nullptr);
    ~CResultsPage() override;

    bool OnSetActive() override;
    // The sheet's Next button, labelled Restart on this page.
    void OnNextButton() override;
    // "Restart" on this page.
    int GetNextTextId() const override;
    // Scans the drive of the criteria record, start to end (or to Cancel).
    void StartScan();

    // A file the scan found: listed checked and counted, unchecked (live
    // work), or locked.
    void AddMatch(const ScanMatch &match) override;
    // Called between files while the page is busy: shows the rows and the
    // totals gathered since the last call.
    void RefreshWhileBusy(bool bShowRows) override;

    void UpdateSkippedFoldersText(std::int64_t nSkippedFolders) { m_totals.ShowSkippedFolders(nSkippedFolders); }

    void OnEliminate();
    void OnDelete();
    void OnMove();
    void OnCompress();
    void OnRestart();

    // The list's context menu for `row` (see CResultsMenu); the caller owns it.
    QMenu *CreateListMenu(int row);

    // How each scan builds its protection and learns the files held open
    // (this machine's by default; see CScanSession).
    void SetProtectionFactory(CScanSession::ProtectionFactory factory) { m_protectionFactory = std::move(factory); }
    void SetOpenFileSourceFactory(CScanSession::OpenFileSourceFactory factory)
    {
        m_openFileSourceFactory = std::move(factory);
    }
    // The time each scan judges live work by (the clock by default).
    void SetNow(std::int64_t seconds) { m_nNow = seconds; }

    // CResultsHost: what the actions reach.
    CCheckBoxListCtrl *GetList() const override { return m_listResults; }
    CResultsModel *GetModel() const override { return m_pModel; }
    QByteArray GetScannedDrive() const override { return m_strScannedDrive; }
    QWidget *GetBusyWindow() override;
    QWidget *GetPageWidget() override { return this; }
    void OnRowsChanged() override;
    void OnActionStarting() override;
    void OnActionEnded(const CActionStep &step, const ActionOutcome &outcome) override;
    void SetLastMove(std::unique_ptr<CMoveRecord> record) override;

    CFlatPushButton *GetMoveButton() const { return m_btnMove; }
    CFlatPushButton *GetEliminateButton() const { return m_btnEliminate; }
    CFlatPushButton *GetDeleteButton() const { return m_btnDelete; }
    CFlatPushButton *GetCompressButton() const { return m_btnCompress; }
    std::int64_t GetSelectedBytes() const;
    // What deleting the checked files would free, as the "frees about"
    // text shows it.
    std::int64_t GetForecastBytes() const;
    // For the last action that changed the disk: what the files it took off
    // the scanned drive were expected to free, and how much the drive's free
    // blocks really grew meanwhile. HasMeasuredFreedBytes() is false when
    // the drive could not be asked before and after.
    std::int64_t GetActionForecastBytes() const { return m_nActionForecastBytes; }
    std::int64_t GetMeasuredFreedBytes() const { return m_nMeasuredFreedBytes; }
    bool HasMeasuredFreedBytes() const { return m_bMeasuredFreed; }
    int GetSelectedCount() const { return m_nSelectedCount; }
    int GetScanTimerId() const { return m_nTimerId; }
    bool IsScanning() const { return m_bScanning != 0; }
    CSortArrowHeader *GetHeader() const { return m_headerResults; }

protected:
    void OnInitDialog() override;
    QWidget *CreateControl(const DialogControlTemplate &control) override;
    int GetAnchor(const DialogControlTemplate &control) const override;
    void resizeEvent(QResizeEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    CFlatPushButton *m_btnMove = nullptr;
    CFlatPushButton *m_btnEliminate = nullptr;
    CFlatPushButton *m_btnDelete = nullptr;
    CFlatPushButton *m_btnCompress = nullptr;
    CCheckBoxListCtrl *m_listResults = nullptr;
    int m_nSelectedCount = 0;
    int m_nTimerId = 0;
    int m_bScanning = 0;
    CSortArrowHeader *m_headerResults = nullptr;
    void OnChecksChanged();
    void OnListContextMenu(const QPoint &pos);
    // Takes the totals from the store, which has counted every change, and
    // switches the buttons on the 0 to 1 and 1 to 0 transitions.
    void SyncTotals();
    void EndAction();
    void FocusList();
    void EnableSheet(bool bEnable);
    void SetActionButtons(bool bEnable);
    // Writes the selection line and, beside it, what deleting the checked
    // files would really free.
    void UpdateSelectionText();
    void UpdateFreeSpaceText();
    QLabel *Static(int id) const;

    CResultsModel *m_pModel;
    std::unique_ptr<CFileIconProvider> m_pIcons;
    QByteArray m_strScannedDrive;
    bool m_bSelectionTextStale = false;
    CTotalsLine m_totals;
    CColumnFitter m_columns;
    CUndoMoveAction m_undoMove;

    CScanSession::ProtectionFactory m_protectionFactory;
    CScanSession::OpenFileSourceFactory m_openFileSourceFactory;
    std::optional<std::int64_t> m_nNow;

    std::int64_t m_nActionForecastBytes = 0;
    std::int64_t m_nMeasuredFreedBytes = 0;
    bool m_bMeasuredFreed = false;
};
