#pragma once

#include <QDialog>

class CPercentProgressCtrl;
class QLabel;

// Shown while Restart empties the results. It has no button, and Enter and
// Escape do nothing: the clearing cannot be stopped halfway.
class CRestartProgressDlg : public QDialog
{
    Q_OBJECT

public:
    CRestartProgressDlg();

    // Shows the window over `owner`'s window with "Restarting ...", the bar at 0.
    void Create(QWidget *owner);

    void accept() override {}
    void reject() override {}

    CPercentProgressCtrl *GetProgress() const { return m_progress; }
    QLabel *GetStatusStatic() const { return m_wndStatus; }

private:
    CPercentProgressCtrl *m_progress;
    QLabel *m_wndStatus;
};
