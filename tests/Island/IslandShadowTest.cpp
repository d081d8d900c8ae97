#include "Island/IslandShadow.h"

#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

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
