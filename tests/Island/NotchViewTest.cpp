#include "Island/IslandFill.h"
#include "Island/IslandShadow.h"
#include "Island/NotchView.h"

#include "Model/IslandTestSupport.h"
#include "IslandImageSupport.h"
#include "KitNodeSupport.h"
#include "Kit/Kit.h"
#include "Platform/Materials.h"
#include "Platform/sim/SimMaterials.h"

using namespace kit;
using namespace vesk;
using test::findKind;
using test::opaqueSpan;

namespace {

class NotchViewTest : public test::PlatformTest {
protected:
    void SetUp() override { model = settledPrimary(); }
    void showView()
    {
        tree.setRoot(view(NotchView{model.get()}));
        time.advance(0.01);
    }
    // The presented opacity of the glass view with `id`, or -1 when there is none.
    double glassOpacity(const char *id)
    {
        const Node *glass = tree.find(QString::fromLatin1(id));
        if (!glass || glass->isLeaving())
            return -1;
        return findKind(glass, "Opacity")->value(Prop::opacity, 1);
    }
    std::shared_ptr<NotchViewModel> model;
    Tree tree{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
};

using NotchViewMemoryTest = NotchViewTest;
using NotchViewGlass = NotchViewTest;
using NotchViewMenu = NotchViewTest;

}  // namespace

TEST_F(NotchViewMemoryTest, ObserversPrimeAndRefreshTheLastSeenValues)
{
    model->isHovering = true;
    model->isPressed = true;
    showView();
    EXPECT_TRUE(model->lastHoverState);
    EXPECT_TRUE(model->lastPressState);
    EXPECT_FALSE(model->lastStateWasExpanded);
    EXPECT_DOUBLE_EQ(model->lastIslandHeight, model->size().height);

    model->open(false);
    time.advance(0.01);
    EXPECT_TRUE(model->lastStateWasExpanded);
    EXPECT_DOUBLE_EQ(model->lastIslandHeight, model->openSize().height);
    model->isPressed = false;
    time.advance(0.01);
    EXPECT_FALSE(model->lastPressState);
}

TEST_F(NotchViewMenu, RightClickOffersSettingsAndQuit)
{
    showView();
    std::vector<MenuItem> offered;
    Connection c = tree.contextMenuRequested.connect(
        [&](const std::vector<MenuItem> &items, QPointF) { offered = items; });
    // The closed island sits at the top centre of the panel.
    tree.handlePointer(PointerEvent::press(QPointF(NotchView::panelWidth / 2, 10), Qt::RightButton));
    tree.handlePointer(PointerEvent::release(QPointF(NotchView::panelWidth / 2, 10), Qt::RightButton));
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0].title, QStringLiteral("Settings\u2026"));
    EXPECT_TRUE(offered[1].isDivider);
    EXPECT_EQ(offered[2].title, QStringLiteral("Quit Vesk"));
    // Without an application delegate, "Settings…" does nothing (and does not crash).
    offered[0].action();

    offered.clear();
    tree.handlePointer(PointerEvent::press(QPointF(20, 250), Qt::RightButton));
    EXPECT_TRUE(offered.empty());
}

TEST_F(NotchViewGlass, LinuxHasNoGlassWhateverTheSetting)
{
    EXPECT_FALSE(Materials::shared().hasGlass());
    defaults().set(settings::fadeToGlass, true);
    model->stateOverride = NotchState::trackPreview;
    showView();
    time.advance(1);
    EXPECT_EQ(glassOpacity("glass"), -1);
    EXPECT_EQ(glassOpacity("frost"), -1);
}

TEST_F(NotchViewGlass, SimulatedGlassFadesInForPreviewsWithFrost)
{
    SimMaterials materials(true);
    defaults().set(settings::fadeToGlass, true);
    defaults().set(settings::islandFrost, 0.01);
    model->stateOverride = NotchState::live;
    showView();
    time.advance(1);
    // Available but not wanted in the live state: the glass is there, invisible, under the black.
    EXPECT_DOUBLE_EQ(glassOpacity("glass"), 0);
    EXPECT_EQ(glassOpacity("frost"), -1);  // 0.01 is no frost

    defaults().set(settings::islandFrost, 0.02);
    model->stateOverride = NotchState::trackPreview;
    time.advance(1);
    EXPECT_DOUBLE_EQ(glassOpacity("glass"), 1);
    EXPECT_NEAR(glassOpacity("frost"), 0.02, 1e-9);

    // Switching the setting off while glass shows brings the black back.
    defaults().set(settings::fadeToGlass, false);
    time.advance(1);
    EXPECT_EQ(glassOpacity("glass"), -1);
    const QImage image = tree.render(1);
    EXPECT_EQ(image.pixelColor(int(NotchView::panelWidth / 2), 10), QColor(Qt::black));
}

