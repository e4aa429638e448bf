#include <QtTest>

#include "ClassicPalette.h"
#include "controls/CCheckBoxListCtrl.h"
#include "controls/CCheckButton.h"
#include "controls/CRadioButton.h"
#include "controls/CSortArrowHeader.h"
#include "controls/CheckBoxBitmap.h"

#include <QProcess>
#include <QStandardItemModel>
#include <cmath>

// Small drawings grabbed at the screen scales people use. A line one pixel
// thick at scale 1 must stay a whole, constant number of device pixels
// thick at every other scale: a painter scaled by 1.25 or 1.5 rounds such a
// line to one device pixel in some places and two in others, which is what
// these tests catch.

namespace {

using namespace ClassicPalette;

// Device pixels of a one-pixel line at `ratio`.
int LineWidthAt(qreal ratio)
{
    return qMax(1, int(std::floor(ratio + 0.25)));
}

// How many pixels of `color` follow each other from `at` on in `step`.
int Run(const QImage &image, QPoint at, QPoint step, const QColor &color)
{
    int run = 0;
    while (image.rect().contains(at) && image.pixelColor(at) == color) {
        ++run;
        at += step;
    }
    return run;
}

// The smallest rectangle of `area` holding every pixel of any of `colors`.
QRect Bounds(const QImage &image, const QRect &area, const QList<QColor> &colors)
{
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (colors.contains(image.pixelColor(x, y)))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// The runs of pixels of either colour along row `y` of `area`: each as its
// length and whether it holds both colours (where two edges meet).
QList<QPair<int, bool>> RowRuns(const QImage &image, const QRect &area, int y, const QColor &first,
                                const QColor &second)
{
    QList<QPair<int, bool>> runs;
    for (int x = area.left(); x <= area.right(); ++x) {
        int run = 0;
        QSet<QRgb> colors;
        for (QColor color = image.pixelColor(x, y); x <= area.right() && (color == first || color == second);
             color = image.pixelColor(x, y)) {
            colors.insert(color.rgb());
            ++run;
            ++x;
        }
        if (run > 0)
            runs.append({run, colors.size() > 1});
    }
    return runs;
}

// A logical rectangle of `widget` in device pixels of `top`'s grab.
QRect DeviceRect(const QWidget *widget, const QRect &rect, const QWidget *top, qreal ratio)
{
    const QPoint at = widget->mapTo(top, rect.topLeft());
    return QRect(qFloor(at.x() * ratio), qFloor(at.y() * ratio), qCeil(rect.width() * ratio),
                 qCeil(rect.height() * ratio));
}

// Whether this process draws at `ratio`. The screen's scale is fixed when
// the application starts, so otherwise the current row runs in a child
// started at that scale and `failure` holds its output when it failed.
bool DrawsAt(qreal ratio, QByteArray &failure)
{
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QString::number(ratio))
        return true;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(ratio));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char(':')
                 + QString::fromLatin1(QTest::currentDataTag())});
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        failure = "at scale " + QByteArray::number(ratio) + ":\n" + child.readAll();
    return false;
}

QString Describe(const QList<int> &values)
{
    QStringList texts;
    for (int value : values)
        texts << QString::number(value);
    return texts.join(QLatin1Char(','));
}

// How thick the frame around `bounds` is across its middle: left, top,
// right and bottom, counted in pixels of `topLeft` and `bottomRight`.
QString EdgeWidths(const QImage &image, const QRect &bounds, const QColor &topLeft, const QColor &bottomRight)
{
    const QPoint mid = bounds.center();
    return Describe({Run(image, QPoint(bounds.left(), mid.y()), QPoint(1, 0), topLeft),
                     Run(image, QPoint(mid.x(), bounds.top()), QPoint(0, 1), topLeft),
                     Run(image, QPoint(bounds.right(), mid.y()), QPoint(-1, 0), bottomRight),
                     Run(image, QPoint(mid.x(), bounds.bottom()), QPoint(0, -1), bottomRight)});
}

} // namespace

#define AT_SCALE(ratio)                                                                                                \
    do {                                                                                                               \
        QByteArray failure;                                                                                            \
        if (!DrawsAt(ratio, failure)) {                                                                                \
            QVERIFY2(failure.isEmpty(), failure.constData());                                                         \
            return;                                                                                                    \
        }                                                                                                              \
    } while (false)

