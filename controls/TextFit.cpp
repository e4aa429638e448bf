#include "controls/TextFit.h"

#include "controls/AccessibleFactory.h"
#include "controls/CFlatPushButton.h"
#include "controls/CFlatToggleButton.h"

#include <QFontMetrics>
#include <QLabel>
#include <QRegularExpression>

namespace {

// Room a flat push button keeps between its frame and its label.
constexpr int kButtonPadding = 2 * 4;

bool IsTextLabel(const QLabel *label)
{
    return label && !label->text().isEmpty() && label->pixmap().isNull() && label->textFormat() == Qt::PlainText;
}

int WidestWord(const QFontMetrics &metrics, const QString &text)
{
    int widest = 0;
    static const QRegularExpression kSpaces(QStringLiteral("\\s+"));
    for (const QString &word : text.split(kSpaces, Qt::SkipEmptyParts))
        widest = qMax(widest, metrics.horizontalAdvance(word));
    return widest;
}

int WidestLine(const QFontMetrics &metrics, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = qMax(widest, metrics.horizontalAdvance(line));
    return widest;
}

// The size the widget's text needs at the widget's present width (height
// only for wrapping statics, whose width is what the template gave them).
QSize NeededSize(const QWidget *widget)
{
    const QFontMetrics metrics(widget->font());
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        if (!IsTextLabel(label))
            return widget->size();
        const int frame = widget->width() - label->contentsRect().width();
        if (label->wordWrap()) {
            const int width = qMax(widget->width(), WidestWord(metrics, label->text()) + frame);
            return QSize(width, label->heightForWidth(width));
        }
        const int lines = int(label->text().count(QLatin1Char('\n'))) + 1;
        return QSize(WidestLine(metrics, label->text()) + frame,
                     qMax(widget->height(), lines * metrics.lineSpacing() - metrics.leading()));
    }
    const QString text = widget->property("text").toString();
    if (qobject_cast<const CFlatToggleButton *>(widget))
        return QSize(CFlatToggleButton::kLabelOffset + metrics.horizontalAdvance(StripMnemonic(text)) + 2,
                     widget->height());
    if (qobject_cast<const CFlatPushButton *>(widget))
        return QSize(PushButtonWidthFor(widget, text), widget->height());
    return widget->size();
}

bool Overlaps(int aFrom, int aTo, int bFrom, int bTo)
{
    return aFrom < bTo && bFrom < aTo;
}

// Grows `grown` by (dx, dy) and moves its siblings out of the way.
void Grow(QWidget *container, QWidget *grown, int dx, int dy)
{
    const QRect old = grown->geometry();
    grown->resize(old.width() + dx, old.height() + dy);
    for (QObject *child : container->children()) {
        auto *sibling = qobject_cast<QWidget *>(child);
        if (!sibling || sibling == grown || sibling->isWindow())
            continue;
        QRect place = sibling->geometry();
        if (dx > 0 && place.left() >= old.left() + old.width() && Overlaps(place.top(), place.bottom() + 1, old.top(), old.bottom() + 1))
            place.translate(dx, 0);
        if (dy > 0 && place.top() >= old.top() + old.height())
            place.translate(0, dy);
        sibling->setGeometry(place);
    }
}

QRect ChildrenRect(const QWidget *container)
{
    QRect bounds;
    for (QObject *child : container->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isWindow())
            bounds |= widget->geometry();
    }
    return bounds;
}

} // namespace

int PushButtonWidthFor(const QWidget *button, const QString &text)
{
    return QFontMetrics(button->font()).horizontalAdvance(StripMnemonic(text)) + kButtonPadding;
}

bool TextFits(const QWidget *widget)
{
    const QSize needed = NeededSize(widget);
    return needed.width() <= widget->width() && needed.height() <= widget->height();
}

QSize FitTextsInside(QWidget *container)
{
    const QRect before = ChildrenRect(container);
    for (QObject *child : container->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow() || TextFits(widget))
            continue;
        const QSize needed = NeededSize(widget);
        Grow(container, widget, qMax(0, needed.width() - widget->width()), qMax(0, needed.height() - widget->height()));
    }
    const QRect after = ChildrenRect(container);
    const QSize grown(qMax(0, after.right() - before.right()), qMax(0, after.bottom() - before.bottom()));
    if (grown.width() == 0 && grown.height() == 0)
        return grown;
    const QSize size = container->size() + grown;
    if (container->minimumSize() == container->maximumSize()) {
        container->setFixedSize(size);
    } else {
        container->setMinimumSize(container->minimumSize() + grown);
        container->resize(size);
    }
    return grown;
}
