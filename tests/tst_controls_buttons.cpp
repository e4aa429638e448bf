#include <QtTest>

#include <QApplication>
#include <QLabel>

#include "controls/CCheckButton.h"
#include "controls/CFlatPushButton.h"
#include "controls/CRadioButton.h"
#include "ClassicPalette.h"

namespace {

using namespace ClassicPalette;

// The wells of check boxes and radio buttons are drawn in the window colour.
const QColor kWell = kWindow;
const QColor kFocus(0, 0, 235);

// Compares the 13 by 13 cell at `origin` with a picture in which each
// character stands for one colour.
void CompareCell(const QImage &image, QPoint origin, const QStringList &rows, const QHash<QChar, QColor> &colors)
{
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < rows[y].size(); ++x) {
            const QColor expected = colors.value(rows[y][x]);
            const QColor actual = image.pixelColor(origin + QPoint(x, y));
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4 ('%5')")
                                     .arg(x).arg(y).arg(actual.name(), expected.name()).arg(rows[y][x])));
        }
    }
}

QRect BoundsOf(const QImage &image, const QColor &color)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

void PressSpace(QWidget *widget, bool autoRepeat = false)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), autoRepeat);
    QApplication::sendEvent(widget, &press);
}

void ReleaseSpace(QWidget *widget, bool autoRepeat = false)
{
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), autoRepeat);
    QApplication::sendEvent(widget, &release);
}

} // namespace

class TestControlsButtons : public QObject
{
    Q_OBJECT

    QWidget *m_pWindow = nullptr;

    template <class T>
    T *Make(const QString &text, QSize size = QSize(120, 21))
    {
        auto *control = new T(text, m_pWindow);
        control->setFont(SharpFont());
        control->resize(size);
        control->show();
        return control;
    }

private slots:
    void initTestCase()
    {
        Apply();
    }

