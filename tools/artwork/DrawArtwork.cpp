// Draws the program's pictures (icon, logo, page picture, drive images,
// splash, results picture) at 1x and 2x into a folder of PNG files, and the
// icon at every size of the desktop's icon theme plus once as SVG.
// Run through tools/artwork/draw.sh; the files are committed in res/images.
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgGenerator>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// One palette for every picture, so they read as a family.
const QColor kDeep(0x0e, 0x3b, 0x52);
const QColor kMid(0x1b, 0x6f, 0x8a);
const QColor kTeal(0x3f, 0xa7, 0xb5);
const QColor kSky(0xbf, 0xe6, 0xe8);
const QColor kGreen(0x7c, 0xc4, 0x5a);
const QColor kGreenDark(0x3c, 0x8c, 0x5a);
const QColor kAmber(0xf2, 0xb3, 0x3d);
const QColor kMetalLight(0xf3, 0xf6, 0xf8);
const QColor kMetal(0xcd, 0xd6, 0xdd);
const QColor kMetalDark(0x6b, 0x7a, 0x86);
const QColor kInk(0x22, 0x2c, 0x33);

QString g_titleFamily;

using Drawing = std::function<void(QPainter &)>;

// Renders `draw` in logical units of `size` at `scale`, keeping transparency.
QImage render(QSize size, int scale, const Drawing &draw)
{
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    draw(painter);
    painter.end();
    return image;
}

// Fully transparent pixels are stored as white, so a reader that drops the
// alpha channel and masks white still sees the intended outline.
QImage withWhiteBackground(const QImage &premultiplied)
{
    QImage image = premultiplied.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                line[x] = qRgba(255, 255, 255, 0);
        }
    }
    return image;
}

