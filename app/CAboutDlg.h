#pragma once

#include "controls/CFlatPushButton.h"
#include "controls/CLinkStatic.h"

#include <QDialog>

class QLabel;

// The About box: the program icon, name and version, one line about the
// program and the link to its web site. OK and Escape close it.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    // `openLink` opens the link's address; the desktop's when not given.
    explicit CAboutDlg(QWidget *parent = nullptr, CLinkStatic::Opener openLink = {});

    CLinkStatic &GetLink() { return m_wndLink; }
    CFlatPushButton &GetOkButton() { return m_btnOK; }
    // The static texts in template order: version, description, label.
    QList<QLabel *> GetTextStatics() const { return m_texts; }

private:
    CLinkStatic m_wndLink;
    CFlatPushButton m_btnOK;
    QLabel *m_wndIcon;
    QList<QLabel *> m_texts;
};
