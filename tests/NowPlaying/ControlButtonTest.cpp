#include "NowPlaying/Views/ControlButton.h"

#include "Island/KitNodeSupport.h"
#include "Kit/Node.h"
#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vesk;
using namespace kit;

namespace {

std::vector<const Node *> nodesOf(const Tree &tree, const char *kind) { return test::allOfKind(tree.root(), kind); }

// The opaque-ish pixels of an image, for comparing pictures.
int inkedPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 8;
    return n;
}

// The largest difference of one channel between two images of one size.
int largestDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)),
                              std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

// The summed alpha difference of two images (a null image counts as transparent).
double alphaDifference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qAlpha(a.pixel(x, y)) - (b.isNull() ? 0 : qAlpha(b.pixel(x, y))));
    return sum;
}

// The x of the alpha-weighted centre of an image, in pixels from its left edge.
double inkCentre(const QImage &image)
{
    double sum = 0, weighted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            sum += qAlpha(image.pixel(x, y));
            weighted += qAlpha(image.pixel(x, y)) * (x + 0.5);
        }
    return sum > 0 ? weighted / sum : -1;
}

class ControlButtonTest : public ::testing::Test {
protected:
    ControlButtonTest() { setStyle("roundedSquare", true); }
    ~ControlButtonTest() override
    {
        UserDefaults::standard().remove(std::vector<std::string>{"buttonHoverStyle", "bounceSymbols"});
    }
    void setStyle(const char *hover, bool bounce)
    {
        UserDefaults::standard().set({{settings::buttonHoverStyle.key, hover}, {settings::bounceSymbols.key, bounce}});
        time.flush();
    }
    void show(ControlButton button)
    {
        button.action = [this] { ++actions; };
        tree.setRoot(view(std::move(button)));
        tree.update();
    }
    // The hover plate's fill opacity on screen (the plate is the button's background fill).
    double plateAlpha() const
    {
        for (const Node *fill : nodesOf(tree, "Shape"))
            if (fill->frame().width() == 48)
                return fill->value(Prop::colorA, -1);
        return -1;
    }
    double pressScale() const
    {
        const auto scales = nodesOf(tree, "Scale");
        return scales.empty() ? -1 : scales.front()->value(Prop::scaleX, -1);
    }
    void click(QPointF p)
    {
        tree.handlePointer(PointerEvent::move(p));
        tree.handlePointer(PointerEvent::press(p));
        time.flush();
        tree.handlePointer(PointerEvent::release(p));
        time.flush();
    }

    VirtualTime time;
    Tree tree{QSizeF(48, 48)};
    int actions = 0;
};

ControlButton plain(const char *symbol = "play.fill", bool bounces = false)
{
    return ControlButton{QString::fromLatin1(symbol), 18, 1.0, 48, bounces, std::nullopt, nullptr};
}
ControlButton skipping(SkipGlyph::Direction d) { return ControlButton{QStringLiteral("forward.fill"), 18, 1.0, 48, false, d, nullptr}; }

}  // namespace

TEST(ControlButtonNames, FirstMatchingRuleNamesTheButton)
{
    using D = SkipGlyph::Direction;
    // The skip direction wins over any symbol.
    EXPECT_EQ(ControlButton::accessibilityName(QStringLiteral("play.fill"), D::forward), "Next Track");
    EXPECT_EQ(ControlButton::accessibilityName(QStringLiteral("backward.fill"), D::backward), "Previous Track");
    const std::pair<const char *, const char *> table[] = {
        {"play.fill", "Play"},          {"pause.fill", "Pause"},
        {"arrow.counterclockwise", "Reset"}, {"shuffle", "Shuffle"},
        {"repeat", "Repeat"},           {"repeat.1", "Repeat"},
        {"heart", "Favourite"},         {"heart.fill", "Favourite"},
        {"gobackward.15", "Back 15 Seconds"}, {"goforward.15", "Forward 15 Seconds"},
        {"airpodsmax", "Output"},       {"", "Output"},
        {"play", "Output"},             {"shuffle.circle", "Output"},
    };
    for (const auto &[symbol, name] : table)
        EXPECT_EQ(ControlButton::accessibilityName(QString::fromLatin1(symbol), std::nullopt), QString::fromLatin1(name)) << symbol;
}

TEST(ControlButtonNames, HoverShapesFollowTheSetting)
{
    using S = ControlButton::HoverShape;
    EXPECT_EQ(ControlButton::hoverShape(QStringLiteral("circle")), S::circle);
    EXPECT_EQ(ControlButton::hoverShape(QStringLiteral("roundedSquare")), S::roundedSquare);
    EXPECT_EQ(ControlButton::hoverShape(QStringLiteral("none")), S::roundedSquare);
    EXPECT_EQ(ControlButton::hoverShape(QStringLiteral("hexagon")), S::roundedSquare);  // unknown
    EXPECT_FALSE(ControlButton::fillsPlate(QStringLiteral("none")));
    EXPECT_TRUE(ControlButton::fillsPlate(QStringLiteral("hexagon")));
}

TEST_F(ControlButtonTest, ThePlateShowsAtOnceAndFadesOut)
{
    show(plain());
    EXPECT_EQ(plateAlpha(), 0);
    tree.handlePointer(PointerEvent::move({24, 24}));
    time.flush();
    EXPECT_NEAR(plateAlpha(), 0.1, 1e-9);  // no animation on the way in
    tree.handlePointer(PointerEvent::leave());
    time.flush();
    time.advance(0.15);
    EXPECT_GT(plateAlpha(), 0.001);  // still fading
    EXPECT_LT(plateAlpha(), 0.1);
    time.advance(0.2);
    EXPECT_EQ(plateAlpha(), 0);
}

