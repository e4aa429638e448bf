#include "controls/CUpDownCtrl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

// The pause before a held arrow starts repeating, and the repeat period.
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 80;

} // namespace

CUpDownCtrl::CUpDownCtrl(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    connect(&m_timerRepeat, &QTimer::timeout, this, [this] {
        m_timerRepeat.setInterval(kRepeatMs);
        Step();
    });
}

void CUpDownCtrl::SetBuddy(QWidget *buddy, bool bAlignRight)
{
    if (m_pBuddy)
        m_pBuddy->removeEventFilter(this);
    m_pBuddy = buddy;
    if (!m_pBuddy)
        return;
    m_pBuddy->installEventFilter(this);
    if (bAlignRight && m_pBuddy->parentWidget() == parentWidget()) {
        const QRect place = m_pBuddy->geometry();
        const int nWidth = qMin(width(), place.width());
        setGeometry(place.right() + 1 - nWidth, place.top(), nWidth, place.height());
        m_pBuddy->resize(place.width() - nWidth, place.height());
    }
}

QSize CUpDownCtrl::sizeHint() const
{
    return QSize(12, 20);
}

CUpDownCtrl::Arrow CUpDownCtrl::ArrowAt(const QPoint &point) const
{
    if (!rect().contains(point))
        return Arrow::None;
    return point.y() < height() / 2 ? Arrow::Up : Arrow::Down;
}

void CUpDownCtrl::Step()
{
    if (m_pressed != Arrow::None && isEnabled())
        emit stepped(m_pressed == Arrow::Up);
}

void CUpDownCtrl::StopRepeat()
{
    m_timerRepeat.stop();
    if (m_pressed != Arrow::None) {
        m_pressed = Arrow::None;
        update();
    }
}

void CUpDownCtrl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = ArrowAt(event->position().toPoint());
    update();
    Step();
    if (m_pressed != Arrow::None)
        m_timerRepeat.start(kFirstRepeatMs);
}

void CUpDownCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        StopRepeat();
    QWidget::mouseReleaseEvent(event);
}

void CUpDownCtrl::leaveEvent(QEvent *event)
{
    StopRepeat();
    QWidget::leaveEvent(event);
}

void CUpDownCtrl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        StopRepeat();
    QWidget::changeEvent(event);
}

bool CUpDownCtrl::eventFilter(QObject *watched, QEvent *event)
{
    // Only a visible, enabled control takes the buddy's arrow keys, so a
    // hidden pair never changes a number behind the user's back.
    if (watched == m_pBuddy && event->type() == QEvent::KeyPress && isVisible() && isEnabled()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            emit stepped(key->key() == Qt::Key_Up);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CUpDownCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        const Arrow arrow = i == 0 ? Arrow::Up : Arrow::Down;
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        button.state |= m_pressed == arrow ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);

        QStyleOption indicator;
        indicator.initFrom(this);
        indicator.rect = halves[i].adjusted(2, 1, -2, -1);
        if (m_pressed == arrow)
            indicator.rect.translate(1, 1);
        style()->drawPrimitive(arrow == Arrow::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &indicator, &painter, this);
    }
}
