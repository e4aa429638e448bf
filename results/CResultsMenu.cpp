#include "results/CResultsMenu.h"

#include "core/CResultsModel.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CReasonsDlg.h"
#include "results/CSaveListAction.h"
#include "results/CUndoMoveAction.h"

#include <QMenu>

QMenu *CResultsMenu::Create(QWidget *parent, CResultsModel &model, CUndoMoveAction &undo, int row, bool bBusy)
{
    auto *menu = new QMenu(parent);
    const int item = model.GetItem(row);
    bool canCheck = false;
    bool canUncheck = false;
    if (item >= 0) {
        const CResultStore &store = model.GetStore();
        const CReasonTable::Id reason = store.GetReasonId(item);
        canCheck = store.GetCheckableCount(reason) > 0;
        canUncheck = store.GetCheckedCount(reason) > 0;
    }
    CResultsModel *list = &model;
    menu->addAction(LoadString(IDS_MENU_CHECK_REASON), parent, [list, row] { CheckReason(*list, row, true); })
        ->setEnabled(canCheck && !bBusy);
    menu->addAction(LoadString(IDS_MENU_UNCHECK_REASON), parent, [list, row] { CheckReason(*list, row, false); })
        ->setEnabled(canUncheck && !bBusy);
    menu->addSeparator();
    const bool any = model.rowCount() > 0 && !bBusy;
    menu->addAction(LoadString(IDS_MENU_REASONS), parent, [list, parent] { CReasonsDlg(*list, parent).exec(); })
        ->setEnabled(any);
    menu->addAction(LoadString(IDS_MENU_SAVE_LIST), parent, [list, parent] { CSaveListAction::Run(*list, parent); })
        ->setEnabled(any);
    menu->addSeparator();
    undo.AddMenuItem(menu, !bBusy);
    return menu;
}

void CResultsMenu::CheckReason(CResultsModel &model, int row, bool bCheck)
{
    const int item = model.GetItem(row);
    if (item >= 0)
        model.SetCheckByReason(model.GetStore().GetReasonId(item), bCheck);
}
