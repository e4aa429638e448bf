#include <QtTest>

#include "controls/CCheckBoxListCtrl.h"
#include "controls/CheckBoxBitmap.h"

#include <QProcess>
#include <QStandardItemModel>
#include <cmath>

namespace {

const QColor kBorder(128, 128, 128);

// Widths of the four edges of the grey box whose top-left device pixel is
// `corner`: how many pure grey pixels each edge is thick in its middle.
struct Edges
{
    int left = 0, right = 0, top = 0, bottom = 0;
};

int Run(const QImage &image, QPoint at, QPoint step)
{
    int run = 0;
    while (image.rect().contains(at) && image.pixelColor(at) == kBorder) {
        ++run;
        at += step;
    }
    return run;
}

Edges MeasureBox(const QImage &image, const QPoint &corner)
{
    // The far corner: the last grey pixel along the top and the left edge.
    const int width = Run(image, corner, QPoint(1, 0));
    const int height = Run(image, corner, QPoint(0, 1));
    const int midY = corner.y() + height / 2;
    const int midX = corner.x() + width / 2;
    Edges edges;
    edges.left = Run(image, QPoint(corner.x(), midY), QPoint(1, 0));
    edges.right = Run(image, QPoint(corner.x() + width - 1, midY), QPoint(-1, 0));
    edges.top = Run(image, QPoint(midX, corner.y()), QPoint(0, 1));
    edges.bottom = Run(image, QPoint(midX, corner.y() + height - 1), QPoint(0, -1));
    return edges;
}

QPoint FirstBorderPixel(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == kBorder)
                return QPoint(x, y);
        }
    }
    return QPoint(-1, -1);
}

} // namespace

class TestCrispScale : public QObject
{
    Q_OBJECT

private slots:
    void listCheckBoxesHaveEvenEdgesAtEveryScale_data();
    void listCheckBoxesHaveEvenEdgesAtEveryScale();
};

void TestCrispScale::listCheckBoxesHaveEvenEdgesAtEveryScale_data()
{
    QTest::addColumn<qreal>("ratio");
    for (qreal ratio : {1.0, 1.25, 1.5, 2.0})
        QTest::newRow(qPrintable(QString::number(ratio))) << ratio;
}

void TestCrispScale::listCheckBoxesHaveEvenEdgesAtEveryScale()
{
    QFETCH(qreal, ratio);
    // The screen's scale is fixed when the application starts, so each
    // scale runs in a child started with it.
    if (qEnvironmentVariable("QT_SCALE_FACTOR") != QString::number(ratio)) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(ratio));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("listCheckBoxesHaveEvenEdgesAtEveryScale:") + QString::fromLatin1(QTest::currentDataTag())});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0, child.readAll().constData());
        return;
    }
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

    for (int row = 0; row < 2; ++row) {
        const QRect cell = list.visualRect(model.index(row, 0)).translated(list.viewport()->pos());
        const QRect area(qFloor(cell.left() * ratio), qFloor(cell.top() * ratio), qCeil(16 * ratio),
                         qCeil(cell.height() * ratio));
        const QPoint corner = FirstBorderPixel(image, area);
        QVERIFY2(corner.x() >= 0, "no box border found");
        const Edges edges = MeasureBox(image, corner);
        const QString where = QStringLiteral("row %1: edges %2 %3 %4 %5")
                                  .arg(row).arg(edges.left).arg(edges.right).arg(edges.top).arg(edges.bottom);
        QVERIFY2(edges.left >= 1 && edges.left == edges.right && edges.left == edges.top && edges.left == edges.bottom,
                 qPrintable(where));
        // As wide as the 11 pixel box is at this scale, give or take the
        // rounding of its two edges.
        QVERIFY2(qAbs(Run(image, corner, QPoint(1, 0)) - 11 * ratio) <= 1.0, qPrintable(where));
    }

    // The painted cells are the exact bitmap at 1 and painted afresh at any
    // other scale, at the device's size.
    const QPixmap cell = CheckBoxCell(1, ratio);
    QCOMPARE(cell.devicePixelRatio(), qFuzzyCompare(ratio, 1.0) ? 1.0 : ratio);
    QCOMPARE(cell.width(), qCeil(16 * ratio));
    if (qFuzzyCompare(ratio, 1.0))
        QCOMPARE(cell.toImage().pixelColor(11, 4), QColor(128, 0, 0));
}

QTEST_MAIN(TestCrispScale)
#include "tst_crispscale.moc"
