#include "results/CColumnFitter.h"

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CSortArrowHeader.h"
#include "core/ResultColumns.h"
#include "res/DialogUnits.h"

namespace {

// Initial column widths in pixels for the classic dialog font, whose
// average character is 6 pixels wide; they are scaled by the dialog font as
// the page templates are. The model sorts on its own keys.
constexpr int kColumnWidths[kColumnCount] = {100, 120, 80, 60, 60, 60, 160};
constexpr double kClassicCharWidth = 6.0;

} // namespace

void CColumnFitter::Attach(CCheckBoxListCtrl *list, CSortArrowHeader *header, const QFont &dialogFont)
{
    m_pList = list;
    m_pHeader = header;
    if (!m_pList || !m_pHeader)
        return;
    m_pHeader->setStretchLastSection(false);
    const double scale = CDialogUnits(dialogFont).baseUnits().width() / kClassicCharWidth;
    for (int column = 0; column < kColumnCount; ++column)
        m_pHeader->resizeSection(column, qRound(kColumnWidths[column] * scale));
    m_nListWidth = m_pList->width();
}

void CColumnFitter::Fit()
{
    if (!m_pList || !m_pHeader)
        return;
    const int width = m_pList->width();
    const int gained = m_nListWidth > 0 ? width - m_nListWidth : 0;
    m_nListWidth = width;
    if (gained == 0)
        return;
    const int location = m_pHeader->sectionSize(kColumnLocation);
    int change = 0;
    if (gained > 0) {
        // Width gained first brings the columns hidden past the right edge
        // into view; Location takes what is left over.
        const int viewportBefore = m_pList->viewport()->width() - gained;
        const int hidden = qMax(0, m_pHeader->length() - viewportBefore);
        change = gained - qMin(gained, hidden);
    } else {
        // Width lost comes back out of what Location was given, so growing
        // and shrinking again leaves every column as it was.
        change = -qMin(-gained, m_nLocationGrown);
    }
    if (change == 0)
        return;
    const int newLocation = qMax(m_pHeader->MinimumColumnWidth(), location + change);
    m_nLocationGrown = qMax(0, m_nLocationGrown + newLocation - location);
    m_pHeader->resizeSection(kColumnLocation, newLocation);
}
