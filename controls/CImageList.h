#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QVector>

class QPainter;

// A row of equally sized images cut from one strip, each with a mask made
// from a key colour.
class CImageList
{
public:
    CImageList() = default;

    // Cuts `strip` into images `cx` pixels wide; pixels of `mask` become
    // transparent. Returns false for an empty strip or a width below 1.
    bool Create(const QPixmap &strip, int cx, QColor mask);
    // Appends one image (already sized).
    int Add(const QPixmap &image);

    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    QSize GetImageSize() const { return m_size; }
    QPixmap GetImage(int nImage) const;
    // Draws image `nImage` with its top-left corner at `point`; an index out
    // of range draws nothing.
    void Draw(QPainter &painter, int nImage, const QPoint &point) const;

private:
    QVector<QPixmap> m_images;
    QSize m_size;
};