    void init()
    {
        Apply();
        m_pWindow = new QWidget;
        m_pWindow->setGeometry(200, 200, 400, 300);
        // Keep the cursor off every control, so that only the events sent
        // here decide hover states.
        QCursor::setPos(20, 20);
        m_pWindow->show();
        m_pWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pWindow));
    }

    void cleanup()
    {
        delete m_pWindow;
        m_pWindow = nullptr;
    }

    void radioWellAndDotFollowThePicture()
    {
        auto *radio = Make<CRadioButton>(QString());
        const QHash<QChar, QColor> colors{{'.', kSentinel}, {'D', kDark}, {'L', kLight}, {'W', kWell}, {'o', kText}};
        const QStringList checked{
            ".............", ".....DDDD....", "...DDWWWWDD..", "..DWWWWWWWWL.", "..DWWWWWWWWL.",
            ".DWWWWooWWWWL", ".DWWWooooWWWL", ".DWWWooooWWWL", ".DWWWWooWWWWL", "..DWWWWWWWWL.",
            "..DWWWWWWWWL.", "...LLWWWWLL..", ".....LLLL....",
        };
        // The cell is centred vertically: (21 - 13) / 2 = 4.
        radio->SetCheck(1);
        CompareCell(Render(radio), QPoint(0, 4), checked, colors);

        QStringList unchecked = checked;
        for (QString &row : unchecked)
            row.replace(QLatin1Char('o'), QLatin1Char('W'));
        radio->SetCheck(0);
        CompareCell(Render(radio), QPoint(0, 4), unchecked, colors);

        // Disabled: the well takes the face colour.
        radio->setEnabled(false);
        QHash<QChar, QColor> disabledColors = colors;
        disabledColors['W'] = kFace;
        CompareCell(Render(radio), QPoint(0, 4), unchecked, disabledColors);
    }

    void checkBoxTickIsThreeStrokes()
    {
        auto *check = Make<CCheckButton>(QString(), QSize(120, 22));
        check->SetCheck(1);
        const QHash<QChar, QColor> colors{{'D', kDark}, {'L', kLight}, {'W', kWell}, {'X', Qt::black}};
        const QStringList cell{
            "DDDDDDDDDDDDL", "DWWWWWWWWWWWL", "DWWWWWWWWWWWL", "DWWWWWWWWXWWL", "DWWWWWWWXXWWL",
            "DWWXWWWXXXWWL", "DWWXXWXXXWWWL", "DWWXXXXXWWWWL", "DWWWXXXWWWWWL", "DWWWWXWWWWWWL",
            "DWWWWWWWWWWWL", "DWWWWWWWWWWWL", "LLLLLLLLLLLLL",
        };
        // (22 - 13) / 2 truncates to 4.
        CompareCell(Render(check), QPoint(0, 4), cell, colors);
    }

    void pushButtonFramesForEachState()
    {
        auto *button = Make<CFlatPushButton>(QString(), QSize(80, 25));
        const int w = 80, h = 25;
        struct Expect { QPoint at; QColor color; };
        auto verify = [&](int frame, std::initializer_list<Expect> expects) {
            QCOMPARE(button->GetFrame(), frame);
            const QImage image = Render(button);
            for (const Expect &e : expects)
                QCOMPARE(image.pixelColor(e.at), e.color);
            QCOMPARE(image.pixelColor(w / 2, h / 2), kFace);
        };
        verify(0, {{{1, 0}, kLight}, {{0, 1}, kLight}, {{w - 1, 1}, kDark}, {{1, h - 1}, kDark}, {{2, 2}, kFace}});

        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), button->mapToGlobal(QPointF(10, 10)));
        QApplication::sendEvent(button, &enter);
        verify(2, {{{1, 0}, kDark}, {{0, 1}, kDark}, {{w - 1, 1}, kText}, {{1, h - 1}, kText},
                   {{2, 1}, kLight}, {{1, 2}, kLight}, {{w - 2, 2}, kDark}, {{2, h - 2}, kDark}, {{3, 3}, kFace}});

        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
        verify(1, {{{1, 0}, kDark}, {{0, 1}, kDark}, {{w - 1, 1}, kLight}, {{1, h - 1}, kLight}, {{2, 2}, kFace}});
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    }

    void labelColoursFocusedPlainAndEmbossed()
    {
        auto *plain = Make<CCheckButton>(QStringLiteral("HIH"));
        auto *focused = Make<CFlatPushButton>(QStringLiteral("HIH"), QSize(80, 25));
        auto *disabled = Make<CRadioButton>(QStringLiteral("HIH"));
        disabled->setEnabled(false);
        focused->setFocus();
        QVERIFY(focused->hasFocus());

        const QImage plainImage = Render(plain);
        QVERIFY(!BoundsOf(plainImage, kText).isEmpty());
        QVERIFY(BoundsOf(plainImage, kFocus).isEmpty());
        // The label starts 19 pixels from the left edge.
        QVERIFY(BoundsOf(plainImage, kText).left() >= 19);
        QVERIFY(BoundsOf(plainImage, kText).left() <= 22);

        // Inside the frame, whose outer ring is in the text colour on hover.
        const QImage focusedImage = Render(focused).copy(5, 5, 70, 15);
        QVERIFY(!BoundsOf(focusedImage, kFocus).isEmpty());
        QVERIFY(BoundsOf(focusedImage, kText).isEmpty());

        // Light copy one pixel down and right, dark copy in place over it.
        const QImage disabledImage = Render(disabled);
        const QRect label(19, 0, disabledImage.width() - 19, disabledImage.height());
        const QImage labelPart = disabledImage.copy(label);
        const QRect dark = BoundsOf(labelPart, kDark);
        const QRect light = BoundsOf(labelPart, kLight);
        QVERIFY(!dark.isEmpty());
        QVERIFY(!light.isEmpty());
        QCOMPARE(light.bottomRight(), dark.bottomRight() + QPoint(1, 1));
        QVERIFY(BoundsOf(labelPart, kText).isEmpty());
    }

    void paletteChangeReloadsAllButFocusAndWell()
    {
        auto *button = Make<CFlatPushButton>(QString(), QSize(80, 25));
        auto *radio = Make<CRadioButton>(QString());
        QPalette changed = Palette();
        const QColor newFace(180, 220, 180);
        changed.setColor(QPalette::Button, newFace);
        changed.setColor(QPalette::Base, QColor(1, 2, 3));
        QApplication::setPalette(changed);
        QCoreApplication::processEvents();
        QCOMPARE(Render(button).pixelColor(40, 12), newFace);
        // The well keeps the colour read when the control was made.
        QCOMPARE(Render(radio).pixelColor(6, 4 + 6), kWell);
    }

    void releaseOutsideSendsNothingAndReturningCompletes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("push") << 0;
        QTest::newRow("check") << 1;
        QTest::newRow("radio") << 2;
    }

    void releaseOutsideSendsNothingAndReturningCompletes()
    {
        QFETCH(int, kind);
        QAbstractButton *button = kind == 0 ? static_cast<QAbstractButton *>(Make<CFlatPushButton>(QStringLiteral("b")))
                                 : kind == 1 ? static_cast<QAbstractButton *>(Make<CCheckButton>(QStringLiteral("b")))
                                             : static_cast<QAbstractButton *>(Make<CRadioButton>(QStringLiteral("b")));
        auto checkState = [&] {
            if (auto *check = qobject_cast<CCheckButton *>(button))
                return check->GetCheck();
            if (auto *radio = qobject_cast<CRadioButton *>(button))
                return radio->GetCheck();
            return 0;
        };
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        const QPoint inside(5, 10);
        const QPoint outside(300, 10);

        QTest::mousePress(button, Qt::LeftButton, {}, inside);
        QTest::mouseMove(button, outside);
        QTest::mouseRelease(button, Qt::LeftButton, {}, outside);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(checkState(), 0);

        auto *toggle = qobject_cast<CFlatToggleButton *>(button);
        QTest::mousePress(button, Qt::LeftButton, {}, inside);
        QTest::mouseMove(button, outside);
        if (toggle)
            QVERIFY(toggle->IsPressed() && !toggle->IsInside());
        QTest::mouseMove(button, inside);
        if (toggle)
            QVERIFY(toggle->IsPressed() && toggle->IsInside());
        QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(checkState(), kind == 0 ? 0 : 1);
    }

    void firstClickOnUnfocusedButtonStillCompletes()
    {
        auto *other = Make<CFlatPushButton>(QStringLiteral("other"));
        auto *button = Make<CFlatPushButton>(QStringLiteral("b"));
        other->setFocus();
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(button->hasFocus());
        QCOMPARE(clicks.count(), 1);
    }

    void spaceGivesExactlyOneClick()
    {
        auto *push = Make<CFlatPushButton>(QStringLiteral("p"));
        auto *check = Make<CCheckButton>(QStringLiteral("c"));
        auto *radio = Make<CRadioButton>(QStringLiteral("r"));
        const QList<QAbstractButton *> buttons{push, check, radio};
        for (QAbstractButton *button : buttons) {
            button->setFocus();
            QVERIFY(button->hasFocus());
            QSignalSpy clicks(button, &QAbstractButton::clicked);
            // Held down long enough to repeat, wherever the mouse is.
            PressSpace(button);
            PressSpace(button, true);
            ReleaseSpace(button, true);
            PressSpace(button, true);
            ReleaseSpace(button);
            QCOMPARE(clicks.count(), 1);
            // A release without a press is not a click.
            ReleaseSpace(button);
            QCOMPARE(clicks.count(), 1);
        }
        QCOMPARE(check->GetCheck(), 1);
        QCOMPARE(radio->GetCheck(), 1);
        QCOMPARE(push->GetFrame(), int(CFlatPushButton::FrameFlat));

        // Pressed again, the check box flips back; the radio stays checked.
        check->setFocus();
        QTest::keyClick(check, Qt::Key_Space);
        QCOMPARE(check->GetCheck(), 0);
        radio->setFocus();
        QSignalSpy radioClicks(radio, &QAbstractButton::clicked);
        QTest::keyClick(radio, Qt::Key_Space);
        QCOMPARE(radio->GetCheck(), 1);
        QCOMPARE(radioClicks.count(), 1);
    }

    void focusLostMidSpacePressSendsNothing()
    {
        auto *other = Make<CFlatPushButton>(QStringLiteral("other"));
        auto *check = Make<CCheckButton>(QStringLiteral("c"));
        const QList<QAbstractButton *> buttons{Make<CFlatPushButton>(QStringLiteral("p")), check,
                                               Make<CRadioButton>(QStringLiteral("r"))};
        for (QAbstractButton *button : buttons) {
            button->setFocus();
            QSignalSpy clicks(button, &QAbstractButton::clicked);
            PressSpace(button);
            other->setFocus();
            ReleaseSpace(button);
            QCOMPARE(clicks.count(), 0);
            // Nothing is left held: the next space press works as usual.
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
            QCOMPARE(clicks.count(), 1);
        }
        QCOMPARE(check->GetCheck(), 1);
    }

    void mnemonicCompletesAndTakesTheFocus()
    {
        auto *push = Make<CFlatPushButton>(QStringLiteral("&push"));
        auto *check = Make<CCheckButton>(QStringLiteral("&check"));
        auto *radio = Make<CRadioButton>(QStringLiteral("&radio"));
        const QList<QPair<QAbstractButton *, Qt::Key>> keys{{push, Qt::Key_P}, {check, Qt::Key_C}, {radio, Qt::Key_R}};
        for (const auto &[button, key] : keys) {
            QSignalSpy clicks(button, &QAbstractButton::clicked);
            QTest::keyClick(m_pWindow, key, Qt::AltModifier);
            QCOMPARE(clicks.count(), 1);
            QVERIFY(button->hasFocus());
        }
        QCOMPARE(check->GetCheck(), 1);
        QCOMPARE(radio->GetCheck(), 1);
    }

    void clickOnCheckedRadioKeepsItAndClicksAgain()
    {
        auto *radio = Make<CRadioButton>(QStringLiteral("r"));
        QSignalSpy clicks(radio, &QAbstractButton::clicked);
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(radio->GetCheck(), 1);
        QCOMPARE(clicks.count(), 2);
    }

    void doubleClickCountsAsOneClick_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("push") << 0;
        QTest::newRow("check") << 1;
        QTest::newRow("radio") << 2;
    }

    // Through the window, as a real double click arrives: the platform turns
    // the second press into a double-click event.
    void doubleClickCountsAsOneClick()
    {
        QFETCH(int, kind);
        auto *check = kind == 1 ? Make<CCheckButton>(QStringLiteral("c")) : nullptr;
        auto *radio = kind == 2 ? Make<CRadioButton>(QStringLiteral("r")) : nullptr;
        QAbstractButton *button = check ? static_cast<QAbstractButton *>(check)
                                 : radio ? static_cast<QAbstractButton *>(radio)
                                         : Make<CFlatPushButton>(QStringLiteral("p"));
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        QWindow *window = m_pWindow->windowHandle();
        QVERIFY(window);
        const QPoint at = button->mapTo(m_pWindow, QPoint(5, 10));

        QTest::mouseDClick(window, Qt::LeftButton, {}, at);
        QCOMPARE(clicks.count(), 1);
        if (check)
            QCOMPARE(check->GetCheck(), 1);
        if (radio)
            QCOMPARE(radio->GetCheck(), 1);
        if (auto *toggle = qobject_cast<CFlatToggleButton *>(button)) {
            QVERIFY(!toggle->IsPressed());
            // The well is back in the window colour, not held pressed.
            QCOMPARE(Render(button).pixelColor(6, (button->height() - 13) / 2 + 3), kWell);
        }

        // Now focused: a second double click is again one click.
        QVERIFY(button->hasFocus());
        QTest::mouseDClick(window, Qt::LeftButton, {}, at);
        QCOMPARE(clicks.count(), 2);
        if (check)
            QCOMPARE(check->GetCheck(), 0);
        if (radio)
            QCOMPARE(radio->GetCheck(), 1);
    }

    // A disabled button takes no part in the mouse: the pointer coming in
    // (as Qt reports it when a menu closes over the button) leaves it flat,
    // and a button disabled under the mouse goes back to flat.
    void disabledPushButtonStaysFlat()
    {
        const int w = 80, h = 25;
        auto flat = [&](CFlatPushButton *button) {
            QCOMPARE(button->GetFrame(), int(CFlatPushButton::FrameFlat));
            const QImage image = Render(button);
            QCOMPARE(image.pixelColor(1, 0), kLight);
            QCOMPARE(image.pixelColor(0, 1), kLight);
            QCOMPARE(image.pixelColor(w - 1, 1), kDark);
            QCOMPARE(image.pixelColor(1, h - 1), kDark);
            QCOMPARE(image.pixelColor(2, 2), kFace);
        };
        auto *back = Make<CFlatPushButton>(QStringLiteral("&Back"), QSize(w, h));
        back->setEnabled(false);
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), back->mapToGlobal(QPointF(10, 10)));
        QApplication::sendEvent(back, &enter);
        flat(back);
        QWindow *window = m_pWindow->windowHandle();
        QTest::mouseMove(window, back->mapTo(m_pWindow, QPoint(20, 12)));
        QTest::mouseMove(window, back->mapTo(m_pWindow, QPoint(30, 12)));
        flat(back);

        auto *next = Make<CFlatPushButton>(QStringLiteral("&Next"), QSize(w, h));
        QEnterEvent over(QPointF(10, 10), QPointF(10, 10), next->mapToGlobal(QPointF(10, 10)));
        QApplication::sendEvent(next, &over);
        QCOMPARE(next->GetFrame(), int(CFlatPushButton::FrameRaised));
        next->setEnabled(false);
        flat(next);
        QVERIFY(!next->IsHover());
    }

    void checkingARadioUnchecksOnlyItsRun()
    {
        // Two runs split by a label: a, b | label | c, d.
        auto *a = Make<CRadioButton>(QStringLiteral("a"));
        auto *b = Make<CRadioButton>(QStringLiteral("b"));
        new QLabel(QStringLiteral("split"), m_pWindow);
        auto *c = Make<CRadioButton>(QStringLiteral("c"));
        auto *d = Make<CRadioButton>(QStringLiteral("d"));
        a->SetCheck(1);
        c->SetCheck(1);
        QCOMPARE(b->GroupSiblings(), QList<CRadioButton *>{a});
        QCOMPARE(c->GroupSiblings(), QList<CRadioButton *>{d});

        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(a->GetCheck(), 0);
        QCOMPARE(b->GetCheck(), 1);
        QCOMPARE(c->GetCheck(), 1);

        d->setFocus();
        QTest::keyClick(d, Qt::Key_Space);
        QCOMPARE(c->GetCheck(), 0);
        QCOMPARE(d->GetCheck(), 1);
        QCOMPARE(b->GetCheck(), 1);
    }

    void uncheckedRadioLeavesTabOrderUntilFocused()
    {
        auto *radio = Make<CRadioButton>(QStringLiteral("r"));
        QVERIFY(radio->HasTabStop());
        radio->SetCheck(1);
        radio->SetCheck(0);
        QVERIFY(!radio->HasTabStop());
        radio->setFocus();
        QVERIFY(radio->HasTabStop());
    }
};

QTEST_MAIN(TestControlsButtons)
#include "tst_controls_buttons.moc"
