#include "criteria/CSizePage.h"

#include "controls/CFlatFrameCombo.h"
#include "controls/CUpDownCtrl.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/CMessageBoxDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <limits>

namespace {

// The arrows wrap here, so a size never grows past what the edits show.
constexpr long kSizeWrap = 1000000;
constexpr long kStepFrom = 10;
constexpr long kStepTo = 100;

// The controls that exist only for the second size of Between.
constexpr int kSecondSizeControls[] = {IDC_AND, IDC_SIZE_TO, IDC_SIZE_TO_UNIT, IDC_SIZE_TO_SPIN};

long StepUp(long value, long step)
{
    return (value + step) % kSizeWrap;
}

long StepDown(long value, long step)
{
    return value <= step ? 0 : value - step;
}

} // namespace

CSizePage::CSizePage()
    : CWizardPage(IDD_SIZE_PAGE)
{
}

bool CSizePage::ReadInteger(const QString &text, long &value)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    const QStringView number = QStringView(text).mid(begin, end - begin);

    qsizetype digits = 0;
    if (!number.isEmpty() && (number[0] == u'-' || number[0] == u'+'))
        digits = 1;
    if (digits == number.size())
        return false;
    for (qsizetype i = digits; i < number.size(); ++i) {
        if (number[i] < u'0' || number[i] > u'9')
            return false;
    }
    // The record keeps 32-bit sizes; a longer number is no number to it.
    bool ok = false;
    const qlonglong parsed = number.toLongLong(&ok, 10);
    if (!ok || parsed < std::numeric_limits<std::int32_t>::min()
        || parsed > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<long>(parsed);
    return true;
}

QWidget *CSizePage::CreateControl(const DialogControlTemplate &control)
{
    switch (control.id) {
    case IDC_SIZE_FROM:
    case IDC_SIZE_TO: {
        auto *edit = new QLineEdit(this);
        // Digits only, as typed; leading zeros are fine (007 is 7).
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        (control.id == IDC_SIZE_FROM ? m_editFrom : m_editTo) = edit;
        return edit;
    }
    case IDC_SIZE_FROM_SPIN:
    case IDC_SIZE_TO_SPIN: {
        auto *spin = new CUpDownCtrl(this);
        (control.id == IDC_SIZE_FROM_SPIN ? m_spinFrom : m_spinTo) = spin;
        return spin;
    }
    default:
        break;
    }
    QWidget *widget = CWizardPage::CreateControl(control);
    if (control.id == IDC_MODE)
        m_cboMode = qobject_cast<CFlatFrameCombo *>(widget);
    return widget;
}

void CSizePage::OnInitDialog()
{
    CWizardPage::OnInitDialog();
    SetBoldFont(GetDlgItem(IDC_SIZE_TITLE));
    SetDlgItemText(IDC_SIZE_TITLE, IDS_SIZE_TITLE);
    SetDlgItemText(IDC_SIZE_DESCRIPTION, IDS_SIZE_DESCRIPTION);

    if (m_cboMode) {
        m_cboMode->clear();
        m_cboMode->addItem(LoadString(IDS_LESS_THAN));
        m_cboMode->addItem(LoadString(IDS_SIZE_BETWEEN));
        m_cboMode->addItem(LoadString(IDS_LARGER_THAN));
        m_cboMode->setCurrentIndex(m_pScan ? m_pScan->m_nSizeMode : ModeLargerThan);
        connect(m_cboMode, &QComboBox::activated, this, &CSizePage::OnModeChange);
    }
    if (m_spinFrom) {
        m_spinFrom->SetBuddy(m_editFrom);
        connect(m_spinFrom, &CUpDownCtrl::stepped, this, &CSizePage::OnStepFrom);
    }
    if (m_spinTo) {
        m_spinTo->SetBuddy(m_editTo);
        connect(m_spinTo, &CUpDownCtrl::stepped, this, &CSizePage::OnStepTo);
    }
}

