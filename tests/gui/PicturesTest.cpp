// The window's pictures: every id draws something of the right size at 1× and 2×, ids
// without a picture show the ready card, and the small icons stay on their pixel grid.
#include "gui/Pictures.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include <vector>

using namespace vr31k;

namespace {

std::vector<int> Ids(int first, int last) {
    std::vector<int> ids;
    for (int id = first; id <= last; ++id) ids.push_back(id);
    return ids;
}

const std::vector<int> kStateIds = Ids(147, 160);
const std::vector<int> kTrayIds = Ids(133, 146);

int OpaquePixels(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) >= 128) ++count;
    return count;
}

QImage TrayImage(int id, int pixels) {
    return TrayIcon(id).pixmap(QSize(pixels, pixels)).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage StateImage(int id, qreal ratio) {
    return StatePicture(id, ratio).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(Pictures, EveryStatePictureIsDrawnAtItsSizeForEachPixelRatio) {
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        for (const int id : kStateIds) {
            SCOPED_TRACE(testing::Message() << "bitmap " << id << " at " << ratio << "x");
            const QPixmap pixmap = StatePicture(id, ratio);
            ASSERT_FALSE(pixmap.isNull());
            EXPECT_EQ(pixmap.size(), (QSizeF(kStatePictureSize) * ratio).toSize());
            EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
            EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), kStatePictureSize);
            // Something of substance, not a stray line.
            EXPECT_GT(OpaquePixels(pixmap.toImage()), pixmap.width() * pixmap.height() / 10);
        }
    }
}

TEST(Pictures, EveryTrayIconHasSharp16And32PixelImages) {
    for (const int id : kTrayIds) {
        SCOPED_TRACE(testing::Message() << "icon " << id);
        const QIcon icon = TrayIcon(id);
        EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
        for (const int pixels : {16, 32}) {
            const QImage image = TrayImage(id, pixels);
            ASSERT_EQ(image.size(), QSize(pixels, pixels));
            EXPECT_GT(OpaquePixels(image), pixels * pixels / 5);
            // Drawn on the 16-pixel grid: edges fall on whole pixels, so hardly any
            // pixel is only partly covered (diagonals and round badges are the few).
            int partial = 0;
            for (int y = 0; y < pixels; ++y)
                for (int x = 0; x < pixels; ++x)
                    if (const int alpha = qAlpha(image.pixel(x, y)); alpha > 0 && alpha < 255) ++partial;
            EXPECT_LE(partial, pixels * pixels / 10) << pixels << " px";
        }
    }
}

TEST(Pictures, ApplicationIconComesInEveryDesktopSize) {
    const QIcon icon = ApplicationIcon();
    for (const int pixels : kApplicationIconSizes) {
        SCOPED_TRACE(pixels);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(pixels, pixels)));
        const QPixmap pixmap = ApplicationIconPixmap(pixels);
        ASSERT_EQ(pixmap.size(), QSize(pixels, pixels));
        EXPECT_GT(OpaquePixels(pixmap.toImage()), pixels * pixels / 4);
    }
    // The window's small icon and the tray's application icon are one image.
    EXPECT_EQ(ApplicationIconPixmap(16).toImage().convertToFormat(QImage::Format_ARGB32), TrayImage(142, 16));
    EXPECT_TRUE(ApplicationIconSvg().startsWith("<svg"));
}

TEST(Pictures, IdsWithoutAPictureShowTheReadyCard) {
    const QImage ready = StateImage(156, 1);
    for (const int id : {0, 1, 128, 146, 161, 999, -1}) EXPECT_EQ(StateImage(id, 1), ready) << "bitmap " << id;
    EXPECT_EQ(StateImage(12345, 2), StateImage(156, 2));

    const QImage application = TrayImage(142, 16);
    for (const int id : {0, 128, 132, 147, 156, -1}) EXPECT_EQ(TrayImage(id, 16), application) << "icon " << id;
    EXPECT_EQ(TrayImage(999, 32), TrayImage(142, 32));
}

TEST(Pictures, EachStateLooksDifferent) {
    // Two states sharing one picture would leave the user unable to tell them apart
    // (SIM failure and unsupported SIM most of all).
    for (const auto& [ids, draw] :
         {std::pair{kStateIds, +[](int id) { return StateImage(id, 1); }},
          std::pair{kTrayIds, +[](int id) { return TrayImage(id, 16); }}}) {
        for (size_t a = 0; a < ids.size(); ++a)
            for (size_t b = a + 1; b < ids.size(); ++b)
                EXPECT_NE(draw(ids[a]), draw(ids[b])) << ids[a] << " and " << ids[b];
    }
}

TEST(Pictures, OutOfServiceWordIsDrawnInRed) {
    // 圏外 is the only picture made of text; it must not depend on a font being found.
    for (const auto& [image, minimum] : {std::pair{StateImage(148, 1), 200}, std::pair{StateImage(148, 2), 800},
                                         std::pair{TrayImage(134, 16), 60}, std::pair{TrayImage(134, 32), 240}}) {
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = QColor::fromRgba(image.pixel(x, y));
                if (c.alpha() >= 128 && c.red() > 150 && c.green() < 90 && c.blue() < 90) ++red;
            }
        EXPECT_GE(red, minimum) << image.width() << "x" << image.height();
    }
}

}  // namespace
