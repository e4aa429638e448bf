#include "controls/CCheckButton.h"

#include <QPainter>

#include "controls/CDevicePixelCanvas.h"
#include "controls/SystemColors.h"

CCheckButton::CCheckButton(QWidget *parent)
    : CFlatToggleButton(QString(), parent)
{
}

CCheckButton::CCheckButton(const QString &text, QWidget *parent)
    : CFlatToggleButton(text, parent)
{
}

void CCheckButton::SetCheck(int nCheck)
{
    setChecked(nCheck != 0);
    repaint();
}

void CCheckButton::OnActivated()
{
    setChecked(!isChecked());
}

void CCheckButton::DrawIndicator(QPainter &painter, const QRect &cell)
{
    // Drawn on the screen's own pixels: at 1.25 or 1.5 a scaled one-pixel
    // edge would come out one device pixel thick on some sides and two on
    // others.
    CDevicePixelCanvas canvas(cell.size(), CDevicePixelCanvas::RatioOf(painter));
    const qreal ratio = canvas.Ratio();
    const QRect box(QPoint(0, 0), canvas.DeviceSize());
    canvas.Draw3dRect(box, m_clrDark, m_clrLight);
    const int edge = canvas.LineWidth();
    const QRect inside = box.adjusted(edge, edge, -edge, -edge);
    const QColor well = WellInFaceColor() ? m_clrFace : m_clrWell;
    canvas.FillRect(inside, well);
    if (isChecked()) {
        // Black, unless the well is too dark for it.
        const QColor tick = ContrastingColor(Qt::black, well, GetSysColor(COLOR_WINDOWTEXT));
        // A tick three pixels thick in every column: its top edge falls
        // from (3, 5) to (5, 7), then climbs to (9, 3), one row per column
        // at every scale.
        const int thickness = qRound(3 * ratio);
        for (int x = canvas.ToDevice(3); x < canvas.ToDevice(10); ++x) {
            const qreal centre = x + 0.5;
            const int top = qRound(qMin(centre + 1.5 * ratio, 12.5 * ratio - centre));
            canvas.FillRect(QRect(x, top, 1, thickness) & inside, tick);
        }
    }
    canvas.CopyTo(painter, cell.topLeft());
}
