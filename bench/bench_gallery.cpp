// Shows every custom control in every state, to look at. With
// `--grab out.png` it renders the gallery into a PNG and exits.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>

#include "controls/CCheckButton.h"
#include "controls/CEllipsisStatic.h"
#include "controls/CFlatFrameCombo.h"
#include "controls/CFlatFrameDatePicker.h"
#include "controls/CFlatPushButton.h"
#include "controls/CImageList.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CRadioButton.h"
#include "controls/SystemColors.h"

namespace {

// A strip of three 18 by 18 images on white, which the image list masks out.
QPixmap MakeStrip()
{
    QPixmap strip(54, 18);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    painter.fillRect(QRect(2, 4, 14, 10), QColor(40, 120, 200));
    painter.fillRect(QRect(20, 5, 14, 9), QColor(150, 150, 150));
    painter.fillRect(QRect(22, 11, 3, 2), QColor(0, 200, 0));
    painter.fillRect(QRect(38, 2, 14, 14), QColor(200, 60, 40));
    return strip;
}

// Sets the state a test cannot reach without a mouse by sending the same
// events a user would.
void Hover(QWidget *widget)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(widget, &enter);
}

void Press(QWidget *widget)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QString grabPath;
    const QStringList args = app.arguments();
    const int grabAt = args.indexOf(QStringLiteral("--grab"));
    if (grabAt >= 0 && grabAt + 1 < args.size())
        grabPath = args.at(grabAt + 1);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Controls"));
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, GetSysColor(COLOR_BTNFACE));
    window.setPalette(palette);
    auto *grid = new QGridLayout(&window);
    int row = 0;
    auto caption = [&](const QString &text) {
        grid->addWidget(new QLabel(text, &window), row, 0);
    };

    caption(QStringLiteral("Push: flat, raised, sunken, focused, disabled"));
    {
        auto *flat = new CFlatPushButton(QStringLiteral("&Next >"), &window);
        auto *raised = new CFlatPushButton(QStringLiteral("Hover"), &window);
        auto *sunken = new CFlatPushButton(QStringLiteral("Pressed"), &window);
        auto *focused = new CFlatPushButton(QStringLiteral("Focused"), &window);
        auto *disabled = new CFlatPushButton(QStringLiteral("&Disabled"), &window);
        disabled->setEnabled(false);
        grid->addWidget(flat, row, 1);
        grid->addWidget(raised, row, 2);
        grid->addWidget(sunken, row, 3);
        grid->addWidget(focused, row, 4);
        grid->addWidget(disabled, row, 5);
        QMetaObject::invokeMethod(raised, [raised] { Hover(raised); }, Qt::QueuedConnection);
        QMetaObject::invokeMethod(sunken, [sunken] { Press(sunken); }, Qt::QueuedConnection);
        QMetaObject::invokeMethod(focused, [focused] { focused->setFocus(); }, Qt::QueuedConnection);
    }
    ++row;

    caption(QStringLiteral("Check: off, on, disabled on, disabled off"));
    {
        auto *off = new CCheckButton(QStringLiteral("&Location"), &window);
        auto *on = new CCheckButton(QStringLiteral("Name"), &window);
        on->SetCheck(1);
        auto *disabledOn = new CCheckButton(QStringLiteral("Extension"), &window);
        disabledOn->SetCheck(1);
        disabledOn->setEnabled(false);
        auto *disabledOff = new CCheckButton(QStringLiteral("Size"), &window);
        disabledOff->setEnabled(false);
        grid->addWidget(off, row, 1);
        grid->addWidget(on, row, 2);
        grid->addWidget(disabledOn, row, 3);
        grid->addWidget(disabledOff, row, 4);
    }
    ++row;

    caption(QStringLiteral("Radio: checked, unchecked, disabled"));
    {
        auto *express = new CRadioButton(QStringLiteral("&Express"), &window);
        auto *custom = new CRadioButton(QStringLiteral("&Custom"), &window);
        express->SetCheck(1);
        custom->SetCheck(0);
        auto *disabled = new CRadioButton(QStringLiteral("Disabled"), &window);
        disabled->SetCheck(1);
        disabled->setEnabled(false);
        grid->addWidget(express, row, 1);
        grid->addWidget(custom, row, 2);
        grid->addWidget(disabled, row, 3);
    }
    ++row;

    caption(QStringLiteral("Progress: 0, 33, 50, 100"));
    {
        const int positions[] = {0, 339, 500, 1000};
        for (int i = 0; i < 4; ++i) {
            auto *progress = new CPercentProgressCtrl(&window);
            progress->SetRange(0, 1000);
            progress->SetPos(positions[i]);
            progress->setFixedSize(140, 18);
            grid->addWidget(progress, row, 1 + i);
        }
    }
    ++row;

    caption(QStringLiteral("Path ellipsis"));
    {
        auto *path = new CEllipsisStatic(0, 1, &window);
        path->SetWindowText(QStringLiteral("/home/someone/projects/very/deep/folder/tree/with/many/levels/report-final.txt"));
        path->setFixedWidth(300);
        grid->addWidget(path, row, 1, 1, 3);
        auto *empty = new CEllipsisStatic(0, 1, &window);
        empty->setFixedWidth(120);
        grid->addWidget(empty, row, 4);
    }
    ++row;

    static CImageList images;
    images.Create(MakeStrip(), 18, Qt::white);
    caption(QStringLiteral("Combo: drives (owner-drawn), plain, disabled"));
    {
        auto *drives = new CFlatFrameCombo(&window);
        drives->SetOwnerDrawn(true);
        drives->SetImageList(&images);
        drives->AddItem(new CComboItem(QStringLiteral("/ ( root )"), 1, 1));
        drives->AddItem(new CComboItem(QStringLiteral("/home ( data )"), 1, 1));
        drives->setCurrentIndex(0);
        auto *plain = new CFlatFrameCombo(&window);
        plain->addItems({QStringLiteral("less than"), QStringLiteral("between"), QStringLiteral("larger than")});
        auto *disabled = new CFlatFrameCombo(&window);
        disabled->addItem(QStringLiteral("older than"));
        disabled->setEnabled(false);
        grid->addWidget(drives, row, 1);
        grid->addWidget(plain, row, 2);
        grid->addWidget(disabled, row, 3);
    }
    ++row;

    caption(QStringLiteral("Combo items: plain, selected, indent 1, edit field"));
    {
        auto *combo = new CFlatFrameCombo(&window);
        combo->SetOwnerDrawn(true);
        combo->SetImageList(&images);
        combo->AddItem(new CComboItem(QStringLiteral("indent 0"), 0, 0));
        combo->AddItem(new CComboItem(QStringLiteral("selected"), 0, 0));
        combo->AddItem(new CComboItem(QStringLiteral("indent 1"), 2, 1));
        combo->hide();
        struct Sample {
            int index;
            CFlatFrameCombo::ItemState state;
        };
        const Sample samples[] = {{0, {}}, {1, {true, true, false, false}}, {2, {}}, {2, {false, false, true, false}}};
        for (int i = 0; i < 4; ++i) {
            QPixmap pixmap(130, 20);
            pixmap.fill(Qt::magenta);
            QPainter painter(&pixmap);
            combo->DrawItem(painter, QRect(0, 0, 130, 20), samples[i].index, samples[i].state);
            painter.end();
            auto *label = new QLabel(&window);
            label->setPixmap(pixmap);
            grid->addWidget(label, row, 1 + i);
        }
    }
    ++row;

    caption(QStringLiteral("Date picker: enabled, disabled"));
    {
        auto *date = new CFlatFrameDatePicker(&window);
        date->SetTime(CTime(2024, 2, 29, 13, 45, 0));
        auto *disabled = new CFlatFrameDatePicker(&window);
        disabled->SetTime(CTime(1999, 12, 31, 0, 0, 0));
        disabled->setEnabled(false);
        grid->addWidget(date, row, 1);
        grid->addWidget(disabled, row, 2);
    }
    ++row;

    window.show();
    if (grabPath.isEmpty())
        return app.exec();

    window.activateWindow();
    QApplication::processEvents();
    QApplication::processEvents();
    QImage image(window.size(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(1);
    image.fill(Qt::transparent);
    window.render(&image);
    // Two times larger too, so that single pixels can be checked by eye.
    image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(grabPath.left(grabPath.lastIndexOf(QLatin1Char('.'))) + QStringLiteral("@2x.png"));
    return image.save(grabPath) ? 0 : 1;
}
