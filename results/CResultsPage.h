#pragma once

#include "core/CHeldOpenFiles.h"
#include "core/CMatchSink.h"
#include "core/COpenFileSource.h"
#include "core/CProtection.h"
#include "core/FailedFile.h"
#include "wizard/CWizardPage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CActionStep;
class CCheckBoxListCtrl;
class CMoveRecord;
class CFileIconProvider;
class CFlatPushButton;
class CResultsModel;
class CSortArrowHeader;
class QLabel;
class QMenu;
struct WalkRecord;

// The last page: it walks the chosen drive each time it becomes active and
// lists every matching file, checked, with the number and size of the checked
// files and the drive's free space beneath. Eliminate, Compress, Move and
// Delete act on the checked files; the sheet's Next button reads Restart here
// and starts the wizard over.
//
// The found files live in the results model's store, under an index that
// never changes (the arrays of paths and sizes); a row knows its file by that
// index, so sorting and removing rows never confuses one file with another.
class CResultsPage : public CWizardPage, public CMatchSink
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
    // Walks the drive of the criteria record, start to end (or to Cancel).
    void StartScan();

    // Appends a file the walk found: checked, counted, shown.
    void AddResult(const WalkRecord &record, const MatchReason &why) override;
    // A protected file the Custom search met: listed locked.
    void AddProtectedResult(const WalkRecord &record, ProtectionReason reason) override;
    // Called between files while the page is busy: shows the rows and the
    // totals gathered since the last call.
    void RefreshWhileBusy(bool bShowRows) override;

    QString GetFreeSpaceText() const;
    void SetActionButtons(bool bEnable);
    // Writes the selection line and, beside it, what deleting the checked
    // files would really free.
    void UpdateSelectionText();
    void UpdateFreeSpaceText();
    // The line beside the totals that says how many folders the scan could
    // not read; empty when it read them all.
    void UpdateSkippedFoldersText(std::int64_t nSkippedFolders);

    // Visits the checked rows from the last to the first behind a progress
    // window showing the step's status text, running `step` on each until
    // it is done or cancelled. The rows of the files it dealt with leave the
    // list; the others are returned with the step's result, in the order
    // met. Ends with the common end of an action.
    QList<FailedFile> RunAction(CActionStep &step);
    // A step with files of its own (GetOwnItems) is run on those instead,
    // and the rows of the files it dealt with come back through its Finish.
    // Every run ends what the last Move kept for its undo.
    // RunAction, then what every action does after it: the free-space line
    // when the step changes the disk, the failed-files dialog when it can fail.
    QList<FailedFile> RunStep(CActionStep &step);

    void OnEliminate();
    void OnDelete();
    void OnMove();
    void OnCompress();
    void OnRestart();

    // The list's context menu for `row` (-1: no row under the pointer),
    // made afresh each time; the caller owns it. Items that cannot act on
    // that row are there but disabled.
    QMenu *CreateListMenu(int row);
    // Checks (`bCheck`) or unchecks every file listed for the same reason as
    // `row`, locked files aside, in one change of the list.
    void OnCheckReason(int row, bool bCheck);
    // The window of reasons, with their counts, sizes and what they free.
    void OnReasons();
    // Writes the listed rows, as shown, to a file the user picks.
    void OnSaveList();
    // "Undo Move", enabled while the last Move can still be undone.
    void AddUndoMoveItem(QMenu *menu);
    // The last Move's record, kept until the next action, Restart or scan.
    void SetLastMove(std::unique_ptr<CMoveRecord> record);
    bool CanUndoMove() const;
    // Puts the files of the last Move back and their rows into the list.
    void OnUndoMove();

    // Files that are never offered. Each scan builds its protection for the
    // drive with `factory` (this machine's sources by default); a factory
    // returning null scans without protection.
    using ProtectionFactory = std::function<std::unique_ptr<CProtection>(const QByteArray &drive)>;
    void SetProtectionFactory(ProtectionFactory factory) { m_protectionFactory = std::move(factory); }
    const CProtection::Counts &GetProtectedCounts() const { return m_protectedCounts; }
    // Where a scan learns which files running processes hold when its
    // protection cannot tell (no protection, or one without that source):
    // this machine's processes by default; a factory returning null leaves
    // every file counted as free to go.
    using OpenFileSourceFactory = std::function<std::unique_ptr<COpenFileSource>()>;
    void SetOpenFileSourceFactory(OpenFileSourceFactory factory) { m_openFileSourceFactory = std::move(factory); }
    void UpdateProtectedText();

    CCheckBoxListCtrl *GetList() const { return m_listResults; }
    CResultsModel *GetModel() const { return m_pModel; }
    // The root the last scan walked, as raw bytes.
    QByteArray GetScannedDrive() const { return m_strScannedDrive; }

    CFlatPushButton *GetMoveButton() const { return m_btnMove; }
    CFlatPushButton *GetEliminateButton() const { return m_btnEliminate; }
    CFlatPushButton *GetDeleteButton() const { return m_btnDelete; }
    CFlatPushButton *GetCompressButton() const { return m_btnCompress; }
    std::int64_t GetSelectedBytes() const { return m_nSelectedBytes; }
    // What deleting the checked files would free, as the "frees about"
    // text shows it.
    std::int64_t GetForecastBytes() const { return m_nForecastBytes; }
    // For the last action that changed the disk: what the files it took off
    // the scanned drive were expected to free, and how much the drive's free
    // blocks really grew meanwhile (other programs writing to the drive move
    // that too). HasMeasuredFreedBytes() is false when the drive could not
    // be asked before and after.
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
    std::int64_t m_nSelectedBytes = 0;
    int m_nSelectedCount = 0;
    int m_nTimerId = 0;
    int m_bScanning = 0;
    CSortArrowHeader *m_headerResults = nullptr;
    void OnCheckChanged(int nNewState, int nItem);
    void OnChecksChanged();
    void OnListContextMenu(const QPoint &pos);
    // Takes the totals from the store, which has counted every change, and
    // switches the buttons on the 0 to 1 and 1 to 0 transitions.
    void SyncTotals();
    void EndAction();
    // Puts the "frees about" text right after the selection text and lets
    // the free-space line have the rest of the line.
    void LayoutTotalsLine();
    bool IsHeldOpen(const WalkRecord &record) const;
    void FocusList();
    // Gives the Location column whatever width the list gained or lost.
    void FitColumnsToList();
    int m_nListWidth = 0;
    // Width the resizes gave Location, which shrinking takes back first.
    int m_nLocationGrown = 0;
    // The window the long loops disable: the sheet, or the page alone when
    // it stands outside one.
    QWidget *SheetWindow();
    void EnableSheet(bool bEnable);
    QLabel *Static(int id) const;

    CResultsModel *m_pModel;
    std::unique_ptr<CFileIconProvider> m_pIcons;
    QByteArray m_strScannedDrive;
    bool m_bSelectionTextStale = false;

    ProtectionFactory m_protectionFactory;
    CProtection::Counts m_protectedCounts{};
    int m_nUnreadableProcesses = 0;
    bool m_bProtectedLocked = false;

    OpenFileSourceFactory m_openFileSourceFactory;
    // During a scan: who knows the files held open.
    const CProtection *m_pScanProtection = nullptr;
    CHeldOpenFiles m_heldOpen;

    int m_nFreeSpaceWidth = 0; // the free-space line's own width, from the template
    std::int64_t m_nForecastBytes = 0;
    std::int64_t m_nActionForecastBytes = 0;
    std::int64_t m_nMeasuredFreedBytes = 0;
    bool m_bMeasuredFreed = false;
    // Files the running action took off the drive.
    std::vector<int> m_arrFreedItems;

    std::unique_ptr<CMoveRecord> m_pLastMove;
};
