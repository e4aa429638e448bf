#include "results/CSelectFolderDlg.h"

#include "controls/AccessibleFactory.h"
#include "controls/TextFit.h"
#include "controls/CCheckButton.h"
#include "controls/CFlatPushButton.h"
#include "controls/CMessageBoxDlg.h"
#include "platform/CreatePath.h"
#include "res/Bitmaps.h"
#include "res/DialogTemplate.h"
#include "res/DialogTemplateData.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>

CSelectFolderDlg::CSelectFolderDlg(QWidget *parent, const QList<CShellTree::Root> &roots)
    : QDialog(parent),
      m_chkPreservePath(new CCheckButton(this)),
      m_btnMove(new CFlatPushButton(this)),
      m_btnCancel(new CFlatPushButton(this)),
      m_pTree(new CShellTree(this)),
      m_editFolder(new QLineEdit(this)),
      m_wndIcon(new QLabel(this)),
      m_roots(roots)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFont(DialogFont());
    setWindowTitle(LoadString(IDS_SELECT_FOLDER));
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_SELECT_FOLDER)) {
        setFixedSize(DialogPixelSize(*dialogTemplate));
        for (const DialogControlTemplate &control : dialogTemplate->controls)
            if (control.kind == DialogControlKind::Picture)
                PlaceControl(m_wndIcon, control);
        PlaceControl(m_editFolder, *dialogTemplate, IDC_FOLDER_PATH);
        PlaceControl(m_pTree, *dialogTemplate, IDC_FOLDER_TREE);
        PlaceControl(m_btnMove, *dialogTemplate, IDOK);
        PlaceControl(m_btnCancel, *dialogTemplate, IDCANCEL);
        PlaceControl(m_chkPreservePath, *dialogTemplate, IDC_PRESERVE_PATH);
    }
    m_wndIcon->setPixmap(LoadProgramIcon().pixmap(m_wndIcon->size()));
    m_btnMove->setText(LoadString(IDS_MOVE));
    m_btnCancel->setText(LoadString(IDS_CANCEL));
    m_chkPreservePath->setText(LoadString(IDS_PRESERVE_PATH));
    m_pTree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_btnMove->setDefault(true);
    m_btnCancel->setAutoDefault(false);
    connect(m_btnMove, &QPushButton::clicked, this, &CSelectFolderDlg::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pTree, &CShellTree::FolderSelected, this, &CSelectFolderDlg::OnSelChanged);
    FitTextsInside(this);
}

void CSelectFolderDlg::setVisible(bool visible)
{
    // The caller presets m_strFolder after construction.
    if (visible && !m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
        NameControlsByLabels(this);
    }
    QDialog::setVisible(visible);
}

void CSelectFolderDlg::OnInitDialog()
{
    m_chkPreservePath->SetCheck(0);
    m_editFolder->setText(m_strFolder);
    m_pTree->PopulateRoot(m_roots.isEmpty() ? CShellTree::SystemRoots() : m_roots);
}

void CSelectFolderDlg::OnSelChanged(const QByteArray &path)
{
    m_rawSelected = path;
    m_strFolder = QFile::decodeName(path);
    m_editFolder->setText(m_strFolder);
}

QByteArray CSelectFolderDlg::GetFolderBytes() const
{
    if (!m_rawSelected.isEmpty() && m_strFolder == QFile::decodeName(m_rawSelected))
        return m_rawSelected;
    return QFile::encodeName(m_strFolder);
}

void CSelectFolderDlg::accept()
{
    // Enter while a tree item is being renamed belongs to that edit.
    if (m_pTree->GetEditedItem())
        return;
    m_strFolder = m_editFolder->text();
    if (!CreatePath(GetFolderBytes())) {
        QString text = LoadString(IDS_CANT_CREATE_PATH);
        text.replace(text.indexOf(QLatin1String("%s")), 2, m_strFolder);
        CMessageBoxDlg::Show(this, CMessageBoxDlg::StyleOk, text);
        return;
    }
    m_bPreservePath = m_chkPreservePath->GetCheck() != 0 ? 1 : 0;
    QDialog::accept();
}