class TestCrispScale : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Apply(); }
    void init()
    {
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
            QFETCH(qreal, ratio);
            QCOMPARE(qApp->devicePixelRatio(), ratio);
        }
    }

    void listCheckBoxesHaveEvenEdges_data() { Scales(); }
    void listCheckBoxesHaveEvenEdges();
    void toggleIndicatorsHaveEvenEdges_data();
    void toggleIndicatorsHaveEvenEdges();
    void sortArrowHasEvenLegs_data();
    void sortArrowHasEvenLegs();

private:
    static void Scales()
    {
        QTest::addColumn<qreal>("ratio");
        for (qreal ratio : {1.0, 1.25, 1.5, 2.0})
            QTest::newRow(qPrintable(QString::number(ratio))) << ratio;
    }
};

void TestCrispScale::listCheckBoxesHaveEvenEdges()
{
    QFETCH(qreal, ratio);
    AT_SCALE(ratio);
    const QColor border(128, 128, 128);
    QStandardItemModel model(0, 1);
    for (int row = 0; row < 2; ++row) {
        auto *item = new QStandardItem(QStringLiteral("file%1").arg(row));
        item->setCheckable(true);
        item->setCheckState(row == 0 ? Qt::Checked : Qt::Unchecked);
        model.appendRow(item);
    }
    CCheckBoxListCtrl list;
    list.setModel(&model);
    list.resize(200, 120);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    // No selection or current row tints the boxes.
    list.selectionModel()->clear();
    list.setCurrentIndex(QModelIndex());

    const QImage image = list.grab().toImage();
    QCOMPARE(image.devicePixelRatio(), ratio);
    const int line = LineWidthAt(ratio);
    for (int row = 0; row < 2; ++row) {
        // The check box's cell, clear of the list's frame and the header.
        const QRect cell = list.visualRect(model.index(row, 0)).adjusted(1, 1, 0, -1);
        const QRect area = DeviceRect(list.viewport(), QRect(cell.topLeft(), QSize(14, cell.height())), &list, ratio);
        const QRect box = Bounds(image, area, {border});
        QVERIFY2(!box.isEmpty(), "no box border found");
        QCOMPARE(EdgeWidths(image, box, border, border), Describe({line, line, line, line}));
        // As wide as the 11 pixel box is at this scale, give or take the
        // rounding of its two edges.
        QVERIFY2(qAbs(box.width() - 11 * ratio) <= 1.0, qPrintable(QString::number(box.width())));
    }

    // The painted cells are the exact bitmap at 1 and painted afresh at any
    // other scale, at the device's size.
    const QPixmap pixmap = CheckBoxCell(1, ratio);
    QCOMPARE(pixmap.devicePixelRatio(), qFuzzyCompare(ratio, 1.0) ? 1.0 : ratio);
    QCOMPARE(pixmap.width(), qCeil(16 * ratio));
    if (qFuzzyCompare(ratio, 1.0))
        QCOMPARE(pixmap.toImage().pixelColor(11, 4), QColor(128, 0, 0));
}

void TestCrispScale::toggleIndicatorsHaveEvenEdges_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<bool>("radio");
    for (qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
        for (bool radio : {false, true})
            QTest::addRow("%s %s", radio ? "radio" : "check", qPrintable(QString::number(ratio))) << ratio << radio;
    }
}

