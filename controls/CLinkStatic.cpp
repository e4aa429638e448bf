#include "controls/CLinkStatic.h"

#include "controls/AccessibleFactory.h"
#include "controls/CMessageBoxDlg.h"
#include "controls/SystemColors.h"
#include "core/CLinkOpener.h"
#include "platform/CDesktopServices.h"
#include "platform/CDetachedProcess.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

CLinkStatic::CLinkStatic(QWidget *parent)
    : QLabel(parent),
      m_crLinkColour(0, 0, 238),
      m_crVisitedColour(85, 26, 139),
      m_crHoverColour(GetSysColor(COLOR_HIGHLIGHT)),
      m_opener(&CLinkStatic::OpenLink)
{
    EnsureAccessibleFactory();
    // A static starts at the top left unless its style says otherwise.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setMouseTracking(true);
}

CLinkStatic::~CLinkStatic() = default;

void CLinkStatic::Attach()
{
    if (m_strURL.isEmpty())
        m_strURL = text();
    if (text().isEmpty())
        setText(m_strURL);

    m_fontLink = font();
    m_fontLink.setUnderline(m_bUnderline);
    setFont(m_fontLink);

    PositionWindow();
    setCursor(Qt::PointingHandCursor);
    setToolTip(m_strURL);
    update();
}

void CLinkStatic::SetURL(const QString &address)
{
    m_strURL = address;
    setToolTip(address);
}

void CLinkStatic::SetOpener(Opener opener)
{
    m_opener = opener ? std::move(opener) : Opener(&CLinkStatic::OpenLink);
}

void CLinkStatic::SetUnderline(bool bUnderline)
{
    m_bUnderline = bUnderline;
    m_fontLink = font();
    m_fontLink.setUnderline(bUnderline);
    setFont(m_fontLink);
    PositionWindow();
    update();
}

QColor CLinkStatic::TextColour() const
{
    const QColor colour = m_bOverControl ? m_crHoverColour : m_bVisited ? m_crVisitedColour : m_crLinkColour;
    // The web's blue and purple vanish on a dark dialog face.
    return ContrastingColor(colour, palette().color(backgroundRole()), palette().color(foregroundRole()));
}

void CLinkStatic::PositionWindow()
{
    if (!m_bFitToText)
        return;
    const QSize extent = QFontMetrics(font()).size(Qt::TextSingleLine, text());
    QRect rect = geometry();
    const Qt::Alignment align = alignment();

    if (align & Qt::AlignVCenter)
        rect.setTop(rect.top() + (rect.height() - extent.height()) / 2);
    rect.setHeight(extent.height());

    if (align & Qt::AlignHCenter)
        rect.setLeft(rect.left() + (rect.width() - extent.width()) / 2);
    else if (align & Qt::AlignRight)
        rect.setLeft(rect.left() + rect.width() - extent.width());
    rect.setWidth(extent.width());

    setGeometry(rect);
}

void CLinkStatic::paintEvent(QPaintEvent *)
{
    // Only the text: whatever lies behind the static shows through.
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(TextColour());
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, text());
}

void CLinkStatic::SetOver(bool bOver)
{
    if (m_bOverControl == bOver)
        return;
    m_bOverControl = bOver;
    repaint();
}

void CLinkStatic::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    SetOver(true);
}

void CLinkStatic::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    SetOver(false);
}

void CLinkStatic::mouseMoveEvent(QMouseEvent *event)
{
    QLabel::mouseMoveEvent(event);
    // While a button is held the moves keep coming from outside as well.
    SetOver(rect().contains(event->position().toPoint()));
}

void CLinkStatic::mousePressEvent(QMouseEvent *event)
{
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        m_bPressed = true;
}

void CLinkStatic::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    const bool bClick = m_bPressed && event->button() == Qt::LeftButton
                        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_bPressed = false;
    if (bClick)
        OnClicked();
}

void CLinkStatic::OnClicked()
{
    const int result = m_opener(m_strURL);
    m_bVisited = CLinkOpener::Succeeded(result);
    update();
    if (m_bVisited)
        return;
    QApplication::beep();
    CMessageBoxDlg::Show(window(), CMessageBoxDlg::StyleOk, ErrorText(result));
}

QString CLinkStatic::ErrorText(int result)
{
    int id = 0;
    switch (result) {
    case 0: id = IDS_LINK_OUT_OF_RESOURCES; break;
    case 2: id = IDS_LINK_FILE_NOT_FOUND; break;
    case 3: id = IDS_LINK_PATH_NOT_FOUND; break;
    case 5: id = IDS_LINK_ACCESS_DENIED; break;
    case 8: id = IDS_LINK_OUT_OF_MEMORY; break;
    case 11: id = IDS_LINK_BAD_FORMAT; break;
    case 26: id = IDS_LINK_SHARING_VIOLATION; break;
    case 27: id = IDS_LINK_ASSOC_INCOMPLETE; break;
    case 28: id = IDS_LINK_DDE_TIMEOUT; break;
    case 29: id = IDS_LINK_DDE_FAIL; break;
    case 30: id = IDS_LINK_DDE_BUSY; break;
    case 31: id = IDS_LINK_NO_ASSOC; break;
    case 32: id = IDS_LINK_DLL_NOT_FOUND; break;
    default: break;
    }
    const QString reason = id ? LoadString(id)
                              : LoadString(IDS_LINK_UNKNOWN_ERROR).replace(QLatin1String("%d"), QString::number(result));
    return LoadString(IDS_LINK_ERROR) + reason;
}

int CLinkStatic::OpenLink(const QString &address)
{
    CLinkOpener::Services services;
    services.openWithDesktop = [](const QString &link) {
        return CDesktopServices::OpenUrl(QUrl::fromUserInput(link));
    };
    services.defaultApplication = &CDesktopServices::DefaultApplication;
    services.dataDirs = &CDesktopServices::DataDirs;
    services.startDetached = &CDetachedProcess::Start;
    return CLinkOpener(std::move(services)).OpenLink(address);
}
