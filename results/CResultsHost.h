#pragma once

#include <QByteArray>
#include <memory>

class CActionStep;
class CCheckBoxListCtrl;
class CMoveRecord;
class CResultsModel;
class QWidget;
struct ActionOutcome;

// What the actions on the results list (Delete, Move, Compress, Eliminate,
// Undo Move, Save List) need of the page that shows the list, so that they
// live in classes of their own and never reach into the page.
class CResultsHost
{
public:
    virtual ~CResultsHost() = default;

    virtual CResultsModel *GetModel() const = 0;
    // The list on screen; null before the page is shown.
    virtual CCheckBoxListCtrl *GetList() const = 0;
    // The root the last scan walked, as raw bytes.
    virtual QByteArray GetScannedDrive() const = 0;
    // The window long work disables: the sheet, or the page alone outside one.
    virtual QWidget *GetBusyWindow() = 0;
    // The page itself, the parent of the dialogs an action opens.
    virtual QWidget *GetPageWidget() = 0;

    // Rows left the list or came back: the totals and buttons follow.
    virtual void OnRowsChanged() = 0;
    // Called before an action touches anything, and after it with what it
    // did.
    virtual void OnActionStarting() = 0;
    virtual void OnActionEnded(const CActionStep &step, const ActionOutcome &outcome) = 0;
    // The last Move, kept until the next action, Restart or scan.
    virtual void SetLastMove(std::unique_ptr<CMoveRecord> record) = 0;
};
