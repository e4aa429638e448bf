#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog units to pixels through a font, so that layouts follow the
// font and the screen scale: one horizontal unit is a quarter of the font's
// average character width, one vertical unit an eighth of its height.
class CDialogUnits
{
public:
    explicit CDialogUnits(const QFont &font);

    QSize baseUnits() const { return m_base; }
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(const QRect &units) const;
    QSize toPixels(const QSize &units) const;

private:
    QSize m_base;
};
