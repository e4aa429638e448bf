#pragma once

#include "shell/CShellTree.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

class CCheckButton;
class CFlatPushButton;
class QLabel;
class QLineEdit;

// Asks where Move should put the checked files: a folder typed in the edit
// or picked in the folder tree, and whether each file's folder chain is
// rebuilt below it. Move (or Enter) creates the typed path and stays, with
// a message, when it cannot; Cancel and Escape change nothing.
class CSelectFolderDlg : public QDialog
{
    Q_OBJECT

public:
    // `roots` fills the tree's top level; empty means the machine's places.
    explicit CSelectFolderDlg(QWidget *parent = nullptr, const QList<CShellTree::Root> &roots = {});

    CCheckButton *m_chkPreservePath;
    CFlatPushButton *m_btnMove;
    CFlatPushButton *m_btnCancel;
    QString m_strFolder;
    int m_bPreservePath = 1;
    CShellTree *m_pTree;

    // The chosen folder as raw bytes: the tree's own bytes when the edit
    // still shows the picked folder (its name may not be valid UTF-8).
    QByteArray GetFolderBytes() const;
    QLineEdit *GetEdit() const { return m_editFolder; }

    void setVisible(bool visible) override;

public slots:
    void accept() override;

private:
    void OnInitDialog();
    void OnSelChanged(const QByteArray &path);

    QLineEdit *m_editFolder;
    QLabel *m_wndIcon;
    QList<CShellTree::Root> m_roots;
    QByteArray m_rawSelected;
    bool m_bInitialised = false;
};
