#include "ContactSheet.h"

#include "gui/Pictures.h"

#include <QPainter>

namespace vr31k {

namespace {

constexpr int kGap = 12;
constexpr int kLabelHeight = 18;
constexpr int kPerRow = 7;
// Tray icons are seen on light and dark panels alike.
const QColor kLight(0xf0, 0xf0, 0xf0);
const QColor kDark(0x30, 0x34, 0x3a);

// One tile: `pixmap`'s device pixels magnified by `magnify`, on `background`, with a
// label beneath.
QSize DrawTile(QPainter& painter, QPoint at, const QPixmap& pixmap, int magnify, const QColor& background,
               const QString& label) {
    const QSize shown = pixmap.size() * magnify;
    painter.fillRect(QRect(at, shown), background);
    painter.drawPixmap(QRect(at, shown), pixmap);
    painter.setPen(Qt::black);
    painter.drawText(QRect(at.x(), at.y() + shown.height(), shown.width(), kLabelHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter, label);
    return QSize(shown.width(), shown.height() + kLabelHeight);
}

QPixmap Plain(const QPixmap& pixmap) {
    QPixmap copy = pixmap;
    copy.setDevicePixelRatio(1);
    return copy;
}

}  // namespace

QImage RenderContactSheet(int zoom) {
    const int stateWidth = kStatePictureSize.width() * zoom;
    const int stateHeight = kStatePictureSize.height() * zoom + kLabelHeight;
    const int trayTile = kTrayIconSize * zoom;
    const int width = kGap + kPerRow * (stateWidth + kGap);
    const int stateRows = 4;  // 14 pictures at 1×, then at 2×
    const int trayRows = 4;   // 15 icons, light and dark
    const int trayPerRow = width / (2 * trayTile + 2 * kGap);
    int appHeight = 0;
    for (const int pixels : kApplicationIconSizes) appHeight = std::max(appHeight, pixels);
    const int height = kGap + stateRows * (stateHeight + kGap) + trayRows * (trayTile + kLabelHeight + kGap) +
                       appHeight + kLabelHeight + 2 * kGap;

    QImage sheet(width, height, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

    int y = kGap;
    for (const qreal ratio : {1.0, 2.0}) {
        for (int id = 147; id <= 160; ++id) {
            const int index = id - 147;
            const QPoint at(kGap + (index % kPerRow) * (stateWidth + kGap),
                            y + (index / kPerRow) * (stateHeight + kGap));
            const int magnify = static_cast<int>(zoom / ratio);
            DrawTile(painter, at, Plain(StatePicture(id, ratio)), magnify, kLight,
                     QStringLiteral("%1 @%2x").arg(id).arg(ratio));
        }
        y += 2 * (stateHeight + kGap);
    }

    QList<int> trayIds{128};
    for (int id = 133; id <= 146; ++id) trayIds.append(id);
    int index = 0;
    for (const int pixels : {kTrayIconSize, 2 * kTrayIconSize}) {
        for (const int id : trayIds) {
            const QPixmap pixmap = TrayIcon(id).pixmap(QSize(pixels, pixels));
            const int column = index % trayPerRow;
            const int row = index / trayPerRow;
            const QPoint at(kGap + column * (2 * trayTile + 2 * kGap), y + row * (trayTile + kLabelHeight + kGap));
            const int magnify = zoom * kTrayIconSize / pixels;
            const QString label = QStringLiteral("%1 @%2").arg(id).arg(pixels);
            DrawTile(painter, at, pixmap, magnify, kLight, label);
            DrawTile(painter, at + QPoint(trayTile + kGap / 2, 0), pixmap, magnify, kDark, QString());
            ++index;
        }
    }
    y += ((index + trayPerRow - 1) / trayPerRow) * (trayTile + kLabelHeight + kGap);

    int x = kGap;
    for (const int pixels : kApplicationIconSizes) {
        DrawTile(painter, QPoint(x, y), ApplicationIconPixmap(pixels), 1, kLight, QString::number(pixels));
        x += std::max(pixels, 24) + kGap;
    }
    return sheet.copy(0, 0, width, y + appHeight + kLabelHeight + kGap);
}

}  // namespace vr31k
