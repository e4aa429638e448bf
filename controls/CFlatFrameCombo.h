#pragma once

#include <QComboBox>
#include <memory>
#include <vector>

#include "controls/CComboItem.h"

class CImageList;

// A drop-down list painted with a thin, flat frame and a flat drop button.
// When owner-drawn, every entry shows the image of its CComboItem from the
// image list, indented by its level; otherwise the entries are drawn by the
// standard list and only the frame is repainted.
class CFlatFrameCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit CFlatFrameCombo(QWidget *parent = nullptr);
    ~CFlatFrameCombo() override;

    // Entries drawn with their image and indent (the drive list).
    void SetOwnerDrawn(bool bOwnerDrawn);
    bool IsOwnerDrawn() const { return m_bOwnerDrawn; }

    // Returns the previous list. The list stays the owner's and must outlive
    // every paint of the combo box; the combo box never frees it.
    CImageList *SetImageList(CImageList *pImageList);
    CImageList *GetImageList() const { return m_pImageList; }

    // Adds the item's text as a new entry and takes ownership of the item.
    // Returns the entry's index, or -1 (the item is then deleted).
    int AddItem(CComboItem *pItem);
    // The record of entry `nIndex`, or nullptr (entries added without one).
    CComboItem *GetItem(int nIndex) const;

    bool IsDropped() const { return m_bDropped != 0; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void showPopup() override;
    void hidePopup() override;

    // Draws entry `nIndex` into `rect`: `bSelected`, `bFocus`, `bEdit` (the
    // selection field of the closed box), `bDisabled`.
    struct ItemState {
        bool bSelected = false;
        bool bFocus = false;
        bool bEdit = false;
        bool bDisabled = false;
    };
    void DrawItem(QPainter &painter, const QRect &rect, int nIndex, const ItemState &state) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void DrawFlatFrame(QPainter &painter) const;

    std::vector<std::unique_ptr<CComboItem>> m_arrItems;
    CImageList *m_pImageList = nullptr;
    int m_bDropped = 0;
    bool m_bOwnerDrawn = false;
};
