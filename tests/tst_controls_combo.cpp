#include <QtTest>

#include <QApplication>
#include <QAbstractItemView>
#include <QPainter>
#include <QPointer>
#include <cstring>
#include <new>

#include "controls/CFlatFrameCombo.h"
#include "controls/CFlatFrameDatePicker.h"
#include "controls/CImageList.h"
#include "controls/SystemColors.h"
#include "ClassicPalette.h"

namespace {

using namespace ClassicPalette;

const QColor kImage(200, 30, 30);

// One 18 by 18 image: a solid square on white, which the list masks out.
QPixmap Strip()
{
    QPixmap strip(18, 18);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    painter.fillRect(QRect(2, 2, 14, 14), kImage);
    return strip;
}

struct Drawn {
    QRect image;  // where the image colour landed
    QRect text;   // where the text colour landed
    QColor background;
};

Drawn DrawEntry(CFlatFrameCombo &combo, int index, const CFlatFrameCombo::ItemState &state, QColor textColor)
{
    QImage canvas(140, 20, QImage::Format_RGB32);
    canvas.fill(kSentinel);
    QPainter painter(&canvas);
    // The item rectangle starts at x = 30, so an image left of it shows.
    const QRect rect(30, 0, 100, 20);
    combo.DrawItem(painter, rect, index, state);
    painter.end();
    Drawn drawn;
    drawn.background = canvas.pixelColor(129, 19);
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const QColor color = canvas.pixelColor(x, y);
            if (color == kImage)
                drawn.image |= QRect(x - rect.left(), y, 1, 1);
            else if (color == textColor)
                drawn.text |= QRect(x - rect.left(), y, 1, 1);
        }
    }
    return drawn;
}

} // namespace

