#pragma once

#include "controls/CCancellableDlg.h"

class QLabel;

// The small window every action on the checked rows shows while it runs: a
// status line ("Deleting ..."), a percentage bar and Cancel. The action looks
// at the cancel flag between two files and closes the window itself when it
// has stopped.
class CActionProgressDlg : public CCancellableDlg
{
    Q_OBJECT

public:
    CActionProgressDlg();

    // Shows the window over `owner`'s window with `statusText`, the bar at 0.
    void Create(QWidget *owner, const QString &statusText);

    QLabel *GetStatusStatic() const { return m_wndStatus; }

private:
    QLabel *m_wndStatus;
};
