#pragma once

#include <QString>

// One entry of a CFlatFrameCombo: its text, the index of its image in the
// combo box's image list, and its indent level (18 pixels a level).
class CComboItem
{
public:
    CComboItem() = default;
    CComboItem(const QString &text, int nImage, int nIndent)
        : m_strText(text), m_nImage(nImage), m_nIndent(nIndent) {}
    virtual ~CComboItem() = default;

    static constexpr int kIndentPixels = 18;

    QString m_strText;
    int m_nImage = 0;
    int m_nIndent = 0;
    QString m_strExtra;
};
