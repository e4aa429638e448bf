#include "results/CMoveAction.h"

#include "core/CMoveStep.h"
#include "core/CResultsModel.h"
#include "results/CActionRun.h"
#include "results/CResultsHost.h"
#include "results/CSelectFolderDlg.h"

#include <QFile>
#include <vector>

void CMoveAction::Run(CResultsHost &host)
{
    CSelectFolderDlg folderDlg;
    const QByteArray root = host.GetScannedDrive();
    folderDlg.m_strFolder = QFile::decodeName(root.endsWith('/') ? root : root + '/');
    if (folderDlg.exec() != QDialog::Accepted)
        return;

    CResultsModel &model = *host.GetModel();
    CMoveStep step(model.GetStore(), root, folderDlg.GetFolderBytes(), folderDlg.m_bPreservePath != 0);
    // The rows as they stand now, so that an undo can put each file's row
    // back where it was.
    const std::vector<int> rowsBefore = model.GetRowItems();
    // Moving to another file system frees room on the scanned drive; the
    // files not moved are listed after.
    CActionRun(host).Run(step);
    std::unique_ptr<CMoveRecord> record = step.TakeRecord();
    record->TakeRows(rowsBefore);
    record->SetListAfter(model.GetLayoutGeneration(), model.rowCount());
    host.SetLastMove(std::move(record));
}