TEST_F(ControlButtonTest, NoneDrawsNoPlateYetTheRoundedSquareTakesClicks)
{
    setStyle("none", true);
    show(plain());
    tree.handlePointer(PointerEvent::move({24, 24}));
    time.flush();
    EXPECT_EQ(plateAlpha(), 0);
    const QImage hovered = tree.render(2);
    click({4, 24});  // the plate's edge, far from the glyph
    EXPECT_EQ(actions, 1);
    // The corner outside the radius of 16 is not the button's.
    EXPECT_FALSE(tree.hitsSomething({0.5, 0.5}));
    EXPECT_TRUE(tree.hitsSomething({6, 6}));
    click({0.5, 0.5});
    EXPECT_EQ(actions, 1);

    setStyle("circle", true);
    show(plain());
    tree.handlePointer(PointerEvent::move({30, 24}));
    time.flush();
    EXPECT_NEAR(plateAlpha(), 0.1, 1e-9);
    EXPECT_FALSE(tree.hitsSomething({6, 6}));  // outside the circle
    EXPECT_GT(inkedPixels(tree.render(2)), inkedPixels(hovered));
}

TEST_F(ControlButtonTest, APressScalesTheButtonAndRunsTheAction)
{
    show(plain("arrow.counterclockwise", true));
    tree.handlePointer(PointerEvent::move({24, 24}));
    tree.handlePointer(PointerEvent::press({24, 24}));
    time.flush();
    time.advance(1);
    EXPECT_NEAR(pressScale(), 0.85, 1e-3);
    EXPECT_EQ(actions, 0);
    tree.handlePointer(PointerEvent::release({24, 24}));
    time.flush();
    EXPECT_EQ(actions, 1);
    time.advance(1);
    EXPECT_NEAR(pressScale(), 1, 1e-3);

    // With the animations switched off a press still acts and still scales.
    setStyle("roundedSquare", false);
    tree.handlePointer(PointerEvent::press({24, 24}));
    time.flush();
    time.advance(1);
    EXPECT_NEAR(pressScale(), 0.85, 1e-3);
    tree.handlePointer(PointerEvent::release({24, 24}));
    time.flush();
    EXPECT_EQ(actions, 2);
}

TEST_F(ControlButtonTest, ASymbolBouncesOnlyWithBothSwitchesAndASkipGlyphWithTheSettingAlone)
{
    // The glyph's picture a tenth of a second after a click, against the one at rest.
    auto movesAfterClick = [&](ControlButton button) {
        show(std::move(button));
        tree.handlePointer(PointerEvent::move({24, 24}));
        time.advance(1);
        const QImage rest = tree.render(2);
        // The press scale is the same either way; compare after it settled back but within the
        // glyph's own animation by holding the press for no time at all.
        tree.handlePointer(PointerEvent::press({24, 24}));
        tree.handlePointer(PointerEvent::release({24, 24}));
        time.flush();
        time.advance(0.12);
        // A bounce squeezes the symbol, a skip glyph has its triangles part grown: a scale inside
        // the press scale that is neither at rest (1), gone (0) nor the mirror (-1).
        bool moved = false;
        const auto scales = nodesOf(tree, "Scale");
        for (size_t i = 1; i < scales.size(); ++i) {
            const double s = std::abs(scales[i]->value(Prop::scaleX, 1));
            moved = moved || (s > 0.02 && s < 0.98);
        }
        time.advance(2);
        EXPECT_EQ(largestDifference(rest, tree.render(2)), 0);  // back to the same picture
        return moved;
    };
    EXPECT_TRUE(movesAfterClick(plain("play.fill", true)));
    EXPECT_FALSE(movesAfterClick(plain("play.fill", false)));
    EXPECT_TRUE(movesAfterClick(skipping(SkipGlyph::Direction::forward)));  // `bounces` false
    setStyle("roundedSquare", false);
    EXPECT_FALSE(movesAfterClick(plain("play.fill", true)));
    EXPECT_FALSE(movesAfterClick(skipping(SkipGlyph::Direction::forward)));
    EXPECT_EQ(actions, 5);
}

TEST(SkipGlyphPicture, TheSamePictureBeforeAndAfterAndTheBackwardMirror)
{
    VirtualTime time;
    // 25 points high: the glyph is 33 wide, whole pixels at scale 2, so the mirror is exact.
    auto render = [](Element e) {
        Tree tree(QSizeF(33, 25));
        tree.setRoot(e);
        tree.update();
        return tree.render(2);
    };
    const QImage atRest = render(SkipGlyph::frame(0, 25));
    const QImage after = render(SkipGlyph::frame(1, 25));
    const QImage halfway = render(SkipGlyph::frame(0.5, 25));
    EXPECT_GT(inkedPixels(atRest), 100);
    EXPECT_LE(largestDifference(atRest, after), 1);
    EXPECT_GT(largestDifference(atRest, halfway), 100);

    const QImage forward = render(view(SkipGlyph{SkipGlyph::Direction::forward, 25, 0}));
    const QImage backward = render(view(SkipGlyph{SkipGlyph::Direction::backward, 25, 0}));
    EXPECT_LE(largestDifference(forward, atRest), 1);
    EXPECT_GT(largestDifference(forward, backward), 100);
    // The edges of a mirrored glyph fall on other fractions of a pixel: compare the ink and where
    // its centre lies.
    EXPECT_LT(alphaDifference(forward.mirrored(true, false), backward), 0.15 * alphaDifference(forward, QImage()));
    EXPECT_NEAR(inkCentre(backward), forward.width() - inkCentre(forward), 0.75);
    EXPECT_GT(std::abs(inkCentre(backward) - inkCentre(forward)), 1.5);  // the glyph sits off centre
    EXPECT_GT(alphaDifference(forward, backward), 0.5 * alphaDifference(forward, QImage()));


}
