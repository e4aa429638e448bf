#include "controls/SystemColors.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QStyle>

#include <cmath>

namespace {

struct RoleOf {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

bool RoleForIndex(int index, RoleOf &out)
{
    const QPalette::ColorGroup active = QPalette::Active;
    switch (index) {
    case COLOR_SCROLLBAR:
    case COLOR_BTNFACE:
    case COLOR_MENU:
        out = {active, QPalette::Button};
        return true;
    case COLOR_BACKGROUND:
        out = {active, QPalette::Window};
        return true;
    case COLOR_ACTIVECAPTION:
        out = {active, QPalette::Highlight};
        return true;
    case COLOR_INACTIVECAPTION:
        out = {QPalette::Inactive, QPalette::Highlight};
        return true;
    case COLOR_WINDOW:
        out = {active, QPalette::Base};
        return true;
    case COLOR_WINDOWFRAME:
    case COLOR_MENUTEXT:
        out = {active, QPalette::WindowText};
        return true;
    case COLOR_WINDOWTEXT:
        out = {active, QPalette::Text};
        return true;
    case COLOR_CAPTIONTEXT:
    case COLOR_HIGHLIGHTTEXT:
        out = {active, QPalette::HighlightedText};
        return true;
    case COLOR_HIGHLIGHT:
        out = {active, QPalette::Highlight};
        return true;
    case COLOR_BTNSHADOW:
        out = {active, QPalette::Dark};
        return true;
    case COLOR_GRAYTEXT:
    case COLOR_INACTIVECAPTIONTEXT:
        out = {QPalette::Disabled, QPalette::Text};
        return true;
    case COLOR_BTNTEXT:
        out = {active, QPalette::ButtonText};
        return true;
    case COLOR_BTNHIGHLIGHT:
        out = {active, QPalette::Light};
        return true;
    case COLOR_3DDKSHADOW:
        out = {active, QPalette::Shadow};
        return true;
    case COLOR_3DLIGHT:
        out = {active, QPalette::Midlight};
        return true;
    case COLOR_INFOTEXT:
        out = {active, QPalette::ToolTipText};
        return true;
    case COLOR_INFOBK:
        out = {active, QPalette::ToolTipBase};
        return true;
    default:
        return false;
    }
}

} // namespace

QColor GetSysColor(int index)
{
    RoleOf role;
    if (!RoleForIndex(index, role))
        return QColor(Qt::black);
    return QGuiApplication::palette().color(role.group, role.role);
}

int GetComboButtonWidth()
{
    // The drop button is as wide as a scroll bar's arrow, as users expect
    // from the rest of the desktop.
    if (QApplication::instance() && QApplication::style())
        return qMax(12, QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    return 16;
}

namespace {

double Linear(double channel)
{
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor &color)
{
    return 0.2126 * Linear(color.redF()) + 0.7152 * Linear(color.greenF()) + 0.0722 * Linear(color.blueF());
}

} // namespace

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor ContrastingColor(const QColor &wanted, const QColor &ground, const QColor &fallback)
{
    constexpr int kSteps = 20;
    for (int step = 0; step <= kSteps; ++step) {
        const double t = double(step) / kSteps;
        const QColor mixed = QColor::fromRgbF(float(wanted.redF() + (fallback.redF() - wanted.redF()) * t),
                                              float(wanted.greenF() + (fallback.greenF() - wanted.greenF()) * t),
                                              float(wanted.blueF() + (fallback.blueF() - wanted.blueF()) * t));
        if (ContrastRatio(mixed, ground) >= kMinimumContrast)
            return step == 0 ? wanted : mixed.toRgb();
    }
    return fallback;
}
