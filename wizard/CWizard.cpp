#include "wizard/CWizard.h"

#include "controls/TextFit.h"

#include "wizard/CWizardPage.h"
#include "controls/FlatFrames.h"
#include "controls/SystemColors.h"
#include "core/PageSequence.h"
#include "res/Bitmaps.h"
#include "res/DialogTemplate.h"
#include "res/DialogUnits.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStackedWidget>

namespace {

// Sizes of the sheet around its pages, in dialog units.
constexpr int kMarginDlu = 7;
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;
constexpr int kButtonGapDlu = 6;
constexpr int kLogoWidth = 120;
// The frame around the button row stands this far outside the buttons.
constexpr int kFrameOutset = 5;

} // namespace

CWizard::CWizard(const QString &caption, QWidget *parent, int nSelectPage)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint)
    , m_btnNext(LoadString(IDS_NEXT), this)
    , m_btnBack(LoadString(IDS_BACK), this)
    , m_btnClose(LoadString(IDS_CLOSE), this)
    , m_btnHelp(LoadString(IDS_HELP), this)
    , m_wndLogo(this)
    , m_hIcon(LoadProgramIcon())
    , m_stack(new QStackedWidget(this))
    , m_nSelectPage(nSelectPage)
{
    setObjectName(QStringLiteral("CWizard"));
    setWindowTitle(caption);
    setWindowIcon(m_hIcon);
    setFont(DialogFont());

    // Tab order follows the standard wizard: Back, Next, Close, Help.
    for (CFlatPushButton *button : {&m_btnBack, &m_btnNext, &m_btnClose, &m_btnHelp}) {
        // Enter is the sheet's: it means Next, wherever the focus is.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setFocusPolicy(Qt::StrongFocus);
    }
    setTabOrder(&m_btnBack, &m_btnNext);
    setTabOrder(&m_btnNext, &m_btnClose);
    setTabOrder(&m_btnClose, &m_btnHelp);
    m_btnBack.setEnabled(false);

    m_wndLogo.setAlignment(Qt::AlignCenter);
    LoadLogo();

    connect(&m_btnNext, &QAbstractButton::clicked, this, &CWizard::OnNextCommand);
    connect(&m_btnBack, &QAbstractButton::clicked, this, &CWizard::OnBackCommand);
    connect(&m_btnClose, &QAbstractButton::clicked, this, &CWizard::OnClose);
    connect(&m_btnHelp, &QAbstractButton::clicked, this, &CWizard::OnHelp);

    LayOut();
}

CWizard::~CWizard()
{
    // Pages go first: they may still look at the sheet while they go.
    for (CWizardPage *page : m_pages)
        delete page;
    m_pages.clear();
}

void CWizard::AddPage(CWizardPage *page)
{
    if (!page)
        return;
    m_pages.push_back(page);
    m_stack->addWidget(page);
    connect(page, &CWizardPage::completeChanged, this, [this, page] {
        if (page == GetActivePage())
            UpdateButtons();
    });
    LayOut();
}

CWizardPage *CWizard::GetPage(int nPage) const
{
    if (nPage < 0 || nPage >= GetPageCount())
        return nullptr;
    return m_pages[static_cast<size_t>(nPage)];
}

CWizardPage *CWizard::GetActivePage() const
{
    return GetPage(m_nActivePage);
}

bool CWizard::SetActivePage(int nPage)
{
    CWizardPage *target = GetPage(nPage);
    if (!target)
        return false;
    if (nPage == m_nActivePage)
        return true;

    if (CWizardPage *current = GetActivePage()) {
        if (!current->OnKillActive())
            return false;
    }
    if (!target->IsInitialized()) {
        target->EnsureInitialized();
        // Its texts may have made it larger than the template.
        LayOut();
        // The program's push buttons are owner-drawn and never become the
        // default button: Enter stays the sheet's Next wherever the focus is.
        for (QPushButton *button : target->findChildren<QPushButton *>())
            button->setAutoDefault(false);
    }
    m_nActivePage = nPage;
    // The stack would give the focus back to the control last used on the
    // page it shows whenever the focus is on the page it hides; a page that
    // becomes active starts at its first control instead (FocusPage).
    if (QWidget *focus = focusWidget(); focus && m_stack->isAncestorOf(focus))
        m_stack->setFocus(Qt::OtherFocusReason);
    m_stack->setCurrentWidget(target);
    target->OnSetActive();
    // A page may have moved on by itself while it became active.
    UpdateButtons();
    FocusPage(GetActivePage());
    return m_nActivePage == nPage;
}

