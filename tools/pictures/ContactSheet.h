#pragma once
// A contact sheet of every state picture and tray icon, magnified so each pixel shows.
#include <QImage>

namespace vr31k {

QImage RenderContactSheet(int zoom);

}  // namespace vr31k
