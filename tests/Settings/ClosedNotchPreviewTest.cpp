#include "PreviewTreeSupport.h"

#include "Settings/Previews/ClosedNotchPreview.h"
#include "Settings/Previews/Miniatures.h"

using namespace vesk;
using Content = ClosedNotchPreview::Content;

namespace {

class ClosedPreview : public test::PreviewTree {
protected:
    ClosedPreview() : PreviewTree(QSizeF(505, 96)) {}
    double bottomRadius() const { return shapeData("island", "Clip", 1); }
};

}  // namespace

TEST_F(ClosedPreview, BareIslandAtScaleOneAndItsHoverSwell)
{
    show(ClosedNotchPreview{Content::bare(), 1, false});
    EXPECT_EQ(frame("island").size(), QSizeF(84, 15));
    EXPECT_DOUBLE_EQ(frame("island").top(), 0);
    EXPECT_DOUBLE_EQ(frame("island").center().x(), 505 / 2.0);
    EXPECT_DOUBLE_EQ(bottomRadius(), 5);
    EXPECT_DOUBLE_EQ(shapeData("island", "Clip", 0), 3);

    show(ClosedNotchPreview{Content::bare(), 1, true});
    EXPECT_EQ(frame("island").size(), QSizeF(89, 17.5));
    EXPECT_DOUBLE_EQ(bottomRadius(), 7);
}

TEST_F(ClosedPreview, WidthFollowsTheCaseNeverTheFlags)
{
    for (int flags = 0; flags < 8; ++flags) {
        show(ClosedNotchPreview{Content::nowPlaying(flags & 1, flags & 2, flags & 4), 2, false});
        EXPECT_DOUBLE_EQ(frame("island").width(), 114 * 2) << flags;
        // Hidden items keep their slot.
        EXPECT_DOUBLE_EQ(frame("artwork").width(), 18) << flags;
        EXPECT_DOUBLE_EQ(frame("bars").height(), 14) << flags;
        EXPECT_DOUBLE_EQ(opacity("artwork"), flags & 1 ? 1 : 0) << flags;
        EXPECT_DOUBLE_EQ(opacity("bars"), flags & 2 ? 1 : 0) << flags;
    }
    show(ClosedNotchPreview{Content::readout("timer", kit::Color::hex(0xFF9F0A), "24:59"), 2, false});
    EXPECT_DOUBLE_EQ(frame("island").width(), 164 * 2);
    show(ClosedNotchPreview{Content::volume(), 2, false});
    EXPECT_DOUBLE_EQ(frame("island").width(), 164 * 2);
    // The level is always 15 of 26.
    EXPECT_EQ(frame("level").size(), QSizeF(52, 5));
    const kit::Node *track = inside(part("level"), "ZStack");
    ASSERT_NE(track, nullptr);
    ASSERT_EQ(track->children().size(), 2u);
    EXPECT_DOUBLE_EQ(track->children()[0]->frame().width(), 52);
    EXPECT_DOUBLE_EQ(track->children()[1]->frame().width(), 30);
    EXPECT_DOUBLE_EQ(track->children()[1]->frame().left(), 0);
}

TEST_F(ClosedPreview, TintedBarsTakeTheAccent)
{
    show(ClosedNotchPreview{Content::nowPlaying(true, true, true), 1, false});
    EXPECT_EQ(fill("bars"), MiniArtwork::accent);
    show(ClosedNotchPreview{Content::nowPlaying(true, true, false), 1, false});
    EXPECT_EQ(fill("bars"), kit::Color::white());
}

TEST_F(ClosedPreview, ContentsEqualOnlyWithinTheirCase)
{
    const Content orange = Content::readout("timer", kit::Color::hex(0xFF9F0A), "24:59");
    const Content red = Content::readout("timer", kit::Color::hex(0xFF453A), "24:59");
    EXPECT_FALSE(orange == red);
    EXPECT_FALSE(orange == Content::readout("timer", kit::Color::hex(0xFF9F0A), "25:00"));
    EXPECT_TRUE(orange == Content::readout("timer", kit::Color::hex(0xFF9F0A), "24:59"));
    EXPECT_FALSE(Content::nowPlaying(true, true, true) == Content::nowPlaying(true, true, false));
    EXPECT_FALSE(Content::bare() == Content::volume());
    EXPECT_TRUE(Content::volume() == Content::volume());
}

TEST_F(ClosedPreview, TintChangeAnimatesAndAnEqualOneDoesNothing)
{
    const kit::Color orange = kit::Color::hex(0xFF9F0A), red = kit::Color::hex(0xFF453A);
    show(ClosedNotchPreview{Content::readout("timer", orange, "24:59"), 1, false});
    show(ClosedNotchPreview{Content::readout("timer", orange, "24:59"), 1, false}, 0);
    EXPECT_FALSE(tree.isAnimating());

    show(ClosedNotchPreview{Content::readout("timer", red, "24:59"), 1, false}, 0.05);
    EXPECT_TRUE(tree.isAnimating());
    const kit::Node *text = inside(*tree.root(), "Text");
    ASSERT_NE(text, nullptr);
    const double g = text->value(kit::Prop::colorG, -1);
    EXPECT_GT(g, red.g + 0.01);
    EXPECT_LT(g, orange.g - 0.01);
    time.advance(5);
    EXPECT_NEAR(text->value(kit::Prop::colorG, -1), red.g, 1e-3);
}

TEST_F(ClosedPreview, HoverSwellsWithASpringBetweenTheEnds)
{
    show(ClosedNotchPreview{Content::bare(), 1, false});
    show(ClosedNotchPreview{Content::bare(), 1, true}, 0.04);
    EXPECT_GT(frame("island").width(), 84.1);
    EXPECT_LT(frame("island").width(), 88.9);
    EXPECT_GT(bottomRadius(), 5);
    EXPECT_LT(bottomRadius(), 7);
}

TEST_F(ClosedPreview, BadScaleDrawsNothingAndNothingBreaks)
{
    for (double scale : {0.0, -2.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        show(ClosedNotchPreview{Content::volume(), scale, true});
        EXPECT_EQ(frame("island").size(), QSizeF(0, 0)) << scale;
        EXPECT_FALSE(tree.render(2).isNull());
    }
    kit::Tree empty(QSizeF(0, 0));
    empty.setRoot(kit::view(ClosedNotchPreview{Content::bare(), 1, false}));
    empty.update();
    EXPECT_NO_FATAL_FAILURE(empty.render(2));
}
