#include "controls/CCheckButton.h"

#include <QPainter>

#include "controls/FlatFrames.h"

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
    m_bChecked = nCheck ? 1 : 0;
    repaint();
}

void CCheckButton::OnActivated()
{
    m_bChecked = m_bChecked ? 0 : 1;
}

void CCheckButton::DrawIndicator(QPainter &painter, const QRect &cell)
{
    Draw3dRect(painter, cell, m_clrDark, m_clrLight);
    const QRect inside = cell.adjusted(1, 1, -1, -1);
    painter.fillRect(inside, WellInFaceColor() ? m_clrFace : m_clrWell);
    if (!m_bChecked)
        return;
    // Three stacked strokes make a tick three pixels thick.
    const int x = inside.left();
    const int y = inside.top();
    for (int i = 0; i < 3; ++i) {
        DrawLineExclusive(painter, QPoint(x + 2, y + 4 + i), QPoint(x + 4, y + 6 + i), Qt::black);
        DrawLineExclusive(painter, QPoint(x + 4, y + 6 + i), QPoint(x + 9, y + 1 + i), Qt::black);
    }
}
