#include "controls/CImageList.h"

#include <QBitmap>
#include <QPainter>

bool CImageList::Create(const QPixmap &strip, int cx, QColor mask)
{
    m_images.clear();
    if (strip.isNull() || cx < 1)
        return false;
    // A high-resolution strip holds the same images at more device pixels.
    const qreal ratio = strip.devicePixelRatio();
    const int step = qRound(cx * ratio);
    m_size = QSize(cx, qRound(strip.height() / ratio));
    for (int x = 0; x + step <= strip.width(); x += step) {
        QPixmap image = strip.copy(x, 0, step, strip.height());
        if (mask.isValid())
            image.setMask(image.createMaskFromColor(mask, Qt::MaskInColor));
        image.setDevicePixelRatio(ratio);
        m_images.append(image);
    }
    return true;
}

int CImageList::Add(const QPixmap &image)
{
    if (m_images.isEmpty() && !m_size.isValid())
        m_size = image.size();
    m_images.append(image);
    return static_cast<int>(m_images.size()) - 1;
}

QPixmap CImageList::GetImage(int nImage) const
{
    if (nImage < 0 || nImage >= m_images.size())
        return QPixmap();
    return m_images.at(nImage);
}

void CImageList::Draw(QPainter &painter, int nImage, const QPoint &point) const
{
    if (nImage < 0 || nImage >= m_images.size())
        return;
    painter.drawPixmap(point, m_images.at(nImage));
}