bool CSizePage::ExchangeNumber(QLineEdit *edit, long &value)
{
    if (!edit)
        return true;
    if (ReadInteger(edit->text(), value))
        return true;
    if (edit == m_editTo && edit->isHidden()) {
        // The user cannot correct a field that is not shown: the second
        // size goes back to the last one that was good.
        edit->setText(QString::number(m_nSavedSizeTo));
        value = m_nSavedSizeTo;
        return true;
    }
    CMessageBoxDlg::Show(this, CMessageBoxDlg::StyleOk, LoadString(IDS_ENTER_INTEGER));
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

bool CSizePage::UpdateData(bool bSaveAndValidate)
{
    if (!m_pScan)
        return true;
    if (!bSaveAndValidate) {
        // While hidden, the second edit holds the size put aside for Between
        // (the record may hold the -1 of the other modes meanwhile).
        if (m_editTo)
            m_editTo->setText(QString::number(m_editTo->isHidden() ? m_nSavedSizeTo : m_pScan->m_nSizeTo));
        if (m_editFrom)
            m_editFrom->setText(QString::number(m_pScan->m_nSizeFrom));
        if (m_cboMode)
            m_cboMode->setCurrentIndex(m_pScan->m_nSizeMode);
        return true;
    }
    // Second size, first size, then the mode: a refused number stops the
    // exchange, and what follows it is not stored.
    if (!ExchangeNumber(m_editTo, m_pScan->m_nSizeTo))
        return false;
    if (!ExchangeNumber(m_editFrom, m_pScan->m_nSizeFrom))
        return false;
    if (m_cboMode)
        m_pScan->m_nSizeMode = m_cboMode->currentIndex();
    return true;
}

void CSizePage::ShowSecondSize(bool bShow)
{
    for (int id : kSecondSizeControls) {
        if (QWidget *control = GetDlgItem(id))
            control->setVisible(bShow);
    }
}

bool CSizePage::OnSetActive()
{
    // Taken before the controls are loaded: after Restart the record's
    // second size is the one to show, not what was put aside before.
    m_nSavedSizeTo = m_pScan->m_nSizeTo;
    const bool result = CWizardPage::OnSetActive();
    ShowSecondSize(m_pScan->m_nSizeMode == ModeBetween);
    return result;
}

void CSizePage::OnModeChange()
{
    if (!UpdateData(true) && m_cboMode) {
        // The numbers keep what was stored, but the shown fields must follow
        // the mode the user has just chosen.
        m_pScan->m_nSizeMode = m_cboMode->currentIndex();
    }
    if (m_pScan->m_nSizeMode == ModeBetween) {
        m_pScan->m_nSizeTo = m_nSavedSizeTo;
        ShowSecondSize(true);
    } else {
        ShowSecondSize(false);
        m_nSavedSizeTo = m_pScan->m_nSizeTo;
        // Unused outside Between; the hidden edit still holds the number and
        // the next exchange writes it back.
        m_pScan->m_nSizeTo = -1;
    }
}

void CSizePage::OnStepFrom(bool bUp)
{
    // An empty edit counts as 0 here: stepping is how one starts from nothing.
    if (m_editFrom && m_editFrom->text().isEmpty())
        m_pScan->m_nSizeFrom = 0;
    else
        UpdateData(true);
    m_pScan->m_nSizeFrom = bUp ? StepUp(m_pScan->m_nSizeFrom, kStepFrom) : StepDown(m_pScan->m_nSizeFrom, kStepFrom);
    UpdateData(false);
}

void CSizePage::OnStepTo(bool bUp)
{
    if (m_editTo && m_editTo->text().isEmpty())
        m_pScan->m_nSizeTo = 0;
    else
        UpdateData(true);
    m_pScan->m_nSizeTo = bUp ? StepUp(m_pScan->m_nSizeTo, kStepTo) : StepDown(m_pScan->m_nSizeTo, kStepTo);
    UpdateData(false);
}

void CSizePage::OnNextButton()
{
    m_nNextPage = NextPage(*m_pScan, PAGE_SIZE);
    GoToPage(m_nNextPage);
}

void CSizePage::OnBackButton()
{
    m_nBackPage = BackPage(*m_pScan, PAGE_SIZE);
    GoToPage(m_nBackPage);
}
