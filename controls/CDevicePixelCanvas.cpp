#include "controls/CDevicePixelCanvas.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>

namespace {

// Sets the painter's world transform so that its device transform is the
// translation to the device pixel nearest to `at`; the caller restores.
void OnWholeDevicePixels(QPainter &target, const QPointF &at)
{
    const QTransform toDevice = target.deviceTransform();
    const QPoint origin = toDevice.map(at).toPoint();
    target.setWorldTransform(QTransform::fromTranslate(origin.x(), origin.y()) * toDevice.inverted()
                             * target.worldTransform());
}

} // namespace

CDevicePixelCanvas::CDevicePixelCanvas(const QSize &logicalSize, qreal ratio)
    : m_ratio(ratio > 0 ? ratio : 1.0)
    , m_nLineWidth(qMax(1, int(std::floor(m_ratio + 0.25))))
    , m_image(qMax(0, ToDevice(logicalSize.width())), qMax(0, ToDevice(logicalSize.height())),
              QImage::Format_ARGB32_Premultiplied)
{
    m_image.fill(Qt::transparent);
}

qreal CDevicePixelCanvas::RatioOf(const QPainter &painter)
{
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

void CDevicePixelCanvas::CopyPixels(QPainter &target, const QPointF &at, const QPixmap &pixels)
{
    target.save();
    OnWholeDevicePixels(target, at);
    // Source and target rectangles of the same size: one pixel each.
    const QRectF whole(QPointF(0, 0), QSizeF(pixels.size()));
    target.drawPixmap(whole, pixels, whole);
    target.restore();
}

void CDevicePixelCanvas::CopyTo(QPainter &target, const QPoint &at) const
{
    target.save();
    OnWholeDevicePixels(target, at);
    target.drawImage(0, 0, m_image);
    target.restore();
}

int CDevicePixelCanvas::ToDevice(qreal v) const
{
    return qRound(v * m_ratio);
}

QPoint CDevicePixelCanvas::PixelAt(const QPoint &pixel) const
{
    const qreal half = m_nLineWidth / 2.0;
    return QPoint(int(std::floor((pixel.x() + 0.5) * m_ratio - half + 0.5)),
                  int(std::floor((pixel.y() + 0.5) * m_ratio - half + 0.5)));
}

void CDevicePixelCanvas::FillRect(const QRect &rect, const QColor &color)
{
    const QRect clipped = rect & m_image.rect();
    const QRgb value = qPremultiply(color.rgba());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(y));
        std::fill(line + clipped.left(), line + clipped.right() + 1, value);
    }
}

void CDevicePixelCanvas::SetPixel(int x, int y, const QColor &color)
{
    FillRect(QRect(x, y, 1, 1), color);
}

void CDevicePixelCanvas::Draw3dRect(const QRect &rect, const QColor &topLeft, const QColor &bottomRight)
{
    const int w = m_nLineWidth;
    if (rect.width() < w || rect.height() < w)
        return;
    FillRect(QRect(rect.left(), rect.top(), rect.width() - w, w), topLeft);
    FillRect(QRect(rect.left(), rect.top(), w, rect.height() - w), topLeft);
    FillRect(QRect(rect.right() + 1 - w, rect.top(), w, rect.height()), bottomRight);
    FillRect(QRect(rect.left(), rect.bottom() + 1 - w, rect.width(), w), bottomRight);
}

void CDevicePixelCanvas::DrawLine(QPoint from, const QPoint &to, const QColor &color)
{
    const int dx = qAbs(to.x() - from.x());
    const int dy = -qAbs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    // A steep line widens sideways, a flat one downwards: either way each
    // step of the longer axis gets exactly LineWidth() pixels.
    const QSize stamp = -dy > dx ? QSize(m_nLineWidth, 1) : QSize(1, m_nLineWidth);
    int err = dx + dy;
    while (from != to) {
        FillRect(QRect(from, stamp), color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            from.rx() += sx;
        }
        if (e2 <= dx) {
            err += dx;
            from.ry() += sy;
        }
    }
}
