#include "controls/CCheckButton.h"

#include <QPainter>

#include "controls/FlatFrames.h"
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
    Draw3dRect(painter, cell, m_clrDark, m_clrLight);
    const QRect inside = cell.adjusted(1, 1, -1, -1);
    const QColor well = WellInFaceColor() ? m_clrFace : m_clrWell;
    painter.fillRect(inside, well);
    if (!isChecked())
        return;
    // Black, unless the well is too dark for it.
    const QColor tick = ContrastingColor(Qt::black, well, GetSysColor(COLOR_WINDOWTEXT));
    // Three stacked strokes make a tick three pixels thick.
    const int x = inside.left();
    const int y = inside.top();
    for (int i = 0; i < 3; ++i) {
        DrawLineExclusive(painter, QPoint(x + 2, y + 4 + i), QPoint(x + 4, y + 6 + i), tick);
        DrawLineExclusive(painter, QPoint(x + 4, y + 6 + i), QPoint(x + 9, y + 1 + i), tick);
    }
}
