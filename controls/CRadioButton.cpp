#include "controls/CRadioButton.h"

#include <QPainter>
#include <initializer_list>

namespace {

constexpr unsigned Columns(std::initializer_list<int> columns)
{
    unsigned mask = 0;
    for (int column : columns)
        mask |= 1u << column;
    return mask;
}

// One row of the round well: columns relative to the indicator cell, as bit
// masks for the rim and as ranges for the fill and the dot. A negative bound
// means "none".
struct WellRow {
    int row;
    unsigned dark;
    unsigned light;
    int wellFrom, wellTo;
    int dotFrom, dotTo;
};

const WellRow kWellRows[] = {
    {1, Columns({5, 6, 7, 8}), Columns({}), -1, -1, -1, -1},
    {2, Columns({3, 4, 9, 10}), Columns({}), 5, 8, -1, -1},
    {3, Columns({2}), Columns({11}), 3, 10, -1, -1},
    {4, Columns({2}), Columns({11}), 3, 10, -1, -1},
    {5, Columns({1}), Columns({12}), 2, 11, 6, 7},
    {6, Columns({1}), Columns({12}), 2, 11, 5, 8},
    {7, Columns({1}), Columns({12}), 2, 11, 5, 8},
    {8, Columns({1}), Columns({12}), 2, 11, 6, 7},
    {9, Columns({2}), Columns({11}), 3, 10, -1, -1},
    {10, Columns({2}), Columns({11}), 3, 10, -1, -1},
    {11, Columns({}), Columns({3, 4, 9, 10}), 5, 8, -1, -1},
    {12, Columns({}), Columns({5, 6, 7, 8}), -1, -1, -1, -1},
};

} // namespace

CRadioButton::CRadioButton(QWidget *parent)
    : CRadioButton(QString(), parent)
{
}

CRadioButton::CRadioButton(const QString &text, QWidget *parent)
    : CFlatToggleButton(text, parent)
{
    m_bLeaveClearsInside = true;
}

bool CRadioButton::HasTabStop() const
{
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void CRadioButton::SetCheck(int nCheck)
{
    if (nCheck) {
        if (!isChecked()) {
            setChecked(true);
            repaint();
        }
    } else if (isChecked()) {
        setChecked(false);
        repaint();
        // Tabbing into a group lands on its checked button only.
        setFocusPolicy(Qt::ClickFocus);
    }
}

QList<CRadioButton *> CRadioButton::GroupSiblings() const
{
    QList<CRadioButton *> run;
    QWidget *parent = parentWidget();
    if (!parent)
        return run;
    bool containsThis = false;
    for (QObject *child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        auto *radio = qobject_cast<CRadioButton *>(child);
        if (!radio) {
            if (containsThis)
                break;
            run.clear();
            continue;
        }
        if (radio == this)
            containsThis = true;
        else
            run.append(radio);
    }
    return containsThis ? run : QList<CRadioButton *>();
}

void CRadioButton::OnActivated()
{
    setChecked(true);
    for (CRadioButton *other : GroupSiblings())
        other->SetCheck(0);
}

void CRadioButton::focusInEvent(QFocusEvent *event)
{
    setFocusPolicy(Qt::StrongFocus);
    CFlatToggleButton::focusInEvent(event);
}

void CRadioButton::DrawIndicator(QPainter &painter, const QRect &cell)
{
    const int x = cell.left();
    const int y = cell.top();
    const QColor well = WellInFaceColor() ? m_clrFace : m_clrWell;
    for (const WellRow &row : kWellRows) {
        const int py = y + row.row;
        for (int column = 0; column < kIndicatorSize; ++column) {
            if (row.dark & (1u << column))
                painter.fillRect(QRect(x + column, py, 1, 1), m_clrDark);
            if (row.light & (1u << column))
                painter.fillRect(QRect(x + column, py, 1, 1), m_clrLight);
        }
        if (row.wellFrom >= 0)
            painter.fillRect(QRect(x + row.wellFrom, py, row.wellTo - row.wellFrom + 1, 1), well);
        if (isChecked() && row.dotFrom >= 0)
            painter.fillRect(QRect(x + row.dotFrom, py, row.dotTo - row.dotFrom + 1, 1), m_clrText);
    }
}
