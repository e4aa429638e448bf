#include "controls/CRadioButton.h"

#include <QPainter>
#include <cmath>

#include "controls/CDevicePixelCanvas.h"

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
    // The round well is worked out per device pixel, by each pixel centre's
    // distance from the well's centre: a ring one line thick and 12 pixels
    // across, so its rim is as thick all round at 1.5 as at 1 (where this
    // gives the classic pixel pattern).
    CDevicePixelCanvas canvas(cell.size(), CDevicePixelCanvas::RatioOf(painter));
    const qreal ratio = canvas.Ratio();
    const qreal centre = 7 * ratio;
    const qreal outer = 6 * ratio;
    const qreal inner = outer - canvas.LineWidth();
    // Just under two pixels: at 1 the classic four-pixel dot with its
    // corners off; at 1.5 a whole-pixel radius would make it a square.
    const qreal dot = 1.8 * ratio;
    const QColor well = WellInFaceColor() ? m_clrFace : m_clrWell;
    const QSize size = canvas.DeviceSize();
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const qreal dx = x + 0.5 - centre;
            const qreal dy = y + 0.5 - centre;
            const qreal distance = std::hypot(dx, dy);
            if (distance >= outer)
                continue;
            if (distance >= inner) {
                // Lit from the top left: the upper and left quarters of the
                // rim are dark, the lower and right ones light.
                const bool bDark = (dy < 0 && -dy >= qAbs(dx)) || (dx < 0 && -dx > qAbs(dy));
                canvas.SetPixel(x, y, bDark ? m_clrDark : m_clrLight);
            } else {
                canvas.SetPixel(x, y, isChecked() && distance < dot ? m_clrText : well);
            }
        }
    }
    canvas.CopyTo(painter, cell.topLeft());
}
