#pragma once

#include <QHeaderView>

class QTableView;
class QTreeView;

// The flat header of the program's lists: painted in button colours with a
// small font, an etched arrow in the sorted column and a pressed look while
// the left button is held on an item. A left click on an item sorts the list
// by that column: ascending at first, reversed by a second click on the
// same column. Columns never become narrower than ten spaces.
//
// The header only draws the order: the model sorts itself, by sort(column,
// order), on whatever keys it has (CTypedItemModel for lists of plain texts).
class CSortArrowHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit CSortArrowHeader(QWidget *parent = nullptr);

    // Makes this the header of `view` and lets its items be clicked.
    void Attach(QTreeView *view);
    void Attach(QTableView *view);

    // Shows the arrow in `nColumn` (-1: nowhere) pointing as `bAscending`
    // says; sorts nothing. Returns the previous sort column.
    int SetSortColumn(int nColumn, bool bAscending);

    int GetSortColumn() const { return m_nSortColumn; }
    bool IsAscending() const { return m_bAscending; }
    int GetPressedItem() const { return m_nPressedItem; }

    // Sorts the list by `nColumn` as a click on it would, arrow included.
    void SortByColumn(int nColumn);

    // The font the item texts are drawn in.
    QFont DrawingFont() const;
    // The narrowest a column may be: ten spaces of the header's own font.
    int MinimumColumnWidth() const;

    // The colour of the arrow's lit edges: the button highlight, or the
    // shadow where the highlight is too close to the face to be seen.
    static QColor ArrowLightColor();
    // Grey levels (0 to 255) the highlight must stand apart from the face.
    static constexpr int kMinimumArrowContrast = 32;

signals:
    // A sort has been made (by a click or SortByColumn).
    void sorted(int nColumn, bool bAscending);

protected:
    void paintEvent(QPaintEvent *event) override;
    // One item alone, as the header paints it: the picture that follows the
    // mouse while a column is dragged to another place.
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private slots:
    void OnItemClick(int nColumn);
    void OnItemResized(int nColumn, int nOldSize, int nNewSize);

private:
    int PressGap() const;
    QRect ItemRect(int nColumn) const;
    void PaintItem(QPainter &painter, int nColumn, const QRect &rect, int s) const;
    void DrawArrow(QPainter &painter, const QRect &rect, int s) const;
    void SortModel(int nColumn, bool bAscending);

    int m_nSortColumn = -1;
    bool m_bAscending = true;
    int m_nPressedItem = -1;
    int m_nLastPressedItem = -1;
    bool m_bTracking = false;
};