void TestCrispScale::toggleIndicatorsHaveEvenEdges()
{
    QFETCH(qreal, ratio);
    QFETCH(bool, radio);
    AT_SCALE(ratio);
    QWidget window;
    window.resize(60, 30);
    CFlatToggleButton *button = nullptr; // the window's
    if (radio) {
        auto *well = new CRadioButton(QString(), &window);
        well->SetCheck(1);
        button = well;
    } else {
        auto *box = new CCheckButton(QString(), &window);
        box->SetCheck(1);
        button = box;
    }
    button->setGeometry(7, 5, 40, 19); // odd offsets: half device pixels at 1.5
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage image = window.grab().toImage();

    // The box is 13 pixels square, the round well 12 across; either framed
    // one line thick on all four sides: dark where the light comes from
    // (top, left), light on the far sides.
    const QRect frame = Bounds(image, image.rect(), {kDark, kLight});
    QVERIFY2(!frame.isEmpty(), "no indicator found");
    QVERIFY2(qAbs(frame.width() - (radio ? 12 : 13) * ratio) <= 1.0 && frame.width() == frame.height(),
             qPrintable(QStringLiteral("%1x%2").arg(frame.width()).arg(frame.height())));
    const int line = LineWidthAt(ratio);
    QCOMPARE(EdgeWidths(image, frame, kDark, kLight), Describe({line, line, line, line}));

    if (radio) {
        // The dot is round: as tall as it is wide, about 4 pixels across.
        const QRect dot = Bounds(image, frame, {kText});
        QCOMPARE(dot.width(), dot.height());
        QVERIFY2(qAbs(dot.width() - 4 * ratio) <= 1.0, qPrintable(QString::number(dot.width())));
        return;
    }
    // The tick: in every column it crosses, one run of the same height,
    // its top moving by at most one row from column to column.
    const QColor tick(Qt::black);
    QList<int> heights;
    QList<int> tops;
    for (int x = frame.left(); x <= frame.right(); ++x) {
        QList<int> column;
        for (int y = frame.top(); y <= frame.bottom(); ++y) {
            const int run = Run(image, QPoint(x, y), QPoint(0, 1), tick);
            if (run > 0) {
                column << run;
                tops << y;
                y += run;
            }
        }
        if (column.size() > 1)
            QFAIL(qPrintable(QStringLiteral("column %1 has %2 tick runs").arg(x).arg(column.size())));
        heights << column;
    }
    QVERIFY2(heights.size() >= 7 * ratio - 1, qPrintable(Describe(heights)));
    QCOMPARE(Describe(heights), Describe(QList<int>(heights.size(), qRound(3 * ratio))));
    for (int i = 1; i < tops.size(); ++i)
        QVERIFY2(qAbs(tops[i] - tops[i - 1]) <= 1, qPrintable(Describe(tops)));
}

void TestCrispScale::sortArrowHasEvenLegs_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<bool>("ascending");
    for (qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
        for (bool ascending : {true, false})
            QTest::addRow("%s %s", qPrintable(QString::number(ratio)), ascending ? "up" : "down")
                << ratio << ascending;
    }
}

void TestCrispScale::sortArrowHasEvenLegs()
{
    QFETCH(qreal, ratio);
    QFETCH(bool, ascending);
    AT_SCALE(ratio);
    // Empty captions: only the arrow and the item frames are drawn.
    QStandardItemModel model(2, 3);
    model.setHorizontalHeaderLabels({QString(), QString(), QString()});
    CCheckBoxListCtrl list;
    list.setModel(&model);
    list.resize(301, 120);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    CSortArrowHeader *header = list.SortHeader();
    QVERIFY(header);
    header->resizeSection(0, 81); // odd widths: the arrow starts on half device pixels at 1.5
    header->resizeSection(1, 97);
    header->SetSortColumn(1, ascending);
    const QImage image = list.grab().toImage();

    // Inside the item, clear of its frame.
    const QRect item(header->sectionViewportPosition(1) + 2, 2, header->sectionSize(1) - 4,
                     header->viewport()->height() - 4);
    const QRect area = DeviceRect(header->viewport(), item, &list, ratio);
    const QColor light = CSortArrowHeader::ArrowLightColor();
    const QRect arrow = Bounds(image, area, {kDark, light});
    QVERIFY2(arrow.height() >= 4 * ratio, qPrintable(QStringLiteral("arrow %1 rows").arg(arrow.height())));
    // Every row crosses the two slanted legs, each the same whole number of
    // device pixels wide (where they meet, no wider than both); the flat
    // edge (base or top) is as many rows thick.
    const int line = LineWidthAt(ratio);
    int flatRows = 0;
    QStringList uneven;
    for (int y = arrow.top(); y <= arrow.bottom(); ++y) {
        const QList<QPair<int, bool>> runs = RowRuns(image, arrow, y, light, kDark);
        QList<int> lengths;
        for (const auto &run : runs)
            lengths << run.first;
        if (*std::max_element(lengths.begin(), lengths.end()) > 2 * line + 1) {
            ++flatRows;
            continue;
        }
        for (const auto &[length, joint] : runs) {
            if (joint ? length > 2 * line : length != line)
                uneven << QStringLiteral("row %1: %2").arg(y - arrow.top()).arg(Describe(lengths));
        }
    }
    QVERIFY2(uneven.isEmpty(), qPrintable(uneven.join(QLatin1Char('\n'))));
    QCOMPARE(flatRows, line);
}

QTEST_MAIN(TestCrispScale)
#include "tst_crispscale.moc"
