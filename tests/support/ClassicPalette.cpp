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