bool save(const QImage &image, const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name;
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool saveBoth(const QString &folder, const QString &base, QSize size, const Drawing &draw,
              bool whiteBackground = false)
{
    bool ok = true;
    for (int scale : {1, 2}) {
        QImage image = render(size, scale, draw);
        if (whiteBackground)
            image = withWhiteBackground(image);
        const QString name = scale == 1 ? base + QStringLiteral(".png")
                                        : base + QStringLiteral("@2x.png");
        ok = save(image, folder, name) && ok;
    }
    return ok;
}

// ---------------------------------------------------------------- motifs

// A hard disk seen from the front: a metal slab with a platter window and a
// green activity light. `r` is its bounding box.
void drawDiskSlab(QPainter &p, const QRectF &r, bool detailed)
{
    const qreal radius = r.height() * 0.22;
    QLinearGradient body(r.topLeft(), r.bottomLeft());
    body.setColorAt(0, kMetalLight);
    body.setColorAt(0.55, kMetal);
    body.setColorAt(1, kMetalDark.lighter(130));
    p.setPen(QPen(kMetalDark.darker(140), qMax<qreal>(0.8, r.height() / 16)));
    p.setBrush(body);
    p.drawRoundedRect(r, radius, radius);

    // Front strip with slots.
    const qreal inset = r.height() * 0.18;
    QRectF strip(r.left() + inset * 1.4, r.top() + r.height() * 0.55, r.width() * 0.45,
                 r.height() * 0.14);
    p.setPen(Qt::NoPen);
    p.setBrush(kMetalDark);
    p.drawRoundedRect(strip, strip.height() / 2, strip.height() / 2);
    if (detailed) {
        QRectF strip2 = strip.translated(0, -strip.height() * 2);
        strip2.setWidth(strip.width() * 0.7);
        p.setBrush(kMetalDark.lighter(125));
        p.drawRoundedRect(strip2, strip2.height() / 2, strip2.height() / 2);
    }

    // Activity light.
    const qreal led = r.height() * 0.22;
    QPointF centre(r.right() - inset * 1.5 - led / 2, r.center().y() + r.height() * 0.05);
    QRadialGradient glow(centre, led);
    glow.setColorAt(0, kGreen.lighter(140));
    glow.setColorAt(0.6, kGreen);
    glow.setColorAt(1, kGreenDark);
    p.setBrush(glow);
    p.setPen(QPen(kGreenDark.darker(130), qMax<qreal>(0.5, r.height() / 28)));
    p.drawEllipse(centre, led / 2, led / 2);
}

// A four-pointed sparkle, the sign of a freshly cleaned disk.
void drawSparkle(QPainter &p, QPointF c, qreal size, const QColor &colour)
{
    QPainterPath star;
    const qreal waist = size * 0.22;
    star.moveTo(c.x(), c.y() - size);
    star.quadTo(c.x() + waist * 0.3, c.y() - waist * 0.3, c.x() + size, c.y());
    star.quadTo(c.x() + waist * 0.3, c.y() + waist * 0.3, c.x(), c.y() + size);
    star.quadTo(c.x() - waist * 0.3, c.y() + waist * 0.3, c.x() - size, c.y());
    star.quadTo(c.x() - waist * 0.3, c.y() - waist * 0.3, c.x(), c.y() - size);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(star);
}

// Rolling hills across the bottom of `r`: the vale of the name.
void drawHills(QPainter &p, const QRectF &r, qreal horizon)
{
    struct Layer { qreal base; qreal amp; qreal phase; QColor colour; };
    const Layer layers[] = {
        {horizon, 0.07, 0.1, kTeal.darker(105)},
        {horizon + r.height() * 0.06, 0.06, 0.55, kGreenDark},
        {horizon + r.height() * 0.12, 0.05, 0.25, kGreen},
    };
    for (const Layer &layer : layers) {
        QPainterPath hill;
        hill.moveTo(r.left(), r.bottom());
        hill.lineTo(r.left(), layer.base);
        const qreal w = r.width();
        const qreal a = r.height() * layer.amp;
        hill.cubicTo(r.left() + w * (0.2 + layer.phase * 0.2), layer.base - a,
                     r.left() + w * (0.45 + layer.phase * 0.2), layer.base + a,
                     r.left() + w * 0.7, layer.base - a * 0.4);
        hill.cubicTo(r.left() + w * 0.85, layer.base - a, r.left() + w * 0.95, layer.base,
                     r.right(), layer.base - a * 0.6);
        hill.lineTo(r.right(), r.bottom());
        hill.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(layer.colour);
        p.drawPath(hill);
    }
}

void drawSky(QPainter &p, const QRectF &r, qreal horizon)
{
    QLinearGradient sky(r.topLeft(), QPointF(r.left(), horizon));
    sky.setColorAt(0, kDeep);
    sky.setColorAt(0.6, kMid);
    sky.setColorAt(1, kSky);
    p.fillRect(r, sky);
}

// A swoosh rising behind the disk towards the sparkle: the drive being swept
// clean. A crescent between two curves, fading in from its tail.
void drawSwoosh(QPainter &p, QPointF tail, QPointF head, QPointF bend, qreal thickness,
                int alpha = 190)
{
    const QPointF chordMid = (tail + head) / 2;
    const QPointF inward = chordMid - bend;
    const qreal length = std::hypot(inward.x(), inward.y());
    const QPointF innerBend = length > 0 ? bend + inward / length * thickness * 2 : bend;
    QPainterPath swoosh;
    swoosh.moveTo(tail);
    swoosh.quadTo(bend, head);
    swoosh.quadTo(innerBend, tail);
    QLinearGradient fade(tail, head);
    fade.setColorAt(0, QColor(255, 255, 255, 0));
    fade.setColorAt(0.5, QColor(255, 255, 255, alpha / 2));
    fade.setColorAt(1, QColor(255, 255, 255, alpha));
    p.setPen(Qt::NoPen);
    p.setBrush(fade);
    p.drawPath(swoosh);
}

// ---------------------------------------------------------------- pictures

void drawIcon(QPainter &p, qreal s)
{
    const QRectF box(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
    QLinearGradient bg(box.topLeft(), box.bottomRight());
    bg.setColorAt(0, kTeal);
    bg.setColorAt(1, kDeep);
    p.setPen(QPen(kDeep.darker(130), s / 32));
    p.setBrush(bg);
    p.drawRoundedRect(box, s * 0.2, s * 0.2);

    drawSwoosh(p, QPointF(s * 0.1, s * 0.62), QPointF(s * 0.66, s * 0.28),
               QPointF(s * 0.16, s * 0.2), s * 0.06);
    drawDiskSlab(p, QRectF(s * 0.14, s * 0.5, s * 0.72, s * 0.3), s >= 48);
    drawSparkle(p, QPointF(s * 0.72, s * 0.27), s * 0.15, kAmber);
    if (s >= 48)
        drawSparkle(p, QPointF(s * 0.42, s * 0.16), s * 0.05, QColor(255, 255, 255, 220));
}

// Mark on the left, then the name in `ink`. Transparent, so the button face
// shows through in whatever colours the desktop uses.
void drawLogoIn(QPainter &p, const QColor &ink)
{
    p.save();
    p.translate(2, 2);
    drawIcon(p, 21);
    p.restore();

    QFont font(g_titleFamily);
    font.setPixelSize(17);
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(27, 0, 92, 25), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Brimvale"));
}

void drawLogo(QPainter &p)
{
    drawLogoIn(p, kDeep);
}

// The same word mark for dark button faces: the name in a pale tint of the
// same blue keeps its contrast where the deep blue would vanish.
void drawLogoLight(QPainter &p)
{
    drawLogoIn(p, QColor(0xdd, 0xee, 0xf6));
}

void drawPagePicture(QPainter &p)
{
    const QRectF r(0, 0, 155, 292);
    const qreal horizon = 205;
    drawSky(p, r, horizon);

    // A low sun just above the hills.
    QRadialGradient sun(QPointF(110, horizon - 10), 60);
    sun.setColorAt(0, QColor(255, 236, 180, 200));
    sun.setColorAt(1, QColor(255, 236, 180, 0));
    p.fillRect(r, sun);

    drawHills(p, r, horizon);

    drawSwoosh(p, QPointF(8, 150), QPointF(108, 78), QPointF(8, 70), 10, 230);
    drawSwoosh(p, QPointF(30, 118), QPointF(100, 86), QPointF(38, 86), 4, 150);
    drawDiskSlab(p, QRectF(22, 112, 111, 44), true);
    drawSparkle(p, QPointF(118, 72), 16, kAmber);
    drawSparkle(p, QPointF(40, 64), 8, QColor(255, 255, 255, 230));
    drawSparkle(p, QPointF(96, 40), 5, QColor(255, 255, 255, 180));
}

void drawSplash(QPainter &p)
{
    const QRectF r(0, 0, 375, 250);
    const qreal horizon = 178;
    drawSky(p, r, horizon);

    QRadialGradient sun(QPointF(300, horizon - 6), 110);
    sun.setColorAt(0, QColor(255, 236, 180, 210));
    sun.setColorAt(1, QColor(255, 236, 180, 0));
    p.fillRect(r, sun);

    drawHills(p, r, horizon);

    drawSwoosh(p, QPointF(12, 130), QPointF(134, 70), QPointF(14, 52), 12, 230);
    drawSwoosh(p, QPointF(38, 98), QPointF(126, 74), QPointF(46, 70), 5, 150);
    drawDiskSlab(p, QRectF(30, 94, 124, 48), true);
    drawSparkle(p, QPointF(146, 64), 18, kAmber);
    drawSparkle(p, QPointF(52, 58), 8, QColor(255, 255, 255, 230));

    QFont title(g_titleFamily);
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    // Soft shadow first, then the name.
    p.setPen(QColor(0, 0, 0, 70));
    p.drawText(QRectF(172, 60, 200, 56), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Brimvale"));
    p.setPen(QColor(0xfd, 0xfd, 0xfd));
    p.drawText(QRectF(170, 58, 200, 56), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Brimvale"));

    QFont tagline(g_titleFamily);
    tagline.setPixelSize(15);
    p.setFont(tagline);
    p.setPen(kSky);
    p.drawText(QRectF(174, 110, 200, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("disk space wizard"));

    // A thin dark edge: the window has no frame of its own.
    p.setPen(QPen(kDeep.darker(160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 374, 249));
}

void drawResultsPicture(QPainter &p)
{
    // A list card with ticked rows and a magnifying glass over it.
    const QRectF card(8, 6, 62, 70);
    p.setPen(QPen(kMetalDark, 1));
    QLinearGradient paper(card.topLeft(), card.bottomLeft());
    paper.setColorAt(0, QColor(0xfd, 0xfd, 0xfd));
    paper.setColorAt(1, kMetalLight.darker(104));
    p.setBrush(paper);
    p.drawRoundedRect(card, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(kMid);
    p.drawRoundedRect(QRectF(card.left(), card.top(), card.width(), 11), 4, 4);
    p.drawRect(QRectF(card.left(), card.top() + 6, card.width(), 5));

    for (int row = 0; row < 4; ++row) {
        const qreal y = card.top() + 19 + row * 13;
        const QRectF box(card.left() + 6, y - 4, 9, 9);
        p.setPen(QPen(kMetalDark, 1));
        p.setBrush(QColor(0xfd, 0xfd, 0xfd));
        p.drawRect(box);
        if (row != 2) {
            QPainterPath tick;
            tick.moveTo(box.left() + 1.8, box.top() + 4.6);
            tick.lineTo(box.left() + 3.9, box.top() + 7.0);
            tick.lineTo(box.left() + 8.2, box.top() + 1.5);
            p.setPen(QPen(kGreenDark, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(kMetal.darker(110));
        p.drawRoundedRect(QRectF(box.right() + 5, y - 2, 36 - (row % 2) * 10, 4), 2, 2);
    }

    // The glass.
    const QPointF c(64, 50);
    const qreal radius = 15;
    p.setPen(QPen(kDeep, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(11, 11), c + QPointF(24, 24));
    p.setPen(QPen(kAmber, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(14, 14), c + QPointF(23, 23));
    QRadialGradient lens(c - QPointF(5, 5), radius * 1.4);
    lens.setColorAt(0, QColor(255, 255, 255, 200));
    lens.setColorAt(1, QColor(kTeal.red(), kTeal.green(), kTeal.blue(), 110));
    p.setBrush(lens);
    p.setPen(QPen(kDeep, 3.5));
    p.drawEllipse(c, radius, radius);
    drawSparkle(p, c + QPointF(-5, -5), 4, QColor(255, 255, 255, 230));
}

// ---------------------------------------------------------------- drive images

void driveUnknown(QPainter &p)
{
    drawDiskSlab(p, QRectF(1.5, 5.5, 15, 8), false);
    QFont font(g_titleFamily);
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kDeep);
    p.drawText(QRectF(0, 0, 18, 8), Qt::AlignCenter, QStringLiteral("?"));
}

void driveFloppy(QPainter &p)
{
    p.setPen(QPen(kDeep.darker(130), 1));
    p.setBrush(kMid);
    QPainterPath body;
    body.moveTo(2.5, 2.5);
    body.lineTo(13.5, 2.5);
    body.lineTo(15.5, 4.5);
    body.lineTo(15.5, 15.5);
    body.lineTo(2.5, 15.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(kMetal);
    p.drawRect(QRectF(5, 3, 7, 4.5));
    p.setBrush(kMid);
    p.drawRect(QRectF(9.5, 3.6, 1.5, 3.2));
    p.setBrush(QColor(0xfd, 0xfd, 0xfd));
    p.drawRect(QRectF(4.5, 10, 9, 5));
}

void driveRemovable(QPainter &p)
{
    p.setPen(QPen(kMetalDark.darker(130), 1));
    p.setBrush(kMetal);
    p.drawRect(QRectF(4.5, 1.5, 6, 5));
    p.setBrush(kMid);
    p.setPen(QPen(kDeep, 1));
    p.drawRoundedRect(QRectF(3.5, 6.5, 8, 10), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kMetalDark);
    p.drawRect(QRectF(5.5, 3, 1, 1.5));
    p.drawRect(QRectF(8.5, 3, 1, 1.5));
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(7.5, 13.5), 1.2, 1.2);
    drawSparkle(p, QPointF(14.5, 5), 2.6, kAmber);
}

void driveNetwork(QPainter &p)
{
    drawDiskSlab(p, QRectF(1.5, 2.5, 15, 8), false);
    p.setPen(QPen(kDeep, 1.2));
    p.drawLine(QPointF(9, 11), QPointF(9, 14.5));
    p.drawLine(QPointF(3, 14.5), QPointF(15, 14.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawRect(QRectF(7.5, 13, 3, 3));
}

void driveHardDisk(QPainter &p)
{
    // The one the drive list actually shows: a slab with a light and a
    // sparkle, as on the program icon.
    drawDiskSlab(p, QRectF(1.5, 6.5, 15, 8.5), false);
    drawSparkle(p, QPointF(13.2, 3.6), 3.2, kAmber);
}

void driveOptical(QPainter &p)
{
    QRadialGradient disc(QPointF(7, 7), 9);
    disc.setColorAt(0, QColor(0xfd, 0xfd, 0xfd));
    disc.setColorAt(0.5, kSky);
    disc.setColorAt(1, kTeal);
    p.setPen(QPen(kMetalDark, 1));
    p.setBrush(disc);
    p.drawEllipse(QPointF(9, 9), 7.5, 7.5);
    p.setBrush(kMetal);
    p.drawEllipse(QPointF(9, 9), 2.2, 2.2);
}

void driveRam(QPainter &p)
{
    p.setPen(QPen(kGreenDark.darker(140), 1));
    p.setBrush(kGreenDark);
    p.drawRect(QRectF(1.5, 5.5, 15, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(3 + i * 4.5, 7, 3, 4));
    p.setBrush(kAmber);
    for (int i = 0; i < 6; ++i)
        p.drawRect(QRectF(2.5 + i * 2.3, 12.5, 1.2, 2));
}

void driveFolder(QPainter &p)
{
    p.setPen(QPen(QColor(0xb0, 0x7a, 0x14), 1));
    p.setBrush(kAmber.darker(110));
    p.drawRoundedRect(QRectF(1.5, 3.5, 7, 4), 1, 1);
    p.setBrush(kAmber);
    p.drawRoundedRect(QRectF(1.5, 5.5, 15, 10), 1, 1);
}

void driveComputer(QPainter &p)
{
    p.setPen(QPen(kMetalDark.darker(130), 1));
    p.setBrush(kMetal);
    p.drawRoundedRect(QRectF(1.5, 1.5, 15, 11), 1.5, 1.5);
    QLinearGradient screen(QPointF(0, 3), QPointF(0, 11));
    screen.setColorAt(0, kTeal);
    screen.setColorAt(1, kDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(screen);
    p.drawRect(QRectF(3, 3, 12, 8));
    p.setBrush(kMetalDark);
    p.drawRect(QRectF(7, 12.5, 4, 2));
    p.drawRect(QRectF(4, 14.5, 10, 2));
}

void drawDriveStrip(QPainter &p)
{
    const Drawing images[9] = {driveUnknown, driveFloppy,   driveRemovable,
                               driveNetwork, driveHardDisk, driveOptical,
                               driveRam,     driveFolder,   driveComputer};
    for (int i = 0; i < 9; ++i) {
        p.save();
        p.translate(i * 18, 0);
        p.setClipRect(QRectF(0, 0, 18, 18));
        images[i](p);
        p.restore();
    }
}

} // namespace

// The same drawing as the 256 px icon, as vector paths and gradients, for
// desktops that scale the icon themselves.
bool saveSvgIcon(const QString &folder, int size)
{
    const QString path = folder + QStringLiteral("/icon.svg");
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(size, size));
    svg.setViewBox(QRect(0, 0, size, size));
    svg.setTitle(QStringLiteral("Brimvale"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    drawIcon(painter, size);
    return painter.end();
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    const int fontId = QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/opentype/urw-base35/URWGothic-Demi.otf"));
    g_titleFamily = fontId >= 0 ? QFontDatabase::applicationFontFamilies(fontId).value(0)
                                : QStringLiteral("DejaVu Sans");

    bool ok = true;
    // The sizes the icon theme asks for; the wizard itself uses 16 to 256.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage image = render(QSize(size, size), 1, [size](QPainter &p) { drawIcon(p, size); });
        ok = save(image, folder, QStringLiteral("icon-%1.png").arg(size)) && ok;
    }
    ok = saveSvgIcon(folder, 256) && ok;
    ok = saveBoth(folder, QStringLiteral("logo"), QSize(119, 25), drawLogo) && ok;
    ok = saveBoth(folder, QStringLiteral("logo-light"), QSize(119, 25), drawLogoLight) && ok;
    ok = saveBoth(folder, QStringLiteral("page"), QSize(155, 292), drawPagePicture) && ok;
    ok = saveBoth(folder, QStringLiteral("drives"), QSize(9 * 18, 18), drawDriveStrip, true) && ok;
    ok = saveBoth(folder, QStringLiteral("splash"), QSize(375, 250), drawSplash) && ok;
    ok = saveBoth(folder, QStringLiteral("results"), QSize(95, 83), drawResultsPicture) && ok;
    return ok ? 0 : 1;
}
