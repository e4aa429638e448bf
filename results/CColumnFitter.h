#pragma once

class CCheckBoxListCtrl;
class CSortArrowHeader;
class QFont;

// The widths of the results list's columns: the classic widths scaled by
// the dialog font at first, then whatever width the list gains or loses
// goes to (and comes back out of) the Location column.
class CColumnFitter
{
public:
    void Attach(CCheckBoxListCtrl *list, CSortArrowHeader *header, const QFont &dialogFont);
    // After the list was resized.
    void Fit();

private:
    CCheckBoxListCtrl *m_pList = nullptr;
    CSortArrowHeader *m_pHeader = nullptr;
    int m_nListWidth = 0;
    // Width the resizes gave Location, which shrinking takes back first.
    int m_nLocationGrown = 0;
};
