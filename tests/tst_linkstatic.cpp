#include <QtTest>

#include "ClassicPalette.h"
#include "ModalWatcher.h"
#include "controls/CFlatPushButton.h"
#include "controls/CLinkStatic.h"
#include "controls/CMessageBoxDlg.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QLabel>

namespace {

const QString kAddress = QStringLiteral("https://brimvale.example.org/");
const QColor kLink(0, 0, 238);
const QColor kVisited(85, 26, 139);

// How many pixels of `image` have exactly `colour`.
int countPixels(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += QColor(image.pixel(x, y)) == colour;
    return count;
}

// A link on a plain window, placed and attached as a dialog does.
struct Link
{
    explicit Link(const QString &text = QStringLiteral("Visit"), Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop,
                  QRect place = QRect(10, 20, 200, 40))
    {
        window.resize(300, 100);
        link = new CLinkStatic(&window);
        link->setFont(ClassicPalette::SharpFont(14));
        link->setText(text);
        link->setAlignment(alignment);
        link->setGeometry(place);
        link->SetOpener([this](const QString &address) {
            opened << address;
            return nResult;
        });
    }

    void attach()
    {
        link->Attach();
        window.show();
    }

    void hover(bool bOver)
    {
        if (bOver) {
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)));
            QApplication::sendEvent(link, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(link, &leave);
        }
    }

    QImage image() { return ClassicPalette::Render(link); }

    QWidget window;
    CLinkStatic *link;
    QStringList opened;
    int nResult = 42;
};

// Clicks `link` and returns the text of the message box the click opened,
// or an empty text when none opened.
QString clickAndReadBox(Link &l)
{
    QString text;
    bool bOkOnly = false;
    AnswerModal<CMessageBoxDlg>(&l.window, [&](CMessageBoxDlg *box) {
        text = box->GetTextStatic()->text();
        bOkOnly = box->GetOkButton()->isVisible() && !box->GetCancelButton()->isVisible();
        box->accept();
    });
    QTest::mouseClick(l.link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    if (!text.isEmpty() && !bOkOnly)
        return QStringLiteral("(more than an Ok button)");
    return text;
}

} // namespace

