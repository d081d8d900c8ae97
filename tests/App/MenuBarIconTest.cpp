#include "App/MenuBarIcon.h"

#include <gtest/gtest.h>

namespace {

// Alpha of the icon at a point given in the icon's own y-up coordinates (points).
int alphaAt(const QImage &image, double x, double yUp)
{
    const double scale = image.devicePixelRatio();
    return qAlpha(image.pixel(int(x * scale), int((vesk::MenuBarIcon::side - yUp) * scale)));
}

}  // namespace

TEST(MenuBarIcon, IsEighteenPointsSquare)
{
    const QImage &image = vesk::MenuBarIcon::image();
    EXPECT_EQ(image.deviceIndependentSize(), QSizeF(18, 18));
    EXPECT_EQ(image.size(), QSize(36, 36));
    EXPECT_EQ(&vesk::MenuBarIcon::image(), &vesk::MenuBarIcon::image());
}

TEST(MenuBarIcon, CapsuleShowsThroughExceptDotAndBars)
{
    const QImage image = vesk::MenuBarIcon::render(8);
    // Inside the capsule (4.6..13.4 x 7.2..10.8), away from the dot and bars: empty.
    EXPECT_EQ(alphaAt(image, 8.3, 9.0), 0);
    EXPECT_EQ(alphaAt(image, 4.9, 9.0), 0);
    EXPECT_EQ(alphaAt(image, 13.0, 9.0), 0);
    // The dot and each bar are solid.
    EXPECT_EQ(alphaAt(image, 6.35, 9.0), 255);
    for (double x : {9.7, 10.65, 11.6, 12.55})
        EXPECT_EQ(alphaAt(image, x, 9.0), 255) << x;
    // The bars have their own heights: the first spans 8.5..9.5 only.
    EXPECT_EQ(alphaAt(image, 9.7, 9.9), 0);
    EXPECT_EQ(alphaAt(image, 10.65, 9.7), 255);
    // The square around the capsule is solid, the gap between square and ring is empty, the ring solid.
    EXPECT_EQ(alphaAt(image, 9.0, 5.0), 255);
    EXPECT_EQ(alphaAt(image, 9.0, 2.6), 0);
    EXPECT_EQ(alphaAt(image, 9.0, 1.5), 255);
    EXPECT_EQ(alphaAt(image, 9.0, 0.3), 0);
    // The icon is drawn y-up: the capsule is in the upper half of the image (y-up 7.2..10.8 is
    // rows 7.2..10.8 from the top, above the square's lower part).
    EXPECT_EQ(alphaAt(image, 9.0, 12.0), 255);
}

TEST(MenuBarIcon, RendersInTheRequestedColour)
{
    const QImage image = vesk::MenuBarIcon::render(2, QColor(200, 10, 10));
    const QRgb p = image.pixel(int(9.0 * 2), int((18 - 5.0) * 2));
    EXPECT_EQ(qAlpha(p), 255);
    EXPECT_EQ(qRed(p), 200);
}
