#include "res/Bitmaps.h"

#include "res/ResourceIds.h"

#include <QGuiApplication>
#include <QPalette>

// The pictures live in a static library: naming the resource here makes the
// linker keep it. (The macro must stay outside any namespace.)
static void EnsureImagesRegistered()
{
    static bool registered = false;
    if (!registered) {
        Q_INIT_RESOURCE(images);
        registered = true;
    }
}

namespace {

bool IsDarkFace()
{
    return qGuiApp && QGuiApplication::palette().color(QPalette::Button).lightness() < 128;
}

QString BaseName(int id)
{
    switch (id) {
    // The word mark is dark blue; on a dark button face its pale variant.
    case IDB_LOGO: return IsDarkFace() ? QStringLiteral("logo-light") : QStringLiteral("logo");
    case IDB_PAGE_PICTURE: return QStringLiteral("page");
    case IDB_DRIVES: return QStringLiteral("drives");
    case IDB_SPLASH: return QStringLiteral("splash");
    case IDB_RESULTS_PICTURE: return QStringLiteral("results");
    case IDI_PROGRAM: return QStringLiteral("icon-32");
    default: return {};
    }
}

} // namespace

QString BitmapPath(int id)
{
    const QString base = BaseName(id);
    return base.isEmpty() ? QString() : QStringLiteral(":/images/%1.png").arg(base);
}

QPixmap LoadBitmapAtScale1(int id)
{
    EnsureImagesRegistered();
    const QString path = BitmapPath(id);
    return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QPixmap LoadBitmap(int id)
{
    EnsureImagesRegistered();
    const QString base = BaseName(id);
    if (base.isEmpty())
        return {};
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (ratio > 1.0) {
        QString large = id == IDI_PROGRAM ? QStringLiteral(":/images/icon-64.png")
                                          : QStringLiteral(":/images/%1@2x.png").arg(base);
        QPixmap pixmap(large);
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    return QPixmap(BitmapPath(id));
}

QIcon LoadProgramIcon()
{
    EnsureImagesRegistered();
    QIcon icon;
    for (int size : {16, 32, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}
