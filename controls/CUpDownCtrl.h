#pragma once

#include <QTimer>
#include <QWidget>

// A pair of small arrow buttons beside an edit. It never writes into its
// buddy: it only reports each step, and the owner decides what the step does
// to its number. With a buddy set, the Up and Down keys in the buddy step too.
class CUpDownCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CUpDownCtrl(QWidget *parent = nullptr);

    // Steps are also taken from the arrow keys pressed in `buddy`. Aligned
    // right, the arrows move onto the right end of the buddy, which gives up
    // that much of its width, so the two together keep the buddy's place.
    void SetBuddy(QWidget *buddy, bool bAlignRight = true);

    QSize sizeHint() const override;

signals:
    // One step of an arrow: `up` is true for the upper arrow (or the Up key).
    void stepped(bool up);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Arrow { None, Up, Down };

    Arrow ArrowAt(const QPoint &point) const;
    void Step();
    void StopRepeat();

    QWidget *m_pBuddy = nullptr;
    Arrow m_pressed = Arrow::None;
    // Holding an arrow steps again and again, like any spin control.
    QTimer m_timerRepeat;
};
