#include "results/CMoveAction.h"

#include "controls/CFailedFilesDlg.h"
#include "core/CMoveStep.h"
#include "core/CResultsModel.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
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
    CFailedFilesDlg failedDlg(&page);
    failedDlg.m_strMessage = LoadString(step.GetFailedMessageId());
    failedDlg.m_arrFailed =
        page.RunAction(LoadString(step.GetStatusTextId()), [&step](int item) { return step.Run(item).ok(); });
    // Moving to another file system frees room on the scanned drive.
    page.UpdateFreeSpaceText();
    if (!failedDlg.m_arrFailed.isEmpty())
        failedDlg.exec();
}