TEST(IslandFillGradients, FadeAndMaskStops)
{
    const auto stops = IslandFill::fadeStops(0.6);
    ASSERT_EQ(stops.size(), 5u);
    EXPECT_DOUBLE_EQ(stops[1].location, 0.6);
    EXPECT_DOUBLE_EQ(stops[2].location, 0.72);
    EXPECT_DOUBLE_EQ(stops[2].color.a, 0.75);
    EXPECT_DOUBLE_EQ(stops[3].location, 0.86);
    EXPECT_DOUBLE_EQ(stops[3].color.a, 0.3);
    EXPECT_DOUBLE_EQ(stops[4].location, 1);
    EXPECT_DOUBLE_EQ(stops[4].color.a, 0);

    // 200 points high: the band keeps full strength to max(0.5, 0.15) and is clear from 0.7.
    EXPECT_DOUBLE_EQ(IslandFill::solidMaskEnd(0.6, 200), 0.5);
    EXPECT_DOUBLE_EQ(IslandFill::solidMaskEnd(0.66, 400), 0.56);
    EXPECT_DOUBLE_EQ(IslandFill::solidMaskEnd(0.3, 100), 0.3);
    // Side fades: 40 points wide above 200 points, 20 % at or below.
    EXPECT_DOUBLE_EQ(IslandFill::sideFade(400), 0.1);
    EXPECT_DOUBLE_EQ(IslandFill::sideFade(200), 0.2);
    EXPECT_DOUBLE_EQ(IslandFill::sideFade(120), 0.2);
    // The first layout pass may offer nothing: fall back.
    EXPECT_DOUBLE_EQ(IslandFill::sideFade(1), 0.2);
    EXPECT_DOUBLE_EQ(IslandFill::sideFade(0), 0.2);
    EXPECT_DOUBLE_EQ(IslandFill::solidMaskEnd(0.2, 0.5), 0.5);
}

namespace {

using NotchViewSkipPose = NotchViewTest;

}  // namespace

TEST_F(NotchViewSkipPose, IslandStretchesOnlyTowardTheSkipSide)
{
    model->stateOverride = NotchState::live;
    showView();
    time.advance(1);
    const auto [left, right] = opaqueSpan(tree.render(1), 12);

    model->setSkipDrag(1.0);
    time.advance(1);
    QImage image = tree.render(1);
    const auto [fLeft, fRight] = opaqueSpan(image, 12);
    EXPECT_NEAR(fLeft, left, 1);
    EXPECT_NEAR(fRight, right + 30, 1);

    model->setSkipDrag(-2.5);
    time.advance(1);
    const auto [bLeft, bRight] = opaqueSpan(tree.render(1), 12);
    EXPECT_NEAR(bRight, right, 1);
    EXPECT_NEAR(bLeft, left - 36.92, 1);

    // Open, the drag has no effect.
    model->stateOverride = NotchState::open;
    time.advance(2);
    const auto [oLeft, oRight] = opaqueSpan(tree.render(1), 60);
    EXPECT_NEAR((oLeft + oRight + 1) / 2.0, NotchView::panelWidth / 2, 1);
}

// Views that read settings straight from the store follow the store in place now, also one a
// fixture put there after the first view was drawn.
TEST(SettingsGeneration, FollowsAStorePutInPlaceLater)
{
    UserDefaults::setStandard(std::make_unique<UserDefaults>());
    const int first = settingsGeneration().peek();
    UserDefaults::standard().set("someKey", 1);
    EXPECT_EQ(settingsGeneration().peek(), first + 1);

    UserDefaults::setStandard(std::make_unique<UserDefaults>());
    const int replaced = settingsGeneration().peek();
    EXPECT_GT(replaced, first + 1) << "a new store may hold anything";
    UserDefaults::standard().set("someKey", 2);
    EXPECT_EQ(settingsGeneration().peek(), replaced + 1) << "a change in the new store counts";
}

namespace {

using NotchViewCapsule = NotchViewTest;

// The pixels of light ink in `image` that lie farther than `slack` pixels outside the region the
// island's body covers (its fully opaque pixels, grown by `slack`), row by row and column by
// column: for a convex body, ink outside either span is outside the body. Light ink is mostly
// white: the body's soft black edge, where the rim tints it a little, is not.
int inkOutsideBody(const QImage &image, int slack)
{
    const int w = image.width(), h = image.height();
    std::vector<int> rowFirst(h, -1), rowLast(h, -1), columnFirst(w, -1), columnLast(w, -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) == 255) {
                if (rowFirst[y] < 0)
                    rowFirst[y] = x;
                rowLast[y] = x;
                if (columnFirst[x] < 0)
                    columnFirst[x] = y;
                columnLast[x] = y;
            }
    int outside = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 4 || qRed(p) * 2 < qAlpha(p))
                continue;
            const bool inRow = rowFirst[y] >= 0 && x >= rowFirst[y] - slack && x <= rowLast[y] + slack;
            const bool inColumn = columnFirst[x] >= 0 && y >= columnFirst[x] - slack && y <= columnLast[x] + slack;
            if (!inRow || !inColumn)
                ++outside;
        }
    return outside;
}

}  // namespace

