#include "controls/CPercentProgressCtrl.h"

#include <QAccessible>
#include <QPainter>

#include "controls/AccessibleFactory.h"
#include "controls/SystemColors.h"

CPercentProgressCtrl::CPercentProgressCtrl(QWidget *parent)
    : QWidget(parent)
{
    EnsureAccessibleFactory();
    // Every pixel is painted, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_clrBar = GetSysColor(COLOR_HIGHLIGHT);
    m_clrBackground = GetSysColor(COLOR_WINDOW);
    m_clrTextOverBackground = GetSysColor(COLOR_HIGHLIGHT);
    m_clrTextOverBar = GetSysColor(COLOR_WINDOW);
}

void CPercentProgressCtrl::SetRange(int nLower, int nUpper)
{
    m_nLower = nLower;
    m_nUpper = nUpper;
}

void CPercentProgressCtrl::GetRange(int &nLower, int &nUpper) const
{
    nLower = m_nLower;
    nUpper = m_nUpper;
}

int CPercentProgressCtrl::BarWidth(int clientWidth) const
{
    // Integer arithmetic: a floating-point fraction such as 29 / 100 times
    // 100 truncates to 28.
    if (m_nUpper <= m_nLower || clientWidth <= 0)
        return 0;
    const qint64 done = qint64(m_nPos) - m_nLower;
    const qint64 span = qint64(m_nUpper) - m_nLower;
    return static_cast<int>(qBound<qint64>(0, done * clientWidth / span, qint64(clientWidth)));
}

int CPercentProgressCtrl::Percent() const
{
    return BarWidth(100);
}

int CPercentProgressCtrl::SetPos(int nPos)
{
    const int previous = m_nPos;
    if (nPos < m_nLower)
        nPos = m_nLower;
    else if (nPos > m_nUpper)
        nPos = m_nUpper;
    m_nPos = nPos;
    if (nPos != previous) {
        QAccessibleValueChangeEvent event(this, nPos);
        QAccessible::updateAccessibility(&event);
    }
    const int barWidth = BarWidth(width());
    if (barWidth != m_nBarWidth) {
        m_nBarWidth = barWidth;
        repaint();
    }
    return previous;
}

QSize CPercentProgressCtrl::sizeHint() const
{
    return QSize(200, fontMetrics().height() + 6);
}

void CPercentProgressCtrl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_nBarWidth = -1;
}

void CPercentProgressCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect client = rect();
    const int split = client.left() + BarWidth(client.width());
    const QRect bar(client.left(), client.top(), split - client.left(), client.height());
    const QRect rest(split, client.top(), client.right() + 1 - split, client.height());
    painter.fillRect(bar, m_clrBar);
    painter.fillRect(rest, m_clrBackground);

    const QString text = QString::number(Percent()) + QLatin1Char('%');
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.setFont(font());
    painter.setClipRect(bar);
    painter.setPen(m_clrTextOverBar);
    painter.drawText(client, flags, text);
    painter.setClipRect(rest);
    painter.setPen(m_clrTextOverBackground);
    painter.drawText(client, flags, text);
}
