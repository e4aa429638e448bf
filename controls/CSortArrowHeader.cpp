#include "controls/CSortArrowHeader.h"

#include "controls/CDevicePixelCanvas.h"
#include "controls/FlatFrames.h"
#include "controls/SystemColors.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTableView>
#include <QTreeView>

CSortArrowHeader::CSortArrowHeader(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    // List columns read from the left unless their header data says otherwise.
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMinimumSectionSize(MinimumColumnWidth());
    connect(this, &QHeaderView::sectionClicked, this, &CSortArrowHeader::OnItemClick);
    connect(this, &QHeaderView::sectionResized, this, &CSortArrowHeader::OnItemResized);
}

void CSortArrowHeader::Attach(QTreeView *view)
{
    view->setHeader(this);
    // The view turns clicks off with its own sorting; ours is the header's.
    setSectionsClickable(true);
}

void CSortArrowHeader::Attach(QTableView *view)
{
    view->setHorizontalHeader(this);
    setSectionsClickable(true);
}

int CSortArrowHeader::SetSortColumn(int nColumn, bool bAscending)
{
    const int previous = m_nSortColumn;
    m_nSortColumn = nColumn;
    m_bAscending = bAscending;
    viewport()->update();
    return previous;
}

void CSortArrowHeader::SortByColumn(int nColumn)
{
    if (nColumn < 0 || nColumn >= count())
        return;
    const bool bAscending = nColumn == m_nSortColumn ? !m_bAscending : true;
    SetSortColumn(nColumn, bAscending);
    SortModel(nColumn, bAscending);
    emit sorted(nColumn, bAscending);
}

