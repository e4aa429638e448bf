#include "ClassicPalette.h"

#include <QApplication>
#include <QWidget>

namespace ClassicPalette {

QPalette Palette()
{
    QPalette palette;
    palette.setColor(QPalette::Button, kFace);
    palette.setColor(QPalette::Window, kFace);
    palette.setColor(QPalette::Light, kLight);
    palette.setColor(QPalette::Dark, kDark);
    palette.setColor(QPalette::WindowText, kText);
    palette.setColor(QPalette::Base, kWindow);
    palette.setColor(QPalette::Text, kWindowText);
    palette.setColor(QPalette::Highlight, kHighlight);
    return palette;
}

void Apply()
{
    QApplication::setPalette(Palette());
}

QPalette DarkPalette()
{
    QPalette dark;
    const QColor face(53, 53, 53);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Window, face);
        dark.setColor(group, QPalette::Button, face);
        dark.setColor(group, QPalette::Base, QColor(35, 35, 35));
        dark.setColor(group, QPalette::AlternateBase, face);
        dark.setColor(group, QPalette::WindowText, QColor(240, 240, 240));
        dark.setColor(group, QPalette::ButtonText, QColor(240, 240, 240));
        dark.setColor(group, QPalette::Text, QColor(240, 240, 240));
        dark.setColor(group, QPalette::Light, QColor(90, 90, 90));
        dark.setColor(group, QPalette::Midlight, QColor(70, 70, 70));
        dark.setColor(group, QPalette::Dark, QColor(30, 30, 30));
        dark.setColor(group, QPalette::Mid, QColor(40, 40, 40));
        dark.setColor(group, QPalette::Shadow, Qt::black);
        dark.setColor(group, QPalette::Highlight, QColor(42, 130, 218));
        dark.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    return dark;
}

QFont SharpFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QImage Render(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    image.fill(kSentinel);
    widget->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

} // namespace ClassicPalette
