#pragma once
// The window's pictures: the 60×40 state pictures, the 16×16 tray icons and the
// application icon, drawn from SVG sources compiled into the program. Ids are the card
// state table's bitmap and icon ids; an id without a picture of its own shows the
// ready card (bitmap 156, icon 142).
#include <QIcon>
#include <QPixmap>
#include <QSize>

#include <array>

namespace vr31k {

inline constexpr int kFirstStateBitmap = 147;
inline constexpr int kLastStateBitmap = 160;
inline constexpr int kFirstTrayIcon = 133;
inline constexpr int kLastTrayIcon = 146;
inline constexpr QSize kStatePictureSize{60, 40};
inline constexpr int kTrayIconSize = 16;
// The sizes a desktop asks the application icon for (menus, panels, launchers).
inline constexpr std::array<int, 8> kApplicationIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

// The state picture for bitmap `bitmapId` (147 to 160), kStatePictureSize in logical
// pixels, rendered for `devicePixelRatio`.
QPixmap StatePicture(int bitmapId, qreal devicePixelRatio);

// The tray icon `iconId` (133 to 146; 128 is the application icon, as 142), with
// pixmaps drawn for 16 and 32 pixels so it stays sharp at 1× and 2×.
QIcon TrayIcon(int iconId);

// The application icon at every size of kApplicationIconSizes.
QIcon ApplicationIcon();

// The application icon drawn at `pixels` × `pixels` (the small sizes from the
// pixel-grid drawing, the rest from the scalable one).
QPixmap ApplicationIconPixmap(int pixels);

// The SVG source of the scalable application icon, as installed for the desktop.
QByteArray ApplicationIconSvg();

}  // namespace vr31k
