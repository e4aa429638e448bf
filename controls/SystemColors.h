#pragma once

#include <QColor>

// The colour indices the controls paint with. Each maps to a role of the
// application palette, so that a palette change (QEvent::PaletteChange or
// QEvent::ApplicationPaletteChange) plays the part of a system colour change.
enum SystemColorIndex {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_3DFACE = COLOR_BTNFACE,
    COLOR_3DSHADOW = COLOR_BTNSHADOW,
    COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
};

// The colour of `index` in the current application palette (active group).
// An unknown index gives black.
QColor GetSysColor(int index);

// Width of the drop button of a combo box (the system's scroll thumb width).
int GetComboButtonWidth();

// The contrast ratio of two colours as the accessibility guidelines define
// it: (L1 + 0.05) / (L2 + 0.05) of their relative luminances, 1 to 21.
double ContrastRatio(const QColor &a, const QColor &b);

// Text and marks must stand out from their ground by at least this much.
constexpr double kMinimumContrast = 4.5;

// `wanted` when it stands out enough from `ground`; otherwise the first mix
// of `wanted` toward `fallback` (a palette's text colour) that does, so a
// fixed colour of the design keeps its hue where it can and its legibility
// always.
QColor ContrastingColor(const QColor &wanted, const QColor &ground, const QColor &fallback);
