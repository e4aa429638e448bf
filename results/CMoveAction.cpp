#include "results/CMoveAction.h"

#include "core/CMoveStep.h"
#include "core/CResultsModel.h"
#include "results/CResultsPage.h"
#include "results/CSelectFolderDlg.h"

#include <QFile>

void CMoveAction::Run(CResultsPage &page)
{
    CSelectFolderDlg folderDlg;
    QByteArray root = page.GetScannedDrive();
    folderDlg.m_strFolder = QFile::decodeName(root.endsWith('/') ? root : root + '/');
    if (folderDlg.exec() != QDialog::Accepted)
        return;

    CMoveStep step(page.GetModel()->GetStore(), page.GetScannedDrive(), folderDlg.GetFolderBytes(),
                   folderDlg.m_bPreservePath != 0);
    // Moving to another file system frees room on the scanned drive; the
    // files not moved are listed after.
    page.RunStep(step);
}
