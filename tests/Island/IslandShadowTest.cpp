#include "Island/IslandShadow.h"

#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace kit;
using namespace vesk;

TEST(IslandShadowImage, SoftAroundTheOutlineAndClearFarAway)
{
    const IslandShape outline{24, 0, 32};
    const QImage image = islandShadowImage(outline, QSizeF(345, 175), 0.45, 20, 2);
    ASSERT_FALSE(image.isNull());
    // The image spans the island and three radii on each side, at a resolution made for the blur.
    const double scale = image.width() / (345.0 + 6 * 20);
    EXPECT_NEAR(image.height() / scale, 175 + 6 * 20, 2 / scale);
    EXPECT_LT(scale, 2);
    auto alphaAt = [&](double x, double y) { return image.pixelColor(int(x * scale), int(y * scale)).alphaF(); };
    const double centre = alphaAt(60 + 172, 60 + 87);
    EXPECT_NEAR(centre, 0.45, 0.02);
    EXPECT_GT(alphaAt(60 + 172, 60 + 175 + 10), 0.05);   // just below the island: shaded
    EXPECT_LT(alphaAt(60 + 172, 60 + 175 + 10), centre);
    EXPECT_LT(alphaAt(2, 2), 0.01);                     // the far corner: clear

    // The same shadow again is the cached image.
    EXPECT_EQ(islandShadowImage(outline, QSizeF(345, 175), 0.45, 20, 2).cacheKey(), image.cacheKey());
}

TEST(IslandShadowView, DrawsBelowAndNothingAtZeroOpacity)
{
    VirtualTime time;
    Tree tree(QSizeF(300, 200));
    tree.setRoot(IslandShadow(IslandShape{6, 0, 14}, IslandShadowPlan{0.3, 9, 4}).frame(200, 38).frame(300, 200,
                                                                                                       Alignment::top()));
    QImage image = tree.render(2);
    EXPECT_GT(image.pixelColor(300, 80 + 8).alpha(), 0);   // under the lower edge, offset down by 4
    EXPECT_EQ(image.pixelColor(300, 300).alpha(), 0);

    tree.setRoot(IslandShadow(IslandShape{6, 0, 14}, IslandShadowPlan{0, 9, 4}).frame(200, 38).frame(300, 200,
                                                                                                     Alignment::top()));
    image = tree.render(2);
    EXPECT_EQ(image.pixelColor(300, 40).alpha(), 0);
}

namespace {

// The shadow of a 200 x 38 island placed `dx` points from the left, as the tree draws it at scale 2.
QImage shadowFrame(Tree &tree, double dx)
{
    QImage image(QSize(600, 400), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(2, 2);
    painter.translate(dx, 0);
    tree.paint(painter, 2);
    return image;
}

}  // namespace

TEST(IslandShadowView, ARestingShadowIsCopiedAsItWasDrawnAndSkipsOnlyTheCoveredInside)
{
    VirtualTime time;
    const IslandShape outline{6, 0, 14};
    for (const double dx : {0.0, 0.25, 10.3}) {
        SCOPED_TRACE(dx);
        Tree open(QSizeF(300, 200));
        open.setRoot(IslandShadow(outline, IslandShadowPlan{0.45, 20, 10, false}).frame(200, 38).frame(300, 200, Alignment::top()));
        // The first frame stretches the small image; the next ones copy a picture of what it gave,
        // which may round a channel the other way.
        const QImage first = shadowFrame(open, dx);
        const QImage second = shadowFrame(open, dx);
        EXPECT_EQ(shadowFrame(open, dx), second);
        int largest = 0;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x) {
                const QRgb a = first.pixel(x, y), b = second.pixel(x, y);
                largest = std::max({largest, std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b))});
            }
        EXPECT_LE(largest, 1);

        // Under an opaque body: inside the walls (the island is centred, 50 points in: x 56...244,
        // y 6...24) nothing is drawn, everywhere else the same copy.
        Tree covered(QSizeF(300, 200));
        covered.setRoot(IslandShadow(outline, IslandShadowPlan{0.45, 20, 10, true}).frame(200, 38).frame(300, 200, Alignment::top()));
        shadowFrame(covered, dx);
        const QImage copied = shadowFrame(covered, dx);
        const QRectF inside(QPointF(2 * (dx + 56), 2 * 6), QPointF(2 * (dx + 244), 2 * 24));
        int skipped = 0, differing = 0;
        for (int y = 0; y < copied.height(); ++y)
            for (int x = 0; x < copied.width(); ++x) {
                const QRgb c = copied.pixel(x, y);
                if (inside.contains(QRectF(x, y, 1, 1)))
                    skipped += c == 0 && second.pixel(x, y) != 0;
                else if (!inside.adjusted(-1, -1, 1, 1).contains(QPointF(x + 0.5, y + 0.5)))
                    differing += c != second.pixel(x, y);
            }
        EXPECT_GT(skipped, 370 * 30);
        EXPECT_EQ(differing, 0);
    }
}
