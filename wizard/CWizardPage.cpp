#include "wizard/CWizardPage.h"

#include "wizard/CWizard.h"
#include "controls/AccessibleFactory.h"
#include "controls/CCheckButton.h"
#include "controls/CFlatFrameCombo.h"
#include "controls/CFlatPushButton.h"
#include "controls/CRadioButton.h"
#include "controls/TextFit.h"
#include "res/Bitmaps.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>

CWizardPage::CWizardPage(int nTemplateId, QWidget *parent)
    : QWidget(parent)
    , m_nTemplateId(nTemplateId)
    , m_pTemplate(FindDialogTemplate(nTemplateId))
{
    // The template's size is the smallest the page may be; the sheet can be
    // made larger and the page follows it.
    if (m_pTemplate) {
        m_templateSize = DialogPixelSize(*m_pTemplate);
        setMinimumSize(m_templateSize);
        resize(m_templateSize);
    }
}

CWizardPage::~CWizardPage() = default;

void CWizardPage::EnsureInitialized()
{
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    OnInitDialog();
}

void CWizardPage::OnInitDialog()
{
    setWindowTitle(LoadString(IDS_PRODUCT_NAME));
    CreateControls();
    UpdateData(false);
    m_pSheet = nullptr;
    for (QWidget *ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *sheet = qobject_cast<CWizard *>(ancestor)) {
            m_pSheet = sheet;
            break;
        }
    }
}

void CWizardPage::CreateControls()
{
    if (!m_pTemplate)
        return;
    std::vector<std::pair<QWidget *, const DialogControlTemplate *>> created;
    for (const DialogControlTemplate &control : m_pTemplate->controls) {
        QWidget *widget = CreateControl(control);
        if (!widget)
            continue;
        if (widget->parentWidget() != this)
            widget->setParent(this);
        PlaceControl(widget, control);
        if (control.kind == DialogControlKind::Picture)
            FitPictureToImage(widget);
        if (control.disabled)
            widget->setEnabled(false);
        if (control.id >= 0)
            m_controls.insert(control.id, widget);
        created.emplace_back(widget, &control);
    }
    NameControlsByLabels(this);
    // A text longer than the template planned for (a translation) makes the
    // page larger; the larger page is then the one anchors start from.
    if (!FitTextsInside(this).isNull())
        m_templateSize = minimumSize();
    for (const auto &[widget, control] : created) {
        if (const int anchor = GetAnchor(*control))
            m_anchored.push_back({widget, widget->geometry(), anchor});
        widget->show();
    }
    if (!m_anchored.empty() && size() != m_templateSize) {
        QResizeEvent event(size(), m_templateSize);
        resizeEvent(&event);
    }
}

int CWizardPage::GetAnchor(const DialogControlTemplate &control) const
{
    return control.kind == DialogControlKind::Frame ? GrowX | GrowY : AnchorNone;
}

void CWizardPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int dx = qMax(0, width() - m_templateSize.width());
    const int dy = qMax(0, height() - m_templateSize.height());
    for (const AnchoredControl &control : m_anchored) {
        QRect rect = control.geometry;
        if (control.anchor & MoveX)
            rect.translate(dx, 0);
        if (control.anchor & MoveY)
            rect.translate(0, dy);
        if (control.anchor & GrowX)
            rect.setWidth(rect.width() + dx);
        if (control.anchor & GrowY)
            rect.setHeight(rect.height() + dy);
        control.widget->setGeometry(rect);
    }
}

// A picture control takes the size of its picture (and frame), whatever the
// template says: pictures are drawn at their own pixel size, never stretched.
void CWizardPage::FitPictureToImage(QWidget *widget)
{
    auto *picture = qobject_cast<QLabel *>(widget);
    if (!picture || picture->pixmap().isNull())
        return;
    const int frame = 2 * picture->frameWidth();
    picture->resize(picture->pixmap().deviceIndependentSize().toSize() + QSize(frame, frame));
}

QWidget *CWizardPage::CreateControl(const DialogControlTemplate &control)
{
    switch (control.kind) {
    case DialogControlKind::Static: {
        auto *label = new QLabel(control.Text(), this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(control.alignment ? control.alignment : Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case DialogControlKind::Picture: {
        auto *picture = new QLabel(this);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        const QPixmap pixmap = LoadBitmap(control.imageId);
        picture->setPixmap(pixmap);
        if (control.sunken) {
            picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            picture->setLineWidth(1);
        }
        return picture;
    }
    case DialogControlKind::Frame: {
        auto *frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setMidLineWidth(0);
        return frame;
    }
    case DialogControlKind::PushButton:
    case DialogControlKind::DefPushButton: {
        auto *button = new CFlatPushButton(control.Text(), this);
        // Enter belongs to the sheet, where it means Next.
        button->setAutoDefault(false);
        return button;
    }
    case DialogControlKind::CheckBox:
        return new CCheckButton(control.Text(), this);
    case DialogControlKind::RadioButton:
        return new CRadioButton(control.Text(), this);
    case DialogControlKind::ComboBox:
        return new CFlatFrameCombo(this);
    case DialogControlKind::Edit:
        return new QLineEdit(control.Text(), this);
    case DialogControlKind::GroupBox:
        return new QGroupBox(control.Text(), this);
    default:
        return nullptr;
    }
}

QWidget *CWizardPage::GetDlgItem(int id) const
{
    return m_controls.value(id, nullptr);
}

void CWizardPage::SetDlgItemText(int id, int nStringId)
{
    QWidget *widget = GetDlgItem(id);
    const QString text = LoadString(nStringId);
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(widget))
        group->setTitle(text);
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(text);
}

bool CWizardPage::GoToPage(int nPage)
{
    if (!m_pSheet)
        return false;
    return m_pSheet->SetActivePage(nPage);
}

void CWizardPage::SetBoldFont(QWidget *control)
{
    if (!control)
        return;
    QFont bold = control->font();
    bold.setWeight(QFont::Bold);
    control->setFont(bold);
}

void CWizardPage::OnNextButton()
{
    GoToPage(m_nNextPage);
}

void CWizardPage::OnBackButton()
{
    GoToPage(m_nBackPage);
}

int CWizardPage::GetNextTextId() const
{
    return IDS_NEXT;
}

bool CWizardPage::OnSetActive()
{
    // The first activation follows the initialisation, which has just
    // loaded the controls.
    if (m_bFirstSetActive)
        m_bFirstSetActive = false;
    else
        UpdateData(false);
    return true;
}

bool CWizardPage::OnKillActive()
{
    return UpdateData(true);
}

bool CWizardPage::UpdateData(bool)
{
    return true;
}
