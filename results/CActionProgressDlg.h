#pragma once

#include <QDialog>

class CFlatPushButton;
class CPercentProgressCtrl;
class QLabel;

// The small window every action on the checked rows shows while it runs: a
// status line ("Deleting ..."), a percentage bar and Cancel. Cancel, Escape
// and Enter only raise the cancel flag; the action looks at it between two
// files and closes the window itself when it has stopped.
class CActionProgressDlg : public QDialog
{
    Q_OBJECT

public:
    CActionProgressDlg();

    // Shows the window over `owner`'s window with `statusText`, the bar at 0.
    void Create(QWidget *owner, const QString &statusText);

    void OnCancel() { m_bCancel = 1; }
    bool IsCancelled() const { return m_bCancel != 0; }

    void accept() override { OnCancel(); }
    void reject() override { OnCancel(); }

    CPercentProgressCtrl *m_progress;
    CFlatPushButton *m_btnCancel;
    int m_bCancel = 0;
    QLabel *m_wndStatus;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
