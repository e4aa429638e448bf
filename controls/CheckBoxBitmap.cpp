#include "controls/CheckBoxBitmap.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

constexpr int kCell = 16;

// The tick's pixels, row by row: {row, first column, last column}.
struct TickRun
{
    int nRow;
    int nFirst;
    int nLast;
};

constexpr TickRun kTick[] = {
    {4, 11, 11},
    {5, 10, 11},
    {6, 5, 5}, {6, 9, 11},
    {7, 5, 6}, {7, 8, 10},
    {8, 5, 9},
    {9, 6, 8},
    {10, 7, 7},
};

void DrawBox(QImage &image, int x0)
{
    const QRgb grey = qRgb(128, 128, 128);
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 2; y <= 12; ++y) {
        for (int x = 3; x <= 13; ++x) {
            const bool bBorder = x == 3 || x == 13 || y == 2 || y == 12;
            image.setPixel(x0 + x, y, bBorder ? grey : white);
        }
    }
}

void DrawTick(QImage &image, int x0, QRgb color)
{
    for (const TickRun &run : kTick) {
        for (int x = run.nFirst; x <= run.nLast; ++x)
            image.setPixel(x0 + x, run.nRow, color);
    }
}

} // namespace

QImage CheckBoxBitmap()
{
    QImage image(3 * kCell, kCell, QImage::Format_RGB32);
    image.fill(CheckBoxBitmapMask());
    for (int cell = 0; cell < 3; ++cell)
        DrawBox(image, cell * kCell);
    DrawTick(image, 1 * kCell, qRgb(128, 0, 0));
    DrawTick(image, 2 * kCell, qRgb(0, 0, 0));
    return image;
}

namespace {

QColor TickColor(int nImage)
{
    return nImage == 1 ? QColor(128, 0, 0) : QColor(0, 0, 0);
}

QPixmap PaintCell(int nImage, qreal ratio)
{
    const int size = int(std::ceil(kCell * ratio));
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // The box in device pixels: its edges on whole pixels, its border one
    // device pixel per whole pixel of scale, never thinner than one.
    const int left = qRound(3 * ratio);
    const int top = qRound(2 * ratio);
    const int right = qRound(14 * ratio);
    const int bottom = qRound(13 * ratio);
    const int border = qMax(1, int(std::floor(ratio + 0.25)));
    QPainter painter(&image);
    painter.fillRect(QRect(left, top, right - left, bottom - top), QColor(128, 128, 128));
    const QRect inside(left + border, top + border, right - left - 2 * border, bottom - top - 2 * border);
    painter.fillRect(inside, Qt::white);
    if (nImage > 0) {
        // The bitmap's tick is three pixels thick along the line through
        // the centres of (5, 7), (7, 9) and (11, 5).
        QPainterPath tick;
        tick.moveTo(5.5 * ratio, 7.5 * ratio);
        tick.lineTo(7.5 * ratio, 9.5 * ratio);
        tick.lineTo(11.5 * ratio, 5.5 * ratio);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(inside);
        painter.setPen(QPen(TickColor(nImage), 2.2 * ratio, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter.drawPath(tick);
    }
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

QPixmap CheckBoxCell(int nImage, qreal ratio)
{
    nImage = qBound(0, nImage, 2);
    if (qFuzzyCompare(ratio, 1.0)) {
        QImage cell = CheckBoxBitmap().copy(nImage * kCell, 0, kCell, kCell).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < kCell; ++y) {
            for (int x = 0; x < kCell; ++x) {
                if (QColor(cell.pixel(x, y)) == CheckBoxBitmapMask())
                    cell.setPixel(x, y, qRgba(0, 0, 0, 0));
            }
        }
        return QPixmap::fromImage(cell);
    }
    // Painted once per image and scale; a list repaints them by the hundred.
    static QHash<QPair<int, int>, QPixmap> cache;
    const QPair<int, int> key(nImage, qRound(ratio * 1000));
    auto found = cache.constFind(key);
    if (found == cache.constEnd())
        found = cache.insert(key, PaintCell(nImage, ratio));
    return found.value();
}
