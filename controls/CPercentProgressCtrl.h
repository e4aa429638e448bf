#pragma once

#include <QColor>
#include <QWidget>

// A progress bar that writes its percentage across itself: the done part in
// the highlight colour, the rest in the window colour, and the text in the
// opposite colour of whatever lies under it, switching exactly at the bar's
// edge. It repaints only when the bar's width in pixels changes.
class CPercentProgressCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CPercentProgressCtrl(QWidget *parent = nullptr);

    // Stores both bounds; nothing is repainted.
    void SetRange(int nLower, int nUpper);
    void GetRange(int &nLower, int &nUpper) const;
    // Moves to `nPos` limited to the range and returns the previous position.
    int SetPos(int nPos);
    int GetPos() const { return m_nPos; }

    // Width of the done part for the current position and `clientWidth`.
    int BarWidth(int clientWidth) const;
    // The percentage written across the bar (truncated toward zero).
    int Percent() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_nPos = 0;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nBarWidth = -1;
    QColor m_clrBar;
    QColor m_clrBackground;
    QColor m_clrTextOverBackground;
    QColor m_clrTextOverBar;
};