void CWizard::FocusPage(CWizardPage *page)
{
    // Without this the focus would stay on (or fall to) a sheet button, and
    // one Enter or Space on Close would end the program. A page that chose
    // its own focus keeps it.
    if (!page || page->isAncestorOf(QApplication::focusWidget()))
        return;
    for (QWidget *widget = page->nextInFocusChain(); widget && widget != page; widget = widget->nextInFocusChain()) {
        if (!page->isAncestorOf(widget))
            continue;
        if (widget->isEnabled() && widget->isVisibleTo(page) && (widget->focusPolicy() & Qt::TabFocus)) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void CWizard::UpdateButtons()
{
    const int active = GetActiveIndex();
    m_btnBack.setEnabled(active != PAGE_METHOD && active != PAGE_RESULTS);
    if (const CWizardPage *page = GetActivePage()) {
        m_btnNext.setEnabled(page->IsComplete());
        m_btnNext.setText(LoadString(page->GetNextTextId()));
    }
}

void CWizard::OnWizNext()
{
    if (isEnabled() && m_btnNext.isEnabled())
        m_btnNext.click();
}

void CWizard::OnNextCommand()
{
    if (CWizardPage *page = GetActivePage())
        page->OnNextButton();
}

void CWizard::OnBackCommand()
{
    if (CWizardPage *page = GetActivePage())
        page->OnBackButton();
}

void CWizard::OnAppAbout()
{
    emit aboutRequested();
}

void CWizard::OnHelp()
{
    emit helpRequested();
}

void CWizard::OnClose()
{
    done(QDialog::Rejected);
}

void CWizard::TrackCaptionMenu(QMenu &menu, const QPoint &globalPos)
{
    menu.exec(globalPos);
}

bool CWizard::IsCaptionArea(const QPoint &point) const
{
    return rect().contains(point) && !m_stack->geometry().contains(point);
}

QRect CWizard::ButtonRowFrame() const
{
    const QRect help = m_btnHelp.geometry();
    const int right = help.right() + 1 + kFrameOutset; // exclusive
    const int left = width() - right;
    const int grow = help.height() / 3;
    return QRect(QPoint(left, help.top() - grow), QPoint(right - 1, help.bottom() + grow));
}

void CWizard::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            OnWizNext();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        // The wizard ends by Close only.
        event->accept();
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void CWizard::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    Draw3dRect(painter, ButtonRowFrame(), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

void CWizard::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() != QContextMenuEvent::Mouse || !IsCaptionArea(event->pos())) {
        QDialog::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    QAction *about = menu.addAction(LoadString(IDS_ABOUT_MENU));
    menu.addSeparator();
    QAction *close = menu.addAction(LoadString(IDS_CLOSE));
    connect(about, &QAction::triggered, this, &CWizard::OnAppAbout);
    connect(close, &QAction::triggered, this, &CWizard::OnClose);
    event->accept();
    TrackCaptionMenu(menu, event->globalPos());
}

void CWizard::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    switch (event->type()) {
    case QEvent::WindowStateChange:
        // The sheet has one size: a maximise request is undone.
        if (windowState() & Qt::WindowMaximized)
            setWindowState(windowState() & ~Qt::WindowMaximized);
        break;
    case QEvent::PaletteChange:
        LoadLogo();
        update();
        break;
    default:
        break;
    }
}

void CWizard::showEvent(QShowEvent *event)
{
    if (!m_bStarted) {
        m_bStarted = true;
        LayOut();
        SetActivePage(m_nSelectPage);
    }
    QDialog::showEvent(event);
}

void CWizard::LoadLogo()
{
    // Drawn on a transparent ground, so the current button face shows
    // through after a colour change too.
    m_wndLogo.setPixmap(LoadBitmap(IDB_LOGO));
}

void CWizard::LayOut()
{
    const CDialogUnits units(font());
    QSize minimumPage = units.toPixels(QSize(PAGE_WIDTH_DLU, PAGE_HEIGHT_DLU));
    for (const CWizardPage *page : m_pages)
        minimumPage = minimumPage.expandedTo(page->minimumSize());

    const int marginX = units.toPixelsX(kMarginDlu);
    const int marginY = units.toPixelsY(kMarginDlu);
    // Longer texts (a translation) widen all four alike; Next also carries
    // Restart on the results page.
    int buttonWidth = units.toPixelsX(kButtonWidthDlu);
    for (const QString &text : {m_btnBack.text(), m_btnNext.text(), m_btnClose.text(), m_btnHelp.text(),
                                LoadString(IDS_RESTART)})
        buttonWidth = qMax(buttonWidth, PushButtonWidthFor(&m_btnNext, text));
    const int buttonHeight = units.toPixelsY(kButtonHeightDlu);
    const int gap = units.toPixelsX(kButtonGapDlu);
    const int grow = buttonHeight / 3;
    // Everything but the page: margins, the button row and its frame.
    const QSize chrome(2 * marginX, marginY + marginY + grow + buttonHeight + grow + marginY);
    setMinimumSize(minimumPage + chrome);
    // The sheet opens at its smallest; only the user makes it larger.
    if (!isVisible() || width() < minimumWidth() || height() < minimumHeight())
        resize(isVisible() ? size().expandedTo(minimumSize()) : minimumSize());
    // The page takes whatever the sheet has beyond its buttons; the sheet is
    // never smaller than its largest page's template.
    const QSize pageSize = (size() - chrome).expandedTo(minimumPage);
    m_stack->setGeometry(marginX, marginY, pageSize.width(), pageSize.height());

    const int clientWidth = pageSize.width() + 2 * marginX;
    const int top = marginY + pageSize.height() + marginY + grow;

    const int helpRight = clientWidth - marginX - kFrameOutset; // exclusive
    QRect help(helpRight - buttonWidth, top, buttonWidth, buttonHeight);
    QRect close = help.translated(-buttonWidth - gap, 0);
    QRect next = close.translated(-buttonWidth - gap, 0);
    QRect back = next.translated(-buttonWidth, 0);
    m_btnHelp.setGeometry(help);
    m_btnClose.setGeometry(close);
    m_btnNext.setGeometry(next);
    m_btnBack.setGeometry(back);

    // The logo sits as far from the left edge as Help from the right.
    const int logoHeight = qMax(buttonHeight, m_wndLogo.pixmap().deviceIndependentSize().toSize().height());
    m_wndLogo.setGeometry(clientWidth - helpRight, top + (buttonHeight - logoHeight) / 2, kLogoWidth,
                          logoHeight);

}

bool CWizard::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest && m_bStarted)
        LayOut();
    return QDialog::event(event);
}

void CWizard::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    LayOut();
    update();
}
