#include "controls/CMessageBoxDlg.h"

#include "controls/CFlatPushButton.h"
#include "res/Bitmaps.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

#include <climits>
#include <cmath>

CMessageBoxDlg::CMessageBoxDlg(QWidget *parent, int nStyle)
    : QDialog(parent),
      m_btnCancel(new CFlatPushButton(this)),
      m_btnOk(new CFlatPushButton(this)),
      m_wndText(new QLabel(this)),
      m_wndIcon(new QLabel(this)),
      m_nStyle(nStyle)
{
    // A plain dialog window: the window manager gives it its frame and the
    // caption with a close box, whatever the parent is (a page, or none).
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_MESSAGE_BOX);
    if (dialogTemplate) {
        setFixedSize(DialogPixelSize(*dialogTemplate));
        for (const DialogControlTemplate &control : dialogTemplate->controls)
            if (control.kind == DialogControlKind::Picture)
                PlaceControl(m_wndIcon, control);
        PlaceControl(m_wndText, *dialogTemplate, IDC_MESSAGE_TEXT);
        PlaceControl(m_btnOk, *dialogTemplate, IDOK);
        PlaceControl(m_btnCancel, *dialogTemplate, IDCANCEL);
        if (const DialogControlTemplate *ok = dialogTemplate->control(IDOK))
            m_btnOk->setText(ok->Text());
        if (const DialogControlTemplate *cancel = dialogTemplate->control(IDCANCEL))
            m_btnCancel->setText(cancel->Text());
    }
    m_wndIcon->setPixmap(LoadProgramIcon().pixmap(m_wndIcon->size()));
    m_wndText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_wndText->setWordWrap(true);
    m_wndText->setTextFormat(Qt::PlainText);

    // Neither button is a default one: Enter is routed to the focused button.
    for (CFlatPushButton *button : {m_btnOk, m_btnCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(this);
    }
    connect(m_btnOk, &QPushButton::clicked, this, [this] { OnCommand(IDOK); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { OnCommand(IDCANCEL); });
}

int CMessageBoxDlg::Show(QWidget *parent, int nStyle, const QString &text)
{
    CMessageBoxDlg box(parent, nStyle);
    box.m_strText = text;
    return box.exec();
}

void CMessageBoxDlg::setVisible(bool visible)
{
    // The caller sets the text between construction and showing, so the box
    // is put together on its first showing, before it is placed on screen.
    if (visible && !m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CMessageBoxDlg::OnInitDialog()
{
    m_wndText->setText(m_strText);
    setWindowTitle(LoadString(IDS_PRODUCT_NAME));
    SetButtons();
    WidenToLongestLine();
    HeightenToEveryLine();
    m_btnOk->setFocus(Qt::OtherFocusReason);
}

void CMessageBoxDlg::SetButtons()
{
    switch (m_nStyle) {
    case StyleOkCancel:
        m_btnOk->setText(LoadString(IDS_OK));
        m_btnCancel->setText(LoadString(IDS_CANCEL));
        break;
    case StyleYesNo:
        m_btnOk->setText(LoadString(IDS_YES));
        m_btnCancel->setText(LoadString(IDS_NO));
        break;
    case StyleOk: {
        m_btnOk->setText(LoadString(IDS_OK));
        m_btnCancel->hide();
        // The single button sits midway between the two button places.
        const QRect first = m_btnOk->geometry();
        const QRect second = m_btnCancel->geometry();
        const int left = (first.x() + second.x()) / 2;
        const int right = (first.x() + first.width() + second.x() + second.width()) / 2;
        m_btnOk->setGeometry(left, first.y(), right - left, first.height());
        break;
    }
    default:
        break; // the template's texts, both buttons shown
    }
}

void CMessageBoxDlg::WidenToLongestLine()
{
    // Every line counts, the one after the last line feed too; the first of
    // several equally long lines is the one measured.
    QString longest;
    for (const QString &line : m_strText.split(QLatin1Char('\n')))
        if (line.size() > longest.size())
            longest = line;
    // Measured as the text is drawn: in the static's own font on its own
    // screen, to the fraction of a pixel. A width rounded down by half a
    // pixel is enough for the line to break before its last word.
    const int width = int(std::ceil(QFontMetricsF(m_wndText->font(), m_wndText).horizontalAdvance(longest)));
    const int margin = m_wndText->margin();
    const int room = m_wndText->contentsRect().adjusted(margin, margin, -margin, -margin).width();
    int grow = width - room;
    if (grow <= 0)
        return;
    // A box wider than the screen would hide its buttons; beyond that the
    // text wraps instead.
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (screen)
        grow = qMin(grow, qMax(0, screen->availableGeometry().width() - this->width()));
    setFixedSize(this->width() + grow, height());
    m_wndText->resize(m_wndText->width() + grow, m_wndText->height());
    for (CFlatPushButton *button : {m_btnOk, m_btnCancel})
        button->move(button->x() + grow / 2, button->y());
}

void CMessageBoxDlg::HeightenToEveryLine()
{
    // The template's static holds about two lines; a reason of four lines
    // (or a long one wrapped at the screen's edge) would lose its end. The
    // box and the static grow down by what the text needs, the buttons
    // move down with them.
    const int margin = m_wndText->margin();
    const QRect room = m_wndText->contentsRect().adjusted(margin, margin, -margin, -margin);
    const QRect needed = QFontMetrics(m_wndText->font(), m_wndText)
                             .boundingRect(QRect(0, 0, room.width(), INT_MAX / 2),
                                           int(m_wndText->alignment()) | Qt::TextWordWrap, m_strText);
    const int grow = needed.height() - room.height();
    if (grow <= 0)
        return;
    setFixedSize(width(), height() + grow);
    m_wndText->resize(m_wndText->width(), m_wndText->height() + grow);
    for (CFlatPushButton *button : {m_btnOk, m_btnCancel})
        button->move(button->x(), button->y() + grow);
}

bool CMessageBoxDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_btnOk)
                OnCommand(IDOK);
            else if (watched == m_btnCancel)
                OnCommand(IDCANCEL);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CMessageBoxDlg::OnCommand(int id)
{
    QDialog::done(id == IDOK ? IDOK : IDCANCEL);
}

void CMessageBoxDlg::done(int result)
{
    // Whatever closes the box answers one of the two results.
    QDialog::done(result == IDOK ? IDOK : IDCANCEL);
}

void CMessageBoxDlg::accept() { done(IDOK); }

void CMessageBoxDlg::reject() { done(IDCANCEL); }
