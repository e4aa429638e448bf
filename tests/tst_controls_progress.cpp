#include <QtTest>

#include <QApplication>
#include <QPainter>

#include "controls/CEllipsisStatic.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/SystemColors.h"
#include "ClassicPalette.h"

namespace {

using namespace ClassicPalette;

const QColor kBar = kHighlight;
constexpr int kFontPixels = 14;

// Pixels covered by `text` written centred in `size`.
QImage TextMask(const QString &text, QSize size)
{
    QImage mask(size, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter painter(&mask);
    painter.setFont(SharpFont(kFontPixels));
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(), size), Qt::AlignCenter | Qt::TextSingleLine, text);
    return mask;
}

class PaintCounter : public QObject
{
public:
    int m_nPaints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_nPaints;
        return false;
    }
};

} // namespace

class TestControlsProgress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Apply();
    }

    void barAndTextSwitchColourAtTheEdge_data()
    {
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("edge");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 100 << 0 << 0 << QStringLiteral("0%");
        QTest::newRow("50") << 100 << 50 << 100 << QStringLiteral("50%");
        // An edge through the middle of the text.
        QTest::newRow("49") << 100 << 49 << 98 << QStringLiteral("49%");
        QTest::newRow("100") << 100 << 100 << 200 << QStringLiteral("100%");
        // Shown from the position alone, in whole numbers: 29 / 100 in
        // floating point is a hair below 0.29 and would show 28%.
        QTest::newRow("29 of 100") << 100 << 29 << 58 << QStringLiteral("29%");
        QTest::newRow("339 of 1000") << 1000 << 339 << 67 << QStringLiteral("33%");
        QTest::newRow("2 of 3") << 3 << 2 << 133 << QStringLiteral("66%");
    }

    void barAndTextSwitchColourAtTheEdge()
    {
        QFETCH(int, upper);
        QFETCH(int, pos);
        QFETCH(int, edge);
        QFETCH(QString, text);
        CPercentProgressCtrl progress;
        progress.setFont(SharpFont(kFontPixels));
        progress.resize(200, 20);
        progress.SetRange(0, upper);
        progress.SetPos(pos);
        const QImage image = Render(&progress);
        const QImage mask = TextMask(text, progress.size());
        int textPixelsOnBar = 0, textPixelsOnRest = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool onText = mask.pixelColor(x, y) == Qt::black;
                const bool onBar = x < edge;
                const QColor expected = onBar == onText ? kWindow : kBar;
                if (image.pixelColor(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
                (onBar ? textPixelsOnBar : textPixelsOnRest) += onText;
            }
        }
        QVERIFY(textPixelsOnBar + textPixelsOnRest > 0);
        if (upper == 100 && pos != 29) { // the rows whose edge is set against the text
            QCOMPARE(textPixelsOnBar > 0, pos > 0);
            QCOMPARE(textPixelsOnRest > 0, pos < upper);
        }
    }

    void positionStaysInRange()
    {
        CPercentProgressCtrl progress;
        progress.resize(200, 20);
        progress.SetRange(0, 100);
        progress.SetPos(29);
        QCOMPARE(progress.SetPos(150), 29);
        QCOMPARE(progress.GetPos(), 100);
        QCOMPARE(progress.SetPos(-5), 100);
        QCOMPARE(progress.GetPos(), 0);

        // An empty or reversed range paints an empty bar.
        progress.SetRange(10, 10);
        progress.SetPos(10);
        QCOMPARE(progress.Percent(), 0);
        QCOMPARE(Render(&progress).pixelColor(0, 0), kWindow);
    }

    void repaintsOnlyWhenTheBarWidthChanges()
    {
        QWidget window;
        auto *progress = new CPercentProgressCtrl(&window);
        progress->setGeometry(0, 0, 200, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        PaintCounter counter;
        progress->installEventFilter(&counter);
        progress->SetRange(0, 1000);

        progress->SetPos(500);
        QCOMPARE(counter.m_nPaints, 1);
        progress->SetPos(500);
        progress->SetPos(504);  // still 100 pixels
        QCOMPARE(counter.m_nPaints, 1);
        progress->SetPos(505);
        QCOMPARE(counter.m_nPaints, 2);

        progress->resize(300, 20);
        QCoreApplication::processEvents();
        counter.m_nPaints = 0;
        progress->SetPos(505);
        QCOMPARE(counter.m_nPaints, 1);
        progress->SetPos(505);
        QCOMPARE(counter.m_nPaints, 1);
    }

    void pathEllipsisKeepsTheFileName()
    {
        const QFontMetrics metrics(SharpFont(kFontPixels));
        const QString path = QStringLiteral("/home/someone/projects/deep/folder/tree/with/levels/report-final.txt");
        const int width = metrics.horizontalAdvance(path) / 2;
        const QString shown = CEllipsisStatic::PathEllipsis(path, metrics, width);
        QVERIFY(metrics.horizontalAdvance(shown) <= width);
        QVERIFY2(shown.endsWith(QLatin1String(".../report-final.txt")), qPrintable(shown));
        QVERIFY(shown.startsWith(QLatin1String("/home/")));
        QCOMPARE(CEllipsisStatic::PathEllipsis(QStringLiteral("/a/b.txt"), metrics, 500), QStringLiteral("/a/b.txt"));
        // Too narrow even for the name: what fits of it, never its folder.
        const QString narrow = CEllipsisStatic::PathEllipsis(path, metrics, 60);
        QVERIFY(metrics.horizontalAdvance(narrow) <= 60);
        QVERIFY(!narrow.contains(QLatin1String("home")));
    }

    // The static paints the text last given to it, in its parent's font,
    // on the face colour: nothing of an earlier text stays behind, and an
    // empty text leaves a blank face.
    void staticPaintsOnlyItsOwnText()
    {
        QWidget parent;
        parent.setFont(SharpFont(kFontPixels));
        auto *label = new CEllipsisStatic(int(Qt::AlignLeft | Qt::AlignVCenter), 0, &parent);
        // Its own font differs: the parent's is the one that counts.
        label->setFont(SharpFont(30));
        label->resize(160, 20);
        auto blank = [](const QImage &image) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y) != kFace)
                        return false;
            return true;
        };
        QVERIFY(blank(Render(label)));

        // What the text alone looks like: written left and vertically
        // centred in the same font and colours.
        auto expected = [&](const QString &text) {
            QImage image(label->size(), QImage::Format_RGB32);
            image.fill(kFace);
            QPainter painter(&image);
            painter.setFont(SharpFont(kFontPixels));
            painter.setPen(GetSysColor(COLOR_BTNTEXT));
            painter.drawText(QRect(QPoint(), label->size()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
            return image;
        };
        label->SetWindowText(QStringLiteral("WWWW long first text"));
        QCOMPARE(Render(label), expected(QStringLiteral("WWWW long first text")));
        label->SetWindowText(QStringLiteral("ii"));
        QCOMPARE(label->GetWindowText(), QStringLiteral("ii"));
        QCOMPARE(Render(label), expected(QStringLiteral("ii")));
        label->SetWindowText(QString());
        QVERIFY(blank(Render(label)));
    }
};

QTEST_MAIN(TestControlsProgress)
#include "tst_controls_progress.moc"