// The open capsule's light rim runs just inside its body, along its sides and round its bottom
// corners, at every scale; nothing of it floats in the air beside or under the body.
TEST_F(NotchViewCapsule, TheRimFollowsTheBody)
{
    defaults().set(settings::showShadow, false);
    model->showPageDots = false;
    model->style = IslandStyle::pill;
    model->stateOverride = NotchState::open;
    showView();
    time.advance(2);
    for (const double scale : {1.0, 2.0}) {
        const QImage image = tree.render(scale);
        const int top = int(std::ceil(model->pillTopInset.peek() * scale));
        // The rim is there: light pixels just inside the body's side, halfway down.
        const int middle = top + int(model->size().height * scale / 2);
        const auto [left, right] = opaqueSpan(image, middle);
        ASSERT_GT(left, 0);
        bool lit = false;
        for (int x = left; x < left + int(2 * scale) + 1; ++x)
            lit = lit || qRed(image.pixel(x, middle)) > 0;
        EXPECT_TRUE(lit) << "scale " << scale;
        EXPECT_EQ(inkOutsideBody(image, 1), 0) << "scale " << scale;
    }
}

namespace {

using NotchViewShadow = NotchViewTest;

// The most opaque pixel of `row` of `image`, 0...1.
double rowAlpha(const QImage &image, int row)
{
    int most = 0;
    for (int x = 0; x < image.width(); ++x)
        most = std::max(most, qAlpha(image.pixel(x, row)));
    return most / 255.0;
}

}  // namespace

// The tour's island ends 31 points (notch) or 10 (capsule) above its panel's bottom edge, nearer
// than its open shadow reaches: the shadow fades out before that edge instead of being cut there
// in a line, and still darkens the room right under the island.
TEST_F(NotchViewShadow, FadesOutBeforeThePanelsBottomEdge)
{
    for (const IslandStyle style : {IslandStyle::notch, IslandStyle::pill}) {
        model->updateNotch(plug(laptop()), style, false);
        model->startOnboarding(0);
        showView();
        time.advance(2);
        const double bottom = (style == IslandStyle::pill ? model->pillTopInset.peek() : 0) + model->size().height;
        ASSERT_LT(NotchView::panelHeight - bottom, 40);
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << "style " << int(style) << " scale " << scale);
            const QImage image = tree.render(scale);
            EXPECT_LT(rowAlpha(image, image.height() - 1), 1.5 / 255) << "the panel's last row";
            EXPECT_GT(rowAlpha(image, int((bottom + 2) * scale)), 0.08) << "just under the island";
            // From the island down, the shadow only ever grows fainter.
            for (int row = int(std::ceil((bottom + 1) * scale)); row + 1 < image.height(); ++row)
                EXPECT_GE(rowAlpha(image, row) + 1.5 / 255, rowAlpha(image, row + 1)) << "row " << row;
        }
        model->finishOnboarding();
        time.advance(2);
    }
}

// An open island far enough from the panel's edge keeps its whole shadow.
TEST(IslandShadowFade, OnlyWhereTheShadowWouldReachThePanelsEdge)
{
    EXPECT_FALSE(shadowFadeFor(175, 20, 10, 140).has_value()) << "twice the reach of 70: untouched";
    // Nearer than the reach, the fade runs over the whole room, ending at the panel's edge in the
    // picture's own coordinates (it is drawn 10 points lower).
    const auto near = shadowFadeFor(269, 20, 10, 31);
    ASSERT_TRUE(near);
    EXPECT_DOUBLE_EQ(near->end, 269 + 31 - 10);
    EXPECT_DOUBLE_EQ(near->start, 269 - 10);
    // Between one and two reaches, the last 70 points fade.
    const auto far = shadowFadeFor(175, 20, 10, 100);
    ASSERT_TRUE(far);
    EXPECT_DOUBLE_EQ(far->end - far->start, 70);
    // The faded picture is clear from the band's end on and untouched above its start.
    const IslandShape outline{24, 0, 32};
    const QImage whole = islandShadowImage(outline, QSizeF(412, 269), 0.45, 20, 2);
    const QImage faded = islandShadowImage(outline, QSizeF(412, 269), 0.45, 20, 2, near);
    const double scale = whole.width() / (412.0 + 120);
    auto alpha = [&](const QImage &image, double y) { return qAlpha(image.pixel(int((60 + 206) * scale), int((60 + y) * scale))); };
    EXPECT_EQ(alpha(faded, 200), alpha(whole, 200));
    EXPECT_GT(alpha(whole, near->end), 10);
    EXPECT_EQ(alpha(faded, near->end), 0);
    EXPECT_GT(alpha(faded, near->start + 10), 0);
    EXPECT_LT(alpha(faded, near->start + 10), alpha(whole, near->start + 10));
}
