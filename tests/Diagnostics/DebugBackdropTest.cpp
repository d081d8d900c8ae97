#include "Diagnostics/DebugBackdrop.h"

#include "Kit/Palette.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vesk;

namespace {

int distance(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

}  // namespace

TEST(DebugBackdrop, ColourPictureRunsBlueToYellowUnderSixteenStripesFromTheBottom)
{
    const QImage picture = DebugBackdrop::paint(false, QSize(640, 520), 1);
    ASSERT_EQ(picture.size(), QSize(640, 520));
    const int H = 520;
    // The first colour at the bottom-left corner, the last at the top-right one (between stripes).
    EXPECT_LT(distance(picture.pixelColor(1, H - 2), kit::palette::light::blue.toQColor()), 30);
    EXPECT_LT(distance(picture.pixelColor(638, 6), kit::palette::light::yellow.toQColor()), 30);
    // Stripe i covers H - 11 - 34 i to H - 6 - 34 i; the rows just outside it are gradient.
    for (int i = 0; i < 16; ++i) {
        const int top = H - 11 - 34 * i;
        const QColor inside = picture.pixelColor(320, top + 2), below = picture.pixelColor(320, top + 7);
        EXPECT_GT(inside.lightness(), 220) << "stripe " << i;
        EXPECT_GT(distance(inside, below), 60) << "stripe " << i;
        if (top >= 2) {
            EXPECT_GT(distance(inside, picture.pixelColor(320, top - 2)), 60) << "stripe " << i;
        }
    }
    // The last stripe reaches over the top edge; below the first there is only gradient.
    EXPECT_GT(picture.pixelColor(320, 0).lightness(), 220);
    EXPECT_LT(picture.pixelColor(320, H - 3).lightness(), 200);
}

TEST(DebugBackdrop, MonochromePictureIsGreyDarkAtTheBottomLeftAndItsDiscsAreSoft)
{
    const QImage picture = DebugBackdrop::paint(true, QSize(920, 600), 2);
    ASSERT_EQ(picture.size(), QSize(1840, 1200));
    for (const QPoint p : {QPoint(5, 1195), QPoint(920, 600), QPoint(1835, 5)}) {
        const QColor c = picture.pixelColor(p);
        EXPECT_LE(std::abs(c.red() - c.green()) + std::abs(c.green() - c.blue()), 2) << "not grey";
    }
    EXPECT_LT(picture.pixelColor(5, 1195).lightness() + 40, picture.pixelColor(1835, 5).lightness());
    // Blurred by 60 points, no neighbouring pixels differ sharply anywhere, the disc edges included.
    int sharpest = 0;
    for (int y = 0; y < picture.height(); y += 7) {
        for (int x = 1; x < picture.width(); ++x)
            sharpest = std::max(sharpest, distance(picture.pixelColor(x, y), picture.pixelColor(x - 1, y)));
    }
    EXPECT_LT(sharpest, 12);
    // The light disc (0.22 W, 0.65 H from the top) outshines the dark one (0.78 W, 0.75 H), though
    // the gradient beneath the dark one is the lighter.
    const QColor lightDisc = picture.pixelColor(int(0.22 * 1840), int(0.65 * 1200));
    const QColor darkDisc = picture.pixelColor(int(0.78 * 1840), int(0.75 * 1200));
    EXPECT_GT(lightDisc.lightness(), darkDisc.lightness() + 20);
}
