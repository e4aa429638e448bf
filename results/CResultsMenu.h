#pragma once

class CResultsModel;
class CUndoMoveAction;
class QMenu;
class QWidget;

// The results list's context menu: check or uncheck every file listed for
// the same reason, the window of reasons, Save List and Undo Move. Items
// that cannot act on the row are there but disabled.
class CResultsMenu
{
public:
    // For `row` (-1: no row under the pointer), made afresh each time with
    // `parent` as its parent and the parent of the dialogs it opens; the
    // caller owns it. `bBusy` while a scan runs.
    static QMenu *Create(QWidget *parent, CResultsModel &model, CUndoMoveAction &undo, int row, bool bBusy);
    // Checks (`bCheck`) or unchecks every file listed for the same reason as
    // `row`, locked files aside, in one change of the list.
    static void CheckReason(CResultsModel &model, int row, bool bCheck);
};
