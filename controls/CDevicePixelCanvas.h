#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>

class QPainter;

// A small drawing made at the screen's own pixels and then copied pixel for
// pixel onto whole device pixels. A one-pixel line drawn through a painter
// scaled by 1.25 or 1.5 lands on one or two device pixels depending on where
// it falls, so a box's four edges or an arrow's two legs come out unevenly
// thick; drawn here, every line is the same whole number of device pixels
// along its length. At a ratio of 1 the pixels are those the plain painter
// would set.
//
// Coordinates taken by the drawing functions are device pixels of the
// canvas; ToDevice() and PixelAt() turn the control's own pixels into them.
class CDevicePixelCanvas
{
public:
    // A transparent canvas standing for `logicalSize` pixels of a screen
    // with `ratio` device pixels per pixel.
    CDevicePixelCanvas(const QSize &logicalSize, qreal ratio);

    // The pixel ratio of the device `painter` draws on (1 without one).
    static qreal RatioOf(const QPainter &painter);
    // Draws `pixels` one pixel per device pixel (whatever pixel ratio it
    // carries) with its top left corner on the device pixel nearest to the
    // logical point `at`: a pure translation, never resampled.
    static void CopyPixels(QPainter &target, const QPointF &at, const QPixmap &pixels);

    qreal Ratio() const { return m_ratio; }
    QSize DeviceSize() const { return m_image.size(); }
    // The device pixel edge nearest to the canvas's logical coordinate `v`.
    int ToDevice(qreal v) const;
    // The device pixel where a line drawn through logical pixel `pixel`
    // starts: the line's LineWidth() pixels sit centred on the logical
    // pixel's centre.
    QPoint PixelAt(const QPoint &pixel) const;
    // How many device pixels a one-pixel line is thick: one per whole step
    // of scale, never fewer than one (1 at 1.25 and 1.5, 2 at 2).
    int LineWidth() const { return m_nLineWidth; }

    void FillRect(const QRect &rect, const QColor &color);
    void SetPixel(int x, int y, const QColor &color);
    // The flat frame inside `rect`, LineWidth() thick: the top and left
    // edges in `topLeft` (without their far corner), the right and bottom
    // edges in `bottomRight`.
    void Draw3dRect(const QRect &rect, const QColor &topLeft, const QColor &bottomRight);
    // A straight line from pixel `from` up to, but not including, `to`, at
    // any slope: each step along its longer axis is LineWidth() pixels
    // across, so the line is equally thick all along.
    void DrawLine(QPoint from, const QPoint &to, const QColor &color);

    // Copies the drawing onto `target` with its top left corner at the
    // device pixel nearest to the logical point `at`.
    void CopyTo(QPainter &target, const QPoint &at) const;
    const QImage &Image() const { return m_image; }

private:
    qreal m_ratio;
    int m_nLineWidth;
    QImage m_image;
};
