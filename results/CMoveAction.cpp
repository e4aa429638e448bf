#include "results/CMoveAction.h"

#include "core/CMoveStep.h"
#include "core/CResultsModel.h"
#include "results/CResultsPage.h"
#include "results/CSelectFolderDlg.h"

#include <QFile>
#include <vector>

void CMoveAction::Run(CResultsPage &page)
{
    CSelectFolderDlg folderDlg;
    QByteArray root = page.GetScannedDrive();
    folderDlg.m_strFolder = QFile::decodeName(root.endsWith('/') ? root : root + '/');
    if (folderDlg.exec() != QDialog::Accepted)
        return;

    CResultsModel &model = *page.GetModel();
    CMoveStep step(model.GetStore(), page.GetScannedDrive(), folderDlg.GetFolderBytes(),
                   folderDlg.m_bPreservePath != 0);
    // The rows as they stand now, so that an undo can put each file's row
    // back where it was.
    const std::vector<int> rowsBefore = model.GetRowItems();
    // Moving to another file system frees room on the scanned drive; the
    // files not moved are listed after.
    page.RunStep(step);
    std::unique_ptr<CMoveRecord> record = step.TakeRecord();
    record->TakeRows(rowsBefore);
    record->SetListAfter(model.GetLayoutGeneration(), model.rowCount());
    page.SetLastMove(std::move(record));
}