class TestControlsCombo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Apply();
    }

    void itemsDrawTextIndentAndImage()
    {
        CImageList images;
        QVERIFY(images.Create(Strip(), 18, Qt::white));
        CFlatFrameCombo combo;
        combo.setFont(SharpFont());
        combo.SetOwnerDrawn(true);
        QCOMPARE(combo.SetImageList(&images), nullptr);
        QCOMPARE(combo.AddItem(new CComboItem(QStringLiteral("Less"), 0, 0)), 0);
        QCOMPARE(combo.AddItem(new CComboItem(QStringLiteral("Drive"), 0, 1)), 1);
        QCOMPARE(combo.GetItem(1)->m_nIndent, 1);

        // Indent 0: the image falls 18 pixels left of the item, outside it;
        // the text starts 2 pixels from the edge.
        Drawn plain = DrawEntry(combo, 0, {}, kWindowText);
        QCOMPARE(plain.image, QRect(-16, 2, 14, 14));
        QVERIFY(plain.text.left() >= 2 && plain.text.left() <= 4);
        QVERIFY(plain.text.top() >= 2);
        QCOMPARE(plain.background, kWindow);

        // Indent 1: the image at the left edge, the text 20 pixels in.
        Drawn drive = DrawEntry(combo, 1, {}, kWindowText);
        QCOMPARE(drive.image, QRect(2, 2, 14, 14));
        QVERIFY(drive.text.left() >= 20 && drive.text.left() <= 22);

        // The closed box's field: image at the edge whatever the indent.
        CFlatFrameCombo::ItemState edit;
        edit.bEdit = true;
        Drawn field = DrawEntry(combo, 0, edit, kWindowText);
        QCOMPARE(field.image, QRect(2, 2, 14, 14));
        QVERIFY(field.text.left() >= 20 && field.text.left() <= 22);

        // Selected: black text becomes white on the highlight colour.
        CFlatFrameCombo::ItemState selected;
        selected.bSelected = true;
        Drawn chosen = DrawEntry(combo, 1, selected, Qt::white);
        QCOMPARE(chosen.background, kHighlight);
        QVERIFY(!chosen.text.isEmpty());

        // No entry: only the background.
        Drawn none = DrawEntry(combo, -1, {}, kWindowText);
        QVERIFY(none.text.isEmpty() && none.image.isEmpty());
    }

    void recordsFollowTheirEntriesAndTheListStaysTheOwners()
    {
        CImageList images;
        images.Create(Strip(), 18, Qt::white);
        {
            CFlatFrameCombo combo;
            combo.SetImageList(&images);
            combo.addItem(QStringLiteral("no record"));
            QCOMPARE(combo.AddItem(new CComboItem(QStringLiteral("x"), 0, 0)), 1);
            QCOMPARE(combo.GetItem(0), nullptr);
            QCOMPARE(combo.GetItem(1)->m_strText, QStringLiteral("x"));
        }
        QCOMPARE(images.GetImageCount(), 1);
    }

    // The usual order for a list that is a member of the combo box's parent:
    // the parent's members die before its child widgets, so the list is gone
    // (here its bytes are overwritten as well) while the combo box, shown
    // and with its list open, is still being destroyed.
    void listDyingBeforeItsComboBoxIsNeverTouched()
    {
        class Owner : public QWidget
        {
        public:
            Owner()
            {
                new (m_storage) CImageList;
                Images().Create(Strip(), 18, Qt::white);
                m_combo = new CFlatFrameCombo(this);
                m_combo->SetOwnerDrawn(true);
                m_combo->SetImageList(&Images());
                for (int i = 0; i < 3; ++i)
                    m_combo->AddItem(new CComboItem(QStringLiteral("entry %1").arg(i), i, i));
                resize(200, 60);
            }
            ~Owner() override
            {
                Images().~CImageList();
                std::memset(m_storage, 0xA5, sizeof m_storage);
            }
            CImageList &Images() { return *std::launder(reinterpret_cast<CImageList *>(m_storage)); }
            CFlatFrameCombo *m_combo = nullptr;

        private:
            alignas(CImageList) unsigned char m_storage[sizeof(CImageList)];
        };
        auto *owner = new Owner;
        owner->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner));
        owner->m_combo->showPopup();
        QTRY_VERIFY(owner->m_combo->view()->isVisible());
        QPointer<CFlatFrameCombo> combo = owner->m_combo;
        delete owner;
        QVERIFY(combo.isNull());
    }

    void flatFrameAndDropButton()
    {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Button, QColor(200, 200, 200));
        palette.setColor(QPalette::Dark, QColor(128, 128, 128));
        palette.setColor(QPalette::Light, QColor(255, 255, 255));
        QApplication::setPalette(palette);
        CFlatFrameCombo combo;
        combo.resize(150, 24);
        QImage image(combo.size(), QImage::Format_RGB32);
        combo.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        QCOMPARE(image.pixelColor(0, 0), QColor(200, 200, 200));
        QCOMPARE(image.pixelColor(149, 23), QColor(200, 200, 200));
        QCOMPARE(image.pixelColor(2, 1), QColor(128, 128, 128));
        QCOMPARE(image.pixelColor(148, 5), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(5, 5), kWindow);
        // The drop button: raised at rest.
        const int buttonLeft = 150 - 2 - GetComboButtonWidth();
        QCOMPARE(image.pixelColor(buttonLeft, 8), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(147, 8), QColor(128, 128, 128));
        QApplication::setPalette(QPalette());
        initTestCase();
    }

    // A press opens the list and shows the drop button pushed in; closing
    // the list (Escape in it) lets the button out again.
    void pressDropsAndClosingRaises()
    {
        QWidget window;
        window.resize(300, 200);
        auto *combo = new CFlatFrameCombo(&window);
        combo->addItems({QStringLiteral("less than"), QStringLiteral("between"), QStringLiteral("larger than")});
        combo->setGeometry(10, 10, 150, 24);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int buttonLeft = 150 - 2 - GetComboButtonWidth();
        auto buttonEdges = [&] {
            const QImage image = Render(combo);
            return qMakePair(image.pixelColor(buttonLeft, 8), image.pixelColor(150 - 3, 8));
        };
        QCOMPARE(buttonEdges(), qMakePair(kLight, kDark));
        QVERIFY(!combo->IsDropped());

        QTest::mousePress(combo, Qt::LeftButton, {}, QPoint(20, 12));
        QVERIFY(combo->IsDropped());
        QTRY_VERIFY(combo->view()->isVisible());
        QCOMPARE(buttonEdges(), qMakePair(kDark, kLight));

        QTest::keyClick(combo->view(), Qt::Key_Escape);
        QTRY_VERIFY(!combo->view()->isVisible());
        QVERIFY(!combo->IsDropped());
        QCOMPARE(buttonEdges(), qMakePair(kLight, kDark));
        QCOMPARE(combo->currentIndex(), 0);
    }

    // The drive box is placed before it gets its images, as the drive page
    // does; every row of an 18 pixel image still shows in the closed box.
    void closedBoxShowsTheWholeImage()
    {
        const QColor top(10, 200, 10);
        const QColor bottom(10, 10, 200);
        QPixmap strip(18, 18);
        strip.fill(Qt::white);
        {
            QPainter painter(&strip);
            painter.fillRect(QRect(3, 0, 12, 1), top);
            painter.fillRect(QRect(3, 1, 12, 16), kImage);
            painter.fillRect(QRect(3, 17, 12, 1), bottom);
        }
        CImageList images;
        QVERIFY(images.Create(strip, 18, Qt::white));
        CFlatFrameCombo combo;
        combo.setFont(SharpFont());
        // Lower than the image needs, as a box laid out by its text alone is.
        combo.setGeometry(0, 0, 200, 22);
        combo.SetOwnerDrawn(true);
        combo.SetImageList(&images);
        QCOMPARE(combo.AddItem(new CComboItem(QStringLiteral("/ ( root )"), 0, 1)), 0);
        combo.setCurrentIndex(0);
        const QImage image = Render(&combo);
        auto rowsOf = [&](const QColor &color) {
            QRect found;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y) == color)
                        found |= QRect(x, y, 1, 1);
            return found;
        };
        const QRect first = rowsOf(top);
        const QRect last = rowsOf(bottom);
        QCOMPARE(first.height(), 1);
        QCOMPARE(last.height(), 1);
        QCOMPARE(last.top() - first.top(), 17);
        // Inside the frame rings, and the frame still whole below it.
        QVERIFY(first.top() >= 2);
        QVERIFY(last.bottom() <= combo.height() - 3);
        QCOMPARE(image.pixelColor(100, combo.height() - 1), kFace);
    }

    void datePickerKeepsTheTimeOfDay()
    {
        CFlatFrameDatePicker picker;
        QVERIFY(!picker.calendarPopup());
        QVERIFY(picker.displayFormat().contains(QLatin1String("yyyy")));
        picker.SetTime(CTime(2024, 2, 28, 13, 45, 10));
        QCOMPARE(picker.GetTime().GetHour(), 13);

        picker.setFocus();
        picker.setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(&picker, Qt::Key_Up);
        const CTime stepped = picker.GetTime();
        QCOMPARE(stepped.GetDay(), 29);
        QCOMPARE(stepped.GetHour(), 13);
        QCOMPARE(stepped.GetMinute(), 45);
        QCOMPARE(stepped.GetSecond(), 10);

        picker.setDate(QDate(1999, 12, 31));
        QCOMPARE(picker.dateTime().time(), QTime(13, 45, 10));
        QCOMPARE(picker.GetTime(), CTime(1999, 12, 31, 13, 45, 10));
    }
};

QTEST_MAIN(TestControlsCombo)
#include "tst_controls_combo.moc"
