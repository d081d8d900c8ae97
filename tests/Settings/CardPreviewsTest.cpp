#include "PreviewTreeSupport.h"

#include "Settings/Previews/ExternalDisplayPreview.h"
#include "Settings/Previews/HoverStylePreview.h"
#include "Settings/Previews/LockScreenPreview.h"

using namespace vesk;

namespace {

class LockPreview : public test::PreviewTree {
protected:
    LockPreview() : PreviewTree(QSizeF(246, 160)) {}
    double cardScale() const { return inside(part("card"), "Scale")->value(kit::Prop::scaleX, -1); }
    double cardOpacity() const { return inside(part("card"), "Opacity")->value(kit::Prop::opacity, -1); }
    double borderAlpha() const
    {
        return inside(part("border"), "Shape")->value(kit::Prop::colorA, -1);
    }
};

}  // namespace

TEST_F(LockPreview, PlacesAreFractionsOfTheHeight)
{
    show(LockScreenPreview{true, true, 0.225, 0.5});
    EXPECT_NEAR(160 - frame("card").bottom(), 36, 1e-9);
    EXPECT_NEAR(160 - frame("user").bottom() + 0, 0, 1e-9);  // the padded column reaches the bottom
    const kit::Node *column = part("user").firstLiveChild();
    EXPECT_NEAR(160 - column->frameInTree().bottom(), 11.2, 1e-9);
    EXPECT_DOUBLE_EQ(frame("card").width(), 62);
    EXPECT_DOUBLE_EQ(frame("card").center().x(), 123);

    tree.setSize(QSizeF(246, 320));
    time.advance(5);
    EXPECT_NEAR(320 - frame("card").bottom(), 72, 1e-9);
}

TEST_F(LockPreview, GlassOpacitiesAndClamping)
{
    show(LockScreenPreview{true, true, 0.2, 1});
    EXPECT_NEAR(fill("glass").a, 0.3, 1e-9);
    EXPECT_NEAR(borderAlpha(), 0.75, 1e-9);
    show(LockScreenPreview{true, true, 0.2, 0.1});
    EXPECT_NEAR(fill("glass").a, 0.12, 1e-9);
    EXPECT_NEAR(borderAlpha(), 0.3, 1e-9);
    // Values outside 0...1 from the settings file draw as the range's ends.
    show(LockScreenPreview{true, true, 7, 4});
    EXPECT_NEAR(fill("glass").a, 0.3, 1e-9);
    EXPECT_NEAR(borderAlpha(), 0.75, 1e-9);
    EXPECT_NEAR(frame("card").bottom(), 0, 1e-6);
    show(LockScreenPreview{true, true, -1, std::nan("")});
    EXPECT_NEAR(fill("glass").a, 0.1, 1e-9);
    EXPECT_NEAR(frame("card").bottom(), 160, 1e-6);
}

TEST_F(LockPreview, HiddenCardFadesAndShrinksInPlace)
{
    show(LockScreenPreview{true, false, 0.3, 0.5});
    const QRectF place = frame("card");
    EXPECT_DOUBLE_EQ(opacity("badge"), 0);
    show(LockScreenPreview{false, false, 0.3, 0.5}, 0.05);
    EXPECT_GT(cardOpacity(), 0.01);
    EXPECT_LT(cardOpacity(), 0.99);
    time.advance(5);
    EXPECT_DOUBLE_EQ(cardOpacity(), 0);
    EXPECT_DOUBLE_EQ(cardScale(), 0.9);
    EXPECT_EQ(frame("card"), place);
}

TEST_F(LockPreview, PositionMovesWithASpring)
{
    show(LockScreenPreview{true, true, 0.1, 0.5});
    show(LockScreenPreview{true, true, 0.5, 0.5}, 0.05);
    const double lift = 160 - frame("card").bottom();
    EXPECT_GT(lift, 16.5);
    EXPECT_LT(lift, 79.5);
}

TEST_F(LockPreview, ZeroHeightDrawsNothingAndNeverBreaks)
{
    tree.setSize(QSizeF(0, 0));
    show(LockScreenPreview{true, true, 0.5, 0.5});
    const QRectF card = frame("card");
    EXPECT_TRUE(std::isfinite(card.top()) && std::isfinite(card.left()));
    EXPECT_TRUE(tree.render(2).isNull());
    tree.setSize(QSizeF(200, 0));
    time.advance(1);
    EXPECT_NEAR(frame("card").bottom(), 0, 1e-9);
}

namespace {

class CardPreview : public test::PreviewTree {
protected:
    CardPreview() : PreviewTree(QSizeF(160, 76)) {}
    size_t drawnLayers() const
    {
        // The screen's stack: wallpaper, menu bar, island (an empty place when no island).
        const kit::Node *stack = inside(*tree.root(), "ZStack");
        size_t n = 0;
        for (const auto &c : stack->children())
            n += !c->spec().isEmptyKind();
        return n;
    }
};

}  // namespace

TEST_F(CardPreview, DisplayStyles)
{
    show(ExternalDisplayPreview{"notch"});
    EXPECT_DOUBLE_EQ(frame("notch").width(), 104);
    EXPECT_DOUBLE_EQ(frame("notch").height(), 19);
    EXPECT_DOUBLE_EQ(frame("notch").top(), 0);
    show(ExternalDisplayPreview{"inNotch"});
    EXPECT_DOUBLE_EQ(frame("notch").width(), 124);
    EXPECT_EQ(drawnLayers(), 3u);

    show(ExternalDisplayPreview{"pill"});
    EXPECT_EQ(frame("pill").size(), QSizeF(74, 14));
    EXPECT_DOUBLE_EQ(frame("pill").top(), 2.5);
    EXPECT_DOUBLE_EQ(frame("bubble").left(), frame("pill").right() + 4);
    EXPECT_NE(inside(part("bubble"), "Text"), nullptr);

    show(ExternalDisplayPreview{"belowNotch"});
    EXPECT_EQ(frame("housing").size(), QSizeF(84, 19));
    EXPECT_EQ(frame("pill").size(), QSizeF(96, 19));
    EXPECT_DOUBLE_EQ(frame("pill").top(), 23);

    for (const char *none : {"hidden", "", "Notch", "floating"}) {
        show(ExternalDisplayPreview{none});
        EXPECT_EQ(drawnLayers(), 2u) << none;
        EXPECT_FALSE(has("notch") || has("pill") || has("housing")) << none;
    }
}

TEST_F(CardPreview, HoverPlates)
{
    show(HoverStylePreview{"none"});
    EXPECT_DOUBLE_EQ(fill("plate").a, 0);
    EXPECT_TRUE(has("pointer"));
    show(HoverStylePreview{"circle"});
    EXPECT_NEAR(fill("plate").a, 0.16, 1e-9);
    EXPECT_DOUBLE_EQ(shapeData("plate", "Shape", 0), 17);
    for (const char *other : {"roundedSquare", "", "oval"}) {
        show(HoverStylePreview{other});
        EXPECT_NEAR(fill("plate").a, 0.16, 1e-9) << other;
        EXPECT_DOUBLE_EQ(shapeData("plate", "Shape", 0), 9) << other;
    }
    EXPECT_EQ(frame("plate").size(), QSizeF(34, 34));
    EXPECT_DOUBLE_EQ(frame("plate").center().x(), 80);
}
