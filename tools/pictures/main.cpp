// vr31k-pictures icons DIR        the application icon as DIR/hicolor/<N>x<N>/apps/vr31k-utility.png
//                                 for every size, and DIR/hicolor/scalable/apps/vr31k-utility.svg
// vr31k-pictures sheet FILE [Z]   a contact sheet of every picture, magnified Z times (4)
#include "ContactSheet.h"

#include "gui/Pictures.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).path())) return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool WritePng(const QString& path, const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG") && WriteFile(path, png);
}

bool WriteIcons(const QString& root) {
    const QString apps = QStringLiteral("/apps/vr31k-utility");
    for (const int pixels : vr31k::kApplicationIconSizes) {
        const QString path = QStringLiteral("%1/hicolor/%2x%2%3.png").arg(root).arg(pixels).arg(apps);
        if (!WritePng(path, vr31k::ApplicationIconPixmap(pixels).toImage())) {
            std::fprintf(stderr, "vr31k-pictures: cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    const QString svg = root + QStringLiteral("/hicolor/scalable") + apps + QStringLiteral(".svg");
    if (!WriteFile(svg, vr31k::ApplicationIconSvg())) {
        std::fprintf(stderr, "vr31k-pictures: cannot write %s\n", qPrintable(svg));
        return false;
    }
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: vr31k-pictures icons DIR | sheet FILE [ZOOM]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("icons")) return WriteIcons(args[1]) ? 0 : 1;
    if ((args.size() == 2 || args.size() == 3) && args[0] == QLatin1String("sheet")) {
        bool ok = true;
        const int zoom = args.size() == 3 ? args[2].toInt(&ok) : 4;
        if (!ok || zoom < 2 || zoom > 16 || zoom % 2 != 0) return Usage();
        if (!WritePng(args[1], vr31k::RenderContactSheet(zoom))) {
            std::fprintf(stderr, "vr31k-pictures: cannot write %s\n", qPrintable(args[1]));
            return 1;
        }
        return 0;
    }
    return Usage();
}