void CSortArrowHeader::SortModel(int nColumn, bool bAscending)
{
    if (QAbstractItemModel *itemModel = model())
        itemModel->sort(nColumn, bAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QFont CSortArrowHeader::DrawingFont() const
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

int CSortArrowHeader::MinimumColumnWidth() const
{
    return 10 * fontMetrics().horizontalAdvance(QLatin1Char(' '));
}

int CSortArrowHeader::PressGap() const
{
    return 2 * fontMetrics().horizontalAdvance(QLatin1Char(' '));
}

QRect CSortArrowHeader::ItemRect(int nColumn) const
{
    return QRect(sectionViewportPosition(nColumn), 0, sectionSize(nColumn), viewport()->height());
}

void CSortArrowHeader::paintEvent(QPaintEvent *)
{
    QWidget *target = viewport();
    const QSize client = target->size();
    if (client.isEmpty())
        return;
    const qreal ratio = target->devicePixelRatioF();
    // Drawn off screen first, so the header never shows half-drawn items.
    QImage buffer(client * ratio, QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(ratio);
    {
        QPainter painter(&buffer);
        const QRect clientRect(QPoint(0, 0), client);
        const QColor light = GetSysColor(COLOR_BTNHIGHLIGHT);
        const QColor dark = GetSysColor(COLOR_BTNSHADOW);
        painter.fillRect(clientRect, GetSysColor(COLOR_BTNFACE));
        Draw3dRect(painter, clientRect, light, dark);
        painter.setFont(DrawingFont());
        const int s = painter.fontMetrics().horizontalAdvance(QLatin1Char(' '));

        int nLast = -1;
        for (int visual = 0; visual < count(); ++visual) {
            const int column = logicalIndex(visual);
            if (isSectionHidden(column))
                continue;
            const QRect rect = ItemRect(column);
            painter.setClipRect(rect);
            PaintItem(painter, column, rect, s);
            nLast = column;
        }
        if (nLast >= 0) {
            const QRect last = ItemRect(nLast);
            const int left = last.x() + last.width();
            const QRect tail(left, 0, client.width() - left, client.height());
            if (tail.width() > 0) {
                painter.setClipRect(tail);
                Draw3dRect(painter, tail, light, dark);
            }
        }
    }
    QPainter(target).drawImage(0, 0, buffer);
}

void CSortArrowHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!painter || !rect.isValid())
        return;
    painter->save();
    painter->setFont(DrawingFont());
    painter->setClipRect(rect, Qt::IntersectClip);
    PaintItem(*painter, logicalIndex, rect, painter->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    painter->restore();
}

void CSortArrowHeader::PaintItem(QPainter &painter, int nColumn, const QRect &rect, int s) const
{
    const QColor light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const QColor dark = GetSysColor(COLOR_BTNSHADOW);
    painter.fillRect(rect, GetSysColor(COLOR_BTNFACE));

    QString text;
    Qt::Alignment alignment = defaultAlignment();
    if (const QAbstractItemModel *itemModel = model()) {
        text = itemModel->headerData(nColumn, orientation(), Qt::DisplayRole).toString().left(255);
        const QVariant align = itemModel->headerData(nColumn, orientation(), Qt::TextAlignmentRole);
        if (align.isValid())
            alignment = Qt::Alignment(align.toInt());
    }
    const bool bCentre = alignment & Qt::AlignHCenter;
    const bool bRight = !bCentre && (alignment & Qt::AlignRight);
    const bool bPressed = nColumn == m_nPressedItem;
    const bool bSorted = nColumn == m_nSortColumn;

    // Edges as right- and bottom-exclusive coordinates.
    int left = rect.left();
    int top = rect.top();
    int right = rect.left() + rect.width();
    const int bottom = rect.top() + rect.height();
    if (bPressed) {
        left += 1;
        top += 2;
        right += 1;
    }
    if (bSorted) {
        if (bRight)
            left += 8 * s;
        else
            right -= 6 * s;
    }
    left += 2 * s;
    right -= 2 * s;
    if (left < right) {
        const QRect textRect(left, top, right - left, bottom - top);
        const Qt::Alignment horizontal = bCentre ? Qt::AlignHCenter : bRight ? Qt::AlignRight : Qt::AlignLeft;
        const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
        painter.setPen(GetSysColor(COLOR_BTNTEXT));
        painter.drawText(textRect, int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine | Qt::TextDontClip,
                         shown);
    }
    if (bSorted) {
        QRect arrow = rect;
        if (bRight)
            arrow.setWidth(8 * s);
        if (bPressed)
            arrow.translate(1, 1);
        DrawArrow(painter, arrow, s);
    }
    if (bPressed)
        FrameRect(painter, rect, dark);
    else
        Draw3dRect(painter, rect, light, dark);
}

QColor CSortArrowHeader::ArrowLightColor()
{
    const QColor light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const QColor face = GetSysColor(COLOR_BTNFACE);
    // On the pale button faces of today's desktops the highlight is all but
    // the face colour itself, and an etched arrow would show only its dark
    // leg. Its lit edges then take the shadow colour: the arrow keeps its
    // shape, drawn as an outline.
    if (qAbs(qGray(light.rgb()) - qGray(face.rgb())) < kMinimumArrowContrast)
        return GetSysColor(COLOR_BTNSHADOW);
    return light;
}

void CSortArrowHeader::DrawArrow(QPainter &painter, const QRect &rect, int s) const
{
    const QColor light = ArrowLightColor();
    const QColor dark = GetSysColor(COLOR_BTNSHADOW);
    const int T = rect.top();
    const int R = rect.left() + rect.width();
    const int B = rect.top() + rect.height();
    // The corners below are the arrow's pixels at a scale of 1. The legs are
    // drawn between them on the screen's own pixels, so that at 1.25 or 1.5
    // they keep one thickness all along instead of one or two device pixels
    // by turns.
    const QPoint origin(R - 5 * s - 2, T + 2 * s - 2);
    const QSize size(2 * s + 4, B - T - 4 * s + 5);
    if (size.height() <= 0)
        return;
    CDevicePixelCanvas canvas(size, CDevicePixelCanvas::RatioOf(painter));
    const auto line = [&canvas, origin](int x0, int y0, int x1, int y1, const QColor &color) {
        canvas.DrawLine(canvas.PixelAt(QPoint(x0, y0) - origin), canvas.PixelAt(QPoint(x1, y1) - origin), color);
    };
    // Lit from the top left: the edges facing down and right are light, the
    // others dark, so the arrow looks cut into the face.
    if (m_bAscending) {
        line(R - 4 * s, T + 2 * s - 1, R - 3 * s, B - 2 * s, light);
        line(R - 3 * s, B - 2 * s, R - 5 * s - 2, B - 2 * s, light);
        line(R - 5 * s - 1, B - 2 * s - 1, R - 4 * s, T + 2 * s - 2, dark);
    } else {
        line(R - 3 * s, T + 2 * s - 1, R - 4 * s - 1, B - 2 * s + 1, light);
        line(R - 4 * s - 1, B - 2 * s, R - 5 * s - 1, T + 2 * s - 1, dark);
        line(R - 5 * s - 1, T + 2 * s - 1, R - 3 * s, T + 2 * s - 1, dark);
    }
    canvas.CopyTo(painter, origin);
}

void CSortArrowHeader::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        // A press close to a divider is a resize, not a press on an item.
        const int gap = PressGap();
        int x = event->position().toPoint().x() + offset();
        m_nPressedItem = -1;
        m_nLastPressedItem = -1;
        if (x > 0) {
            for (int visual = 0; visual < count(); ++visual) {
                const int column = logicalIndex(visual);
                const int width = isSectionHidden(column) ? 0 : sectionSize(column);
                if (x < width - gap) {
                    m_nPressedItem = column;
                    m_bTracking = true;
                    break;
                }
                x -= width;
                if (x <= gap)
                    break;
            }
        }
        viewport()->update();
    }
    QHeaderView::mousePressEvent(event);
}

void CSortArrowHeader::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bTracking) {
        const QPoint point = event->position().toPoint();
        if (m_nPressedItem != -1 && !ItemRect(m_nPressedItem).contains(point)) {
            m_nLastPressedItem = m_nPressedItem;
            m_nPressedItem = -1;
            viewport()->update();
        } else if (m_nPressedItem == -1 && m_nLastPressedItem != -1
                   && ItemRect(m_nLastPressedItem).contains(point)) {
            m_nPressedItem = m_nLastPressedItem;
            viewport()->update();
        }
    }
    QHeaderView::mouseMoveEvent(event);
}

void CSortArrowHeader::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_bTracking = false;
        m_nPressedItem = -1;
        m_nLastPressedItem = -1;
        viewport()->update();
    }
    QHeaderView::mouseReleaseEvent(event);
}

void CSortArrowHeader::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        setMinimumSectionSize(MinimumColumnWidth());
    QHeaderView::changeEvent(event);
}

void CSortArrowHeader::OnItemClick(int nColumn)
{
    SortByColumn(nColumn);
}

void CSortArrowHeader::OnItemResized(int nColumn, int, int nNewSize)
{
    // Size 0 is how a column is hidden; that is not a narrowing.
    const int minimum = MinimumColumnWidth();
    if (nNewSize > 0 && nNewSize < minimum && !isSectionHidden(nColumn))
        resizeSection(nColumn, minimum);
    else
        viewport()->update();
}
