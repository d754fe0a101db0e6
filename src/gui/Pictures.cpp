#include "gui/Pictures.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <cmath>

// The resources live in this static library; without a reference the linker would drop
// their registration from programs that link it.
static void RegisterPictureResources() {
    Q_INIT_RESOURCE(pictures);
}

namespace vr31k {

namespace {

constexpr int kReadyBitmap = 156;
constexpr int kApplicationTrayIcon = 142;
// Below this size the application icon comes from its 16-pixel grid drawing.
constexpr int kScalableIconFrom = 22;

void EnsureResources() {
    static const bool registered = (RegisterPictureResources(), true);
    (void)registered;
}

QString StatePath(int bitmapId) {
    if (bitmapId < kFirstStateBitmap || bitmapId > kLastStateBitmap) bitmapId = kReadyBitmap;
    return QStringLiteral(":/pictures/state-%1.svg").arg(bitmapId);
}

QString TrayPath(int iconId) {
    if (iconId < kFirstTrayIcon || iconId > kLastTrayIcon) iconId = kApplicationTrayIcon;
    return QStringLiteral(":/pictures/tray-%1.svg").arg(iconId);
}

const QString kApplicationIconPath = QStringLiteral(":/pictures/app-icon.svg");

// Draws the whole SVG into `pixels` device pixels, transparent around its shapes.
QPixmap Render(const QString& path, QSize pixels) {
    EnsureResources();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) return {};
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap CachedRender(const QString& path, QSize pixels) {
    const QString key = QStringLiteral("vr31k:%1@%2x%3").arg(path).arg(pixels.width()).arg(pixels.height());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    pixmap = Render(path, pixels);
    if (!pixmap.isNull()) QPixmapCache::insert(key, pixmap);
    return pixmap;
}

}  // namespace

QPixmap StatePicture(int bitmapId, qreal devicePixelRatio) {
    if (!(devicePixelRatio > 0)) devicePixelRatio = 1;
    const QSize pixels(static_cast<int>(std::lround(kStatePictureSize.width() * devicePixelRatio)),
                       static_cast<int>(std::lround(kStatePictureSize.height() * devicePixelRatio)));
    QPixmap pixmap = CachedRender(StatePath(bitmapId), pixels);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon TrayIcon(int iconId) {
    QIcon icon;
    for (const int pixels : {kTrayIconSize, 2 * kTrayIconSize})
        icon.addPixmap(CachedRender(TrayPath(iconId), QSize(pixels, pixels)));
    return icon;
}

QPixmap ApplicationIconPixmap(int pixels) {
    const QString path = pixels < kScalableIconFrom ? TrayPath(kApplicationTrayIcon) : kApplicationIconPath;
    return CachedRender(path, QSize(pixels, pixels));
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int pixels : kApplicationIconSizes) icon.addPixmap(ApplicationIconPixmap(pixels));
    return icon;
}

QByteArray ApplicationIconSvg() {
    EnsureResources();
    QFile file(kApplicationIconPath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

}  // namespace vr31k
