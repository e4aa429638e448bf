#include <QtTest>

#include "ClassicPalette.h"
#include "controls/CCheckButton.h"
#include "controls/CLinkStatic.h"
#include "controls/SystemColors.h"
#include "res/Bitmaps.h"
#include "res/ResourceIds.h"

#include <QApplication>
#include <QPainter>

namespace {

// The row's palette: the application's own light one, the classic one, or dark.
void ApplyPalette(const QString &palette)
{
    if (palette == QLatin1String("dark"))
        QApplication::setPalette(ClassicPalette::DarkPalette());
    else if (palette == QLatin1String("classic"))
        ClassicPalette::Apply();
}

// The colour in `area` of `image` that stands out most from `ground`: the
// core pixels of text or a mark drawn without anti-aliasing.
QColor Strongest(const QImage &image, const QRect &area, const QColor &ground)
{
    QColor best = ground;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 255 && ContrastRatio(pixel, ground) > ContrastRatio(best, ground))
                best = pixel;
        }
    }
    return best;
}

} // namespace

class TestContrast : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_light = QApplication::palette(); }
    void cleanup() { QApplication::setPalette(m_light); }

    void ratioFollowsTheGuidelines();
    void focusedLabelAndTickStandOut_data();
    void focusedLabelAndTickStandOut();
    void linkAndWordMarkStandOut_data();
    void linkAndWordMarkStandOut();

private:
    QPalette m_light;
};

void TestContrast::ratioFollowsTheGuidelines()
{
    QCOMPARE(qRound(ContrastRatio(Qt::black, Qt::white) * 10), 210);
    QCOMPARE(qRound(ContrastRatio(Qt::white, Qt::white) * 10), 10);
    // The figures the fixed colours have on the two kinds of face.
    QCOMPARE(qRound(ContrastRatio(QColor(0, 0, 235), QColor(239, 239, 239)) * 10), 83);
    QVERIFY(ContrastRatio(QColor(0, 0, 235), QColor(53, 53, 53)) < 2.0);
    // A colour that stands out stays exactly itself.
    QCOMPARE(ContrastingColor(QColor(0, 0, 235), Qt::white, Qt::black), QColor(0, 0, 235));
}

void TestContrast::focusedLabelAndTickStandOut_data()
{
    QTest::addColumn<QString>("palette");
    QTest::newRow("application light") << QStringLiteral("light");
    QTest::newRow("classic light") << QStringLiteral("classic");
    QTest::newRow("dark") << QStringLiteral("dark");
}

void TestContrast::focusedLabelAndTickStandOut()
{
    QFETCH(QString, palette);
    ApplyPalette(palette);

    QWidget window;
    auto *box = new CCheckButton(QStringLiteral("&Size"), &window);
    box->setFont(ClassicPalette::SharpFont(14));
    box->setGeometry(0, 0, 120, 24);
    box->SetCheck(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    const QImage image = box->grab().toImage();

    const QColor face = image.pixelColor(image.width() - 2, 1);
    const QColor label = Strongest(image, QRect(CFlatToggleButton::kLabelOffset, 0, 80, image.height()), face);
    const QRect cell(0, (box->height() - CFlatToggleButton::kIndicatorSize) / 2, CFlatToggleButton::kIndicatorSize,
                     CFlatToggleButton::kIndicatorSize);
    const QColor well = image.pixelColor(cell.left() + 2, cell.bottom() - 2);
    const QColor tick = Strongest(image, cell.adjusted(2, 2, -2, -2), well);
    QVERIFY2(ContrastRatio(label, face) >= kMinimumContrast,
             qPrintable(QStringLiteral("label %1 on %2").arg(label.name(), face.name())));
    QVERIFY2(ContrastRatio(tick, well) >= kMinimumContrast,
             qPrintable(QStringLiteral("tick %1 on %2").arg(tick.name(), well.name())));
    if (palette != QLatin1String("dark")) {
        // The light themes keep the design's exact colours.
        QCOMPARE(label, QColor(0, 0, 235));
        QCOMPARE(tick, QColor(Qt::black));
    }
}

void TestContrast::linkAndWordMarkStandOut_data()
{
    focusedLabelAndTickStandOut_data();
}

void TestContrast::linkAndWordMarkStandOut()
{
    QFETCH(QString, palette);
    ApplyPalette(palette);

    QWidget window;
    auto *link = new CLinkStatic(&window);
    link->setText(QStringLiteral("https://brimvale.example.org/"));
    link->Attach();
    const QColor ground = link->palette().color(link->backgroundRole());
    QVERIFY(ContrastRatio(link->TextColour(), ground) >= kMinimumContrast);
    if (palette != QLatin1String("dark"))
        QCOMPARE(link->TextColour(), link->GetLinkColour());

    // The word mark's letters against the button face it is drawn on.
    const QImage logo = LoadBitmap(IDB_LOGO).toImage().convertToFormat(QImage::Format_ARGB32);
    const QColor face = QApplication::palette().color(QPalette::Button);
    QImage onFace(logo.size(), QImage::Format_ARGB32);
    onFace.fill(face);
    {
        QPainter painter(&onFace);
        painter.drawImage(0, 0, logo);
    }
    // The name stands right of the mark.
    const QRect name(logo.width() * 27 / 119, 0, logo.width() - logo.width() * 27 / 119, logo.height());
    const QColor letters = Strongest(onFace, name, face);
    QVERIFY2(ContrastRatio(letters, face) >= kMinimumContrast,
             qPrintable(QStringLiteral("letters %1 on %2").arg(letters.name(), face.name())));
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
