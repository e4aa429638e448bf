#include "app/CAboutDlg.h"

#include "controls/TextFit.h"

#include "res/Bitmaps.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"

#include <QLabel>

CAboutDlg::CAboutDlg(QWidget *parent, CLinkStatic::Opener openLink)
    : QDialog(parent),
      m_wndLink(this),
      m_btnOK(this),
      m_wndIcon(new QLabel(this))
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFont(DialogFont());
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_ABOUTBOX)) {
        setWindowTitle(dialogTemplate->caption);
        setFixedSize(DialogPixelSize(*dialogTemplate));
        for (const DialogControlTemplate &control : dialogTemplate->controls) {
            if (control.kind == DialogControlKind::Picture) {
                PlaceControl(m_wndIcon, control);
            } else if (control.id == IDC_LINK) {
                PlaceControl(&m_wndLink, control);
                m_wndLink.setText(control.Text());
                if (control.alignment)
                    m_wndLink.setAlignment(control.alignment);
            } else if (control.id == IDOK) {
                PlaceControl(&m_btnOK, control);
                m_btnOK.setText(control.Text());
            } else {
                auto *label = new QLabel(control.Text(), this);
                label->setTextFormat(Qt::PlainText);
                label->setAlignment(control.alignment ? control.alignment : Qt::AlignLeft | Qt::AlignTop);
                PlaceControl(label, control);
                m_texts.append(label);
            }
        }
    }
    m_wndIcon->setPixmap(LoadProgramIcon().pixmap(m_wndIcon->size()));

    m_wndLink.SetOpener(std::move(openLink));
    m_wndLink.Attach();

    m_btnOK.setDefault(true);
    m_btnOK.setFocus(Qt::OtherFocusReason);
    connect(&m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
    FitTextsInside(this);
}
