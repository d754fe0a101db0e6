#include "ContactSheet.h"

#include "gui/Pictures.h"

#include <QPainter>

#include <algorithm>

namespace vr31k {

namespace {

constexpr int kGap = 12;
constexpr int kLabelHeight = 18;
constexpr int kStatesPerRow = 7;
constexpr int kTraysPerRow = 11;
// Tray icons are seen on light and dark panels alike.
const QColor kLight(0xf0, 0xf0, 0xf0);
const QColor kDark(0x30, 0x34, 0x3a);

int RowsFor(int count, int perRow) {
    return (count + perRow - 1) / perRow;
}

// One tile: `pixmap`'s device pixels magnified by `magnify`, on `background`, with a
// label beneath.
void DrawTile(QPainter& painter, QPoint at, QPixmap pixmap, int magnify, const QColor& background,
              const QString& label) {
    pixmap.setDevicePixelRatio(1);
    const QSize shown = pixmap.size() * magnify;
    painter.fillRect(QRect(at, shown), background);
    painter.drawPixmap(QRect(at, shown), pixmap);
    painter.drawText(QRect(at.x(), at.y() + shown.height(), shown.width(), kLabelHeight), Qt::AlignCenter, label);
}

}  // namespace

QImage RenderContactSheet(int zoom) {
    const int stateCount = kLastStateBitmap - kFirstStateBitmap + 1;
    QList<int> trayIds{128};
    for (int id = kFirstTrayIcon; id <= kLastTrayIcon; ++id) trayIds.append(id);
    const QList<int> traySizes{kTrayIconSize, 2 * kTrayIconSize};

    const QSize stateTile(kStatePictureSize.width() * zoom, kStatePictureSize.height() * zoom + kLabelHeight);
    const int trayTile = kTrayIconSize * zoom;  // light and dark side by side, one label
    const QSize trayPair(2 * trayTile + kGap / 2, trayTile + kLabelHeight);
    const int stateRows = 2 * RowsFor(stateCount, kStatesPerRow);  // at 1× and at 2×
    const int trayRows = RowsFor(trayIds.size() * traySizes.size(), kTraysPerRow);
    const int largestIcon = *std::max_element(kApplicationIconSizes.begin(), kApplicationIconSizes.end());
    const int width = kGap + std::max(kStatesPerRow * (stateTile.width() + kGap), kTraysPerRow * (trayPair.width() + kGap));
    const int height = kGap + stateRows * (stateTile.height() + kGap) + trayRows * (trayPair.height() + kGap) +
                       largestIcon + kLabelHeight + kGap;

    QImage sheet(width, height, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.setPen(Qt::black);

    int y = kGap;
    for (const int ratio : {1, 2}) {
        for (int index = 0; index < stateCount; ++index) {
            const int id = kFirstStateBitmap + index;
            const QPoint at(kGap + (index % kStatesPerRow) * (stateTile.width() + kGap),
                            y + (index / kStatesPerRow) * (stateTile.height() + kGap));
            DrawTile(painter, at, StatePicture(id, ratio), zoom / ratio, kLight,
                     QStringLiteral("%1 @%2x").arg(id).arg(ratio));
        }
        y += RowsFor(stateCount, kStatesPerRow) * (stateTile.height() + kGap);
    }

    int index = 0;
    for (const int pixels : traySizes) {
        for (const int id : trayIds) {
            const QPixmap pixmap = TrayIcon(id).pixmap(QSize(pixels, pixels));
            const QPoint at(kGap + (index % kTraysPerRow) * (trayPair.width() + kGap),
                            y + (index / kTraysPerRow) * (trayPair.height() + kGap));
            const int magnify = zoom * kTrayIconSize / pixels;
            DrawTile(painter, at, pixmap, magnify, kLight, QStringLiteral("%1 @%2").arg(id).arg(pixels));
            DrawTile(painter, at + QPoint(trayTile + kGap / 2, 0), pixmap, magnify, kDark, QString());
            ++index;
        }
    }
    y += trayRows * (trayPair.height() + kGap);

    int x = kGap;
    for (const int pixels : kApplicationIconSizes) {
        DrawTile(painter, QPoint(x, y), ApplicationIconPixmap(pixels), 1, kLight, QString::number(pixels));
        x += std::max(pixels, 24) + kGap;
    }
    return sheet;
}

}  // namespace vr31k
