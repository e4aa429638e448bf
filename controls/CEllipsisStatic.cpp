#include "controls/CEllipsisStatic.h"

#include "controls/AccessibleFactory.h"
#include <QAccessible>
#include <QFontMetrics>
#include <QPainter>

#include "controls/SystemColors.h"

CEllipsisStatic::CEllipsisStatic(int nFormat, int bPathEllipsis, QWidget *parent)
    : QWidget(parent)
    , m_nFormat(nFormat ? nFormat : int(Qt::AlignLeft | Qt::AlignVCenter))
    , m_bPathEllipsis(bPathEllipsis)
{
    EnsureAccessibleFactory();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CEllipsisStatic::SetWindowText(const QString &text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    update();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

QSize CEllipsisStatic::sizeHint() const
{
    return QSize(300, fontMetrics().height() + 2);
}

QString CEllipsisStatic::PathEllipsis(const QString &text, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString dots = QStringLiteral("...");
    const int slash = text.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return metrics.elidedText(text, Qt::ElideRight, width);

    // Keep the file name and as much of the start of the path as fits.
    const QString tail = text.mid(slash);
    const int tailWidth = metrics.horizontalAdvance(dots + tail);
    if (tailWidth > width)
        return metrics.elidedText(dots + tail, Qt::ElideRight, width);
    int low = 0;
    int high = slash;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid) + dots + tail) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return text.left(low) + dots + tail;
}

void CEllipsisStatic::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect client = rect();
    painter.fillRect(client, GetSysColor(COLOR_BTNFACE));
    if (m_strText.isEmpty())
        return;
    const QFont font = parentWidget() ? parentWidget()->font() : this->font();
    painter.setFont(font);
    painter.setPen(GetSysColor(COLOR_BTNTEXT));
    const QFontMetrics metrics(font);
    const QString shown = m_bPathEllipsis ? PathEllipsis(m_strText, metrics, client.width())
                                          : metrics.elidedText(m_strText, Qt::ElideRight, client.width());
    painter.drawText(client, m_nFormat | Qt::TextSingleLine, shown);
}