class TestLinkStatic : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ClassicPalette::Apply(); }

    void coloursFollowHoverAndVisit()
    {
        Link l;
        l.attach();
        QImage image = l.image();
        QVERIFY(countPixels(image, kLink) > 0);
        QCOMPARE(countPixels(image, ClassicPalette::kHighlight), 0);
        // Only the text is painted: the rest shows what lies behind.
        QVERIFY(countPixels(image, ClassicPalette::kSentinel) > image.width() * image.height() / 2);

        l.hover(true);
        QVERIFY(l.link->IsOver());
        image = l.image();
        QVERIFY(countPixels(image, ClassicPalette::kHighlight) > 0);
        QCOMPARE(countPixels(image, kLink), 0);
        l.hover(false);
        QCOMPARE(countPixels(l.image(), ClassicPalette::kHighlight), 0);
        QVERIFY(countPixels(l.image(), kLink) > 0);

        QTest::mouseClick(l.link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QCOMPARE(l.opened, QStringList{"Visit"});
        QVERIFY(l.link->IsVisited());
        l.hover(false);
        image = l.image();
        QVERIFY(countPixels(image, kVisited) > 0);
        QCOMPARE(countPixels(image, kLink), 0);
        // Hover wins over visited, and visited comes back after it.
        l.hover(true);
        QVERIFY(countPixels(l.image(), ClassicPalette::kHighlight) > 0);
        l.hover(false);
        QVERIFY(countPixels(l.image(), kVisited) > 0);
    }

    void hoverColourIsTakenAtConstruction()
    {
        Link l;
        l.attach();
        QPalette changed = QApplication::palette();
        changed.setColor(QPalette::Highlight, QColor(0, 200, 0));
        QApplication::setPalette(changed);
        l.hover(true);
        const QImage image = l.image();
        ClassicPalette::Apply();
        QVERIFY(countPixels(image, ClassicPalette::kHighlight) > 0);
        QCOMPARE(countPixels(image, QColor(0, 200, 0)), 0);
    }

    void movesOutsideEndTheHover()
    {
        Link l;
        l.attach();
        QTest::mouseMove(l.link, QPoint(2, 2));
        QMouseEvent inside(QEvent::MouseMove, QPointF(2, 2), l.link->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                           Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(l.link, &inside);
        QVERIFY(l.link->IsOver());
        // With a button held the moves keep coming from outside.
        const QPointF outside(l.link->width() + 5, 2);
        QMouseEvent away(QEvent::MouseMove, outside, l.link->mapToGlobal(outside), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(l.link, &away);
        QVERIFY(!l.link->IsOver());
    }

    void aFailedOpenSaysWhyAndForgetsTheVisit()
    {
        Link l;
        l.attach();
        QTest::mouseClick(l.link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QVERIFY(l.link->IsVisited());

        l.nResult = 2;
        QCOMPARE(clickAndReadBox(l), QStringLiteral("Unable to open hyperlink:\n\nThe specified file was not found."));
        QVERIFY(!l.link->IsVisited());
        l.hover(false);
        QVERIFY(countPixels(l.image(), kLink) > 0);
        QCOMPARE(countPixels(l.image(), kVisited), 0);

        // A code the table does not know, below the first success.
        l.nResult = 12;
        QCOMPARE(clickAndReadBox(l), QStringLiteral("Unable to open hyperlink:\n\nUnknown Error (12) occurred."));
        // 32 is still a failure; 33 the first success.
        l.nResult = 32;
        QCOMPARE(clickAndReadBox(l),
                 QStringLiteral("Unable to open hyperlink:\n\nThe specified dynamic-link library was not found."));
        l.nResult = 33;
        QCOMPARE(clickAndReadBox(l), QString());
        QVERIFY(l.link->IsVisited());
        QCOMPARE(l.opened.size(), 5);
    }

    void errorTextsForCodesWithoutEntries()
    {
        QCOMPARE(CLinkStatic::ErrorText(0),
                 QStringLiteral("Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources."));
        QCOMPARE(CLinkStatic::ErrorText(1), QStringLiteral("Unable to open hyperlink:\n\nUnknown Error (1) occurred."));
        QCOMPARE(CLinkStatic::ErrorText(-7), QStringLiteral("Unable to open hyperlink:\n\nUnknown Error (-7) occurred."));
    }

    void onlyAClickThatEndsOnTheLinkOpens()
    {
        Link l;
        l.attach();
        QTest::mousePress(l.link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QTest::mouseRelease(l.link, Qt::LeftButton, Qt::NoModifier, QPoint(l.link->width() + 20, 3));
        QTest::mouseClick(l.link, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
        QVERIFY(l.opened.isEmpty());
        QVERIFY(!l.link->IsVisited());
    }

    void fitsItsTextByAlignment_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::newRow("left, top") << int(Qt::AlignLeft | Qt::AlignTop);
        QTest::newRow("centre, top") << int(Qt::AlignHCenter | Qt::AlignTop);
        QTest::newRow("right, top") << int(Qt::AlignRight | Qt::AlignTop);
        QTest::newRow("left, vertical centre") << int(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("centre, centre") << int(Qt::AlignCenter);
    }

    void fitsItsTextByAlignment()
    {
        QFETCH(int, alignment);
        const Qt::Alignment align(alignment);
        const QRect place(10, 20, 201, 41);
        Link l(QStringLiteral("brimvale"), align, place);
        l.attach();

        QFont underlined = ClassicPalette::SharpFont(14);
        underlined.setUnderline(true);
        const QSize text = QFontMetrics(underlined).size(Qt::TextSingleLine, QStringLiteral("brimvale"));
        const QRect fitted = l.link->geometry();
        QCOMPARE(fitted.size(), text);
        if (align & Qt::AlignHCenter)
            QCOMPARE(fitted.left(), place.left() + (place.width() - text.width()) / 2);
        else if (align & Qt::AlignRight)
            QCOMPARE(fitted.right(), place.right());
        else
            QCOMPARE(fitted.left(), place.left());
        if (align & Qt::AlignVCenter)
            QCOMPARE(fitted.top(), place.top() + (place.height() - text.height()) / 2);
        else
            QCOMPARE(fitted.top(), place.top());

        // The text fills the fitted window: its pixels touch both ends.
        const QImage image = l.image();
        bool bLeftColumn = false, bRightColumn = false;
        for (int y = 0; y < image.height(); ++y) {
            bLeftColumn |= QColor(image.pixel(0, y)) == kLink || QColor(image.pixel(1, y)) == kLink;
            bRightColumn |= QColor(image.pixel(image.width() - 1, y)) == kLink
                            || QColor(image.pixel(image.width() - 2, y)) == kLink;
        }
        QVERIFY(bLeftColumn);
        QVERIFY(bRightColumn);
    }

    void withoutFitTheWindowKeepsItsPlace()
    {
        Link l(QStringLiteral("brimvale"), Qt::AlignRight);
        l.link->SetAutoSize(false);
        l.attach();
        QCOMPARE(l.link->geometry(), QRect(10, 20, 200, 40));
    }

    void addressTextTooltipCursorFont()
    {
        Link l{QString()};
        l.link->SetURL(kAddress);
        l.attach();
        QCOMPARE(l.link->text(), kAddress);
        QCOMPARE(l.link->toolTip(), kAddress);
        QCOMPARE(l.link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(l.link->font().underline());

        // Text and address may differ: the tooltip and the click use the address.
        Link named(QStringLiteral("our site"));
        named.link->SetURL(kAddress);
        named.attach();
        QCOMPARE(named.link->text(), QStringLiteral("our site"));
        QCOMPARE(named.link->toolTip(), kAddress);
        QTest::mouseClick(named.link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QCOMPARE(named.opened, QStringList{kAddress});

        // A template text alone is the address.
        Link plain(kAddress);
        plain.attach();
        QCOMPARE(plain.link->GetURL(), kAddress);
        QCOMPARE(plain.link->toolTip(), kAddress);

        Link flat(QStringLiteral("flat"));
        flat.link->SetUnderline(false);
        flat.attach();
        QVERIFY(!flat.link->font().underline());
    }
};

QTEST_MAIN(TestLinkStatic)
#include "tst_linkstatic.moc"
