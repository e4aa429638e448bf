#include "res/DialogUnits.h"

#include <QFontMetrics>

namespace {

int mulDivRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

} // namespace

CDialogUnits::CDialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    // The average width is measured over the alphabet in both cases and
    // rounded to the nearest pixel, as dialog base units traditionally are.
    const int alphabetWidth = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_base = QSize((alphabetWidth / 26 + 1) / 2, metrics.height());
}

int CDialogUnits::toPixelsX(int units) const { return mulDivRounded(units, m_base.width(), 4); }

int CDialogUnits::toPixelsY(int units) const { return mulDivRounded(units, m_base.height(), 8); }

QRect CDialogUnits::toPixels(const QRect &units) const
{
    return QRect(toPixelsX(units.x()), toPixelsY(units.y()), toPixelsX(units.width()), toPixelsY(units.height()));
}

QSize CDialogUnits::toPixels(const QSize &units) const
{
    return QSize(toPixelsX(units.width()), toPixelsY(units.height()));
}
