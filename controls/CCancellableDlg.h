#pragma once

#include <QDialog>

class CFlatPushButton;
class CPercentProgressCtrl;

// A small progress window watched by a long loop on the GUI thread: a
// percentage bar and Cancel. Cancel, Escape and Enter only raise the cancel
// flag; the loop looks at it between two steps and closes the window itself
// when it has stopped.
class CCancellableDlg : public QDialog
{
    Q_OBJECT

public:
    void OnCancel() { m_bCancel = 1; }
    bool IsCancelled() const { return m_bCancel != 0; }

    void accept() override { OnCancel(); }
    void reject() override { OnCancel(); }

    CPercentProgressCtrl *GetProgress() const { return m_progress; }
    CFlatPushButton *GetCancelButton() const { return m_btnCancel; }

protected:
    // Lays out the window `nDialogId` from its template: its size, the bar
    // (control `nProgressId`) and Cancel. The subclass places the rest.
    CCancellableDlg(int nDialogId, int nProgressId);

    // Shows the window over `owner`'s window with the bar's range 0 to 100
    // and the focus on Cancel.
    void ShowOver(QWidget *owner);

    // Draws the whole window now, before a long loop takes the thread.
    void PaintNow();
    // A window reused for a second run starts without a cancel.
    void ResetCancel() { m_bCancel = 0; }

    void keyPressEvent(QKeyEvent *event) override;

private:
    CPercentProgressCtrl *m_progress;
    CFlatPushButton *m_btnCancel;
    int m_bCancel = 0;
};
