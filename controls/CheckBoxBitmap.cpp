#include "controls/CheckBoxBitmap.h"

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
