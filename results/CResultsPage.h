#pragma once

#include "core/CMatchSink.h"
#include "wizard/CWizardPage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class CCheckBoxListCtrl;
class CFileIconProvider;
class CFlatPushButton;
class CResultsModel;
class CSortArrowHeader;
class QLabel;
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

    // What an action does to the file with result index `item`; true when
    // the file was dealt with and its row may leave the list.
    using ActionStep = std::function<bool(int item)>;

    bool OnSetActive() override;
    // The sheet's Next button, labelled Restart on this page.
    void OnNextButton() override;
    // Walks the drive of the criteria record, start to end (or to Cancel).
    void StartScan() override;

    // Appends a file the walk found: checked, counted, shown.
    void AddResult(const WalkRecord &record) override;
    // Called between files while the page is busy: shows the rows and the
    // totals gathered since the last call.
    void RefreshWhileBusy() override;

    static QString FormatSize(std::int64_t nBytes);
    QString GetFreeSpaceText() const;
    void SetActionButtons(bool bEnable);
    void UpdateSelectionText();
    void UpdateFreeSpaceText();
    // The line beside the totals that says how many folders the scan could
    // not read; empty when it read them all.
    void UpdateSkippedFoldersText(std::int64_t nSkippedFolders);

    // Visits the checked rows from the last to the first behind a progress
    // window, applying `step` to each until it is done or cancelled. The
    // rows of the files it dealt with leave the list; the paths of the others
    // are returned, in the order met. Ends with the common end of an action.
    QList<QByteArray> RunAction(const QString &strStatusText, const ActionStep &step);

    void OnEliminate();
    void OnDelete();
    void OnMove();
    void OnCompress();
    void OnRestart();

    CCheckBoxListCtrl *GetList() const { return m_listResults; }
    CResultsModel *GetModel() const { return m_pModel; }
    // The root the last scan walked, as raw bytes.
    QByteArray GetScannedDrive() const { return m_strScannedDrive; }

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

protected:
    void OnInitDialog() override;
    QWidget *CreateControl(const DialogControlTemplate &control) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void OnCheckChanged(int nNewState, int nItem);
    // Takes the totals from the store, which has counted every change, and
    // switches the buttons on the 0 to 1 and 1 to 0 transitions.
    void SyncTotals();
    void EndAction();
    // The window the long loops disable: the sheet, or the page alone when
    // it stands outside one.
    QWidget *SheetWindow();
    void EnableSheet(bool bEnable);
    void SetNextButtonText(int nStringId);
    QLabel *Static(int id) const;

    CResultsModel *m_pModel;
    std::unique_ptr<CFileIconProvider> m_pIcons;
    QByteArray m_strScannedDrive;
    bool m_bSelectionTextStale = false;
    std::int64_t m_nLastFlushMs = 0;
};
