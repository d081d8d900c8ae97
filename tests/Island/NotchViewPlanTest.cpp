#include "Island/NotchViewPlan.h"

#include "Model/Motion.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace vesk;

namespace {

NotchViewInput closedNotch()
{
    NotchViewInput in;
    in.state = NotchState::closed;
    in.size = {185, 32};
    in.notchSize = {185, 32};
    in.openSize = {345, 175};
    return in;
}

NotchViewInput in(NotchState state, IslandStyle style = IslandStyle::notch)
{
    NotchViewInput i = closedNotch();
    i.state = state;
    i.style = style;
    return i;
}

// The memory as it stands after `input` was committed: nothing changed since.
NotchViewPlan planSteady(const NotchViewInput &input)
{
    return planNotchView(input, NotchViewMemory::after(input));
}

struct RadiiRow {
    NotchState state;
    IslandStyle style;
    bool hovering;
    IslandShape expected;
};

class OutlineRadii : public ::testing::TestWithParam<RadiiRow> {};

}  // namespace

TEST_P(OutlineRadii, FirstMatchingRowWins)
{
    const RadiiRow &row = GetParam();
    EXPECT_EQ(islandOutline(row.state, row.style, 38, row.hovering), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    StatesAndStyles, OutlineRadii,
    ::testing::Values(RadiiRow{NotchState::open, IslandStyle::pill, true, {24, 32, 32}},
                      RadiiRow{NotchState::onboarding, IslandStyle::pill, false, {24, 32, 32}},
                      RadiiRow{NotchState::update, IslandStyle::notch, false, {24, 0, 32}},
                      RadiiRow{NotchState::open, IslandStyle::notch, true, {24, 0, 32}},
                      // Pill beats the preview and hover rows: a capsule of the island's height.
                      RadiiRow{NotchState::trackPreview, IslandStyle::pill, true, {0, 19, 19}},
                      RadiiRow{NotchState::closed, IslandStyle::pill, false, {0, 19, 19}},
                      // Previews beat hover.
                      RadiiRow{NotchState::eventPreview, IslandStyle::notch, true, {6, 0, 20}},
                      RadiiRow{NotchState::trackPreview, IslandStyle::notch, false, {6, 0, 20}},
                      RadiiRow{NotchState::live, IslandStyle::notch, true, {6, 0, 14}},
                      RadiiRow{NotchState::peek, IslandStyle::notch, false, {6, 0, 10}},
                      RadiiRow{NotchState::closed, IslandStyle::notch, false, {6, 0, 10}}));

TEST(NotchViewAnimation, CollapseBeatsPressWhichBeatsHover)
{
    NotchViewInput now = in(NotchState::closed);
    now.isPressed = true;
    now.isHovering = true;
    NotchViewMemory memory;  // was open, not pressed, not hovering
    memory.lastStateWasExpanded = true;
    memory.lastIslandHeight = 175;

    NotchViewPlan p = planNotchView(now, memory);
    EXPECT_EQ(p.rule, IslandAnimationRule::collapse);
    EXPECT_EQ(p.animation, Motion::close);
    EXPECT_TRUE(p.collapsing);
    EXPECT_DOUBLE_EQ(p.liveActivity.delay, 0.1);
    EXPECT_DOUBLE_EQ(p.readout.delay, 0.1);
    EXPECT_DOUBLE_EQ(p.openView.delay, 0);

    memory.lastStateWasExpanded = false;
    p = planNotchView(now, memory);
    EXPECT_EQ(p.rule, IslandAnimationRule::press);
    EXPECT_EQ(p.animation, Motion::press);
    EXPECT_FALSE(p.collapsing);
    EXPECT_DOUBLE_EQ(p.liveActivity.delay, 0);

    // A press released in the same evaluation as a hover change cancels the press.
    memory.lastPressState = true;
    now.isPressed = false;
    p = planNotchView(now, memory);
    EXPECT_EQ(p.animation, Motion::pressCancel);

    now.isPressed = true;
    p = planNotchView(now, memory);
    EXPECT_EQ(p.rule, IslandAnimationRule::hover);
    EXPECT_EQ(p.animation, Motion::swell);
}

TEST(NotchViewAnimation, ExpandedAlwaysOpensWhateverChanged)
{
    NotchViewInput now = in(NotchState::open);
    now.isPressed = true;
    NotchViewMemory memory;
    memory.lastStateWasExpanded = true;
    EXPECT_EQ(planNotchView(now, memory).animation, Motion::open);
    EXPECT_FALSE(planNotchView(now, memory).collapsing);
}

TEST(NotchViewAnimation, QuietChangesFallThroughToTheStateRules)
{
    EXPECT_EQ(planSteady(in(NotchState::trackPreview)).animation, Motion::open);
    EXPECT_EQ(planSteady(in(NotchState::eventPreview)).animation, Motion::open);
    EXPECT_EQ(planSteady(in(NotchState::peek)).animation, Motion::readout);
    EXPECT_EQ(planSteady(in(NotchState::live)).animation, Motion::settle);

    // Getting lower in notch style closes; getting taller settles.
    NotchViewInput lower = in(NotchState::live);
    NotchViewMemory memory = NotchViewMemory::after(lower);
    memory.lastIslandHeight = lower.size.height + 6;
    EXPECT_EQ(planNotchView(lower, memory).rule, IslandAnimationRule::lowering);
    EXPECT_EQ(planNotchView(lower, memory).animation, Motion::close);
    memory.lastIslandHeight = lower.size.height - 6;
    EXPECT_EQ(planNotchView(lower, memory).animation, Motion::settle);
}

TEST(NotchViewAnimation, PillNeverClosesThroughTheHeightRule)
{
    NotchViewInput pill = in(NotchState::closed, IslandStyle::pill);
    NotchViewMemory memory = NotchViewMemory::after(pill);
    memory.lastIslandHeight = 80;
    const NotchViewPlan p = planNotchView(pill, memory);
    EXPECT_EQ(p.rule, IslandAnimationRule::settle);
    EXPECT_EQ(p.animation, Motion::settle);

    // Collapsing from open is the only way a pill closes.
    memory.lastStateWasExpanded = true;
    EXPECT_EQ(planNotchView(pill, memory).animation, Motion::close);
}

TEST(NotchViewAnimation, PrimedMemorySeesNoSpuriousChange)
{
    // Shown first while hovered and pressed: the observers' initial run primes the memory, so the
    // next evaluation is not taken for a hover, a press or a collapse.
    NotchViewInput first = in(NotchState::live);
    first.isHovering = true;
    first.isPressed = true;
    const NotchViewMemory primed = NotchViewMemory::after(first);
    EXPECT_EQ(primed, (NotchViewMemory{32, false, true, true}));
    EXPECT_EQ(planNotchView(first, primed).rule, IslandAnimationRule::settle);
    // Unprimed, the same evaluation would pick the press.
    EXPECT_EQ(planNotchView(first, NotchViewMemory{}).rule, IslandAnimationRule::press);

    const NotchViewMemory afterOpen = NotchViewMemory::after(in(NotchState::open));
    EXPECT_TRUE(afterOpen.lastStateWasExpanded);
    // The evaluation after the collapse is ordinary again once the memory is refreshed.
    NotchViewInput closed = in(NotchState::closed);
    EXPECT_EQ(planNotchView(closed, afterOpen).rule, IslandAnimationRule::collapse);
    closed.isHovering = true;
    EXPECT_EQ(planNotchView(closed, NotchViewMemory::after(in(NotchState::closed))).rule, IslandAnimationRule::hover);
}

TEST(NotchViewSkip, ExtensionIsLinearToTheThresholdThenARubberBand)
{
    EXPECT_DOUBLE_EQ(skipExtension(0), 0);
    EXPECT_DOUBLE_EQ(skipExtension(0.5), 15);
    EXPECT_DOUBLE_EQ(skipExtension(-1), 30);
    EXPECT_NEAR(skipExtension(2.5), 30 + 10 * (1 - 1 / 3.25), 1e-12);
    EXPECT_NEAR(skipExtension(2.5), 36.92, 0.005);
    EXPECT_LT(skipExtension(1e9), 40);

    NotchViewInput live = in(NotchState::live);
    live.skipDrag = 1.0;
    NotchViewPlan p = planSteady(live);
    EXPECT_DOUBLE_EQ(p.skip.extension, 30);
    EXPECT_DOUBLE_EQ(p.skip.arrowOpacity, 1);
    EXPECT_DOUBLE_EQ(p.skip.arrowBlur, 0);
    EXPECT_DOUBLE_EQ(p.skip.arrowScale, 1);
    EXPECT_TRUE(p.skip.atThreshold);
    EXPECT_TRUE(p.skip.forward);
    EXPECT_DOUBLE_EQ(p.offsetX, 15);

    live.skipDrag = -0.5;
    p = planSteady(live);
    EXPECT_FALSE(p.skip.forward);
    EXPECT_DOUBLE_EQ(p.skip.arrowOpacity, 0.25);
    EXPECT_DOUBLE_EQ(p.skip.arrowBlur, 2.5);
    EXPECT_DOUBLE_EQ(p.offsetX, -7.5);
    EXPECT_FALSE(p.skip.atThreshold);
}

TEST(NotchViewSkip, ArrowSideFollowsTheLastDirectionAtRest)
{
    NotchViewInput live = in(NotchState::live);
    live.skipDrag = 0;
    live.skipsForward = false;
    NotchViewPlan p = planSteady(live);
    EXPECT_FALSE(p.skip.forward);
    EXPECT_DOUBLE_EQ(p.skip.extension, 0);
    EXPECT_DOUBLE_EQ(p.skip.arrowOpacity, 0);
    live.skipsForward = true;
    EXPECT_TRUE(planSteady(live).skip.forward);
}

TEST(NotchViewSkip, ExpandedIgnoresTheDragAndTheDebugPose)
{
    NotchViewInput open = in(NotchState::open);
    open.skipDrag = 1.7;
    open.debugSkip = 2;
    const NotchViewPlan p = planSteady(open);
    EXPECT_DOUBLE_EQ(p.skip.drag, 0);
    EXPECT_DOUBLE_EQ(p.skip.extension, 0);
    EXPECT_DOUBLE_EQ(p.offsetX, 0);

    NotchViewInput live = in(NotchState::live);
    live.skipDrag = 0.2;
    live.debugSkip = -1;
    EXPECT_DOUBLE_EQ(planSteady(live).skip.drag, -1);
}

TEST(NotchViewSkip, DebugSwitchIsOneWholeFiniteNumberInTheCLocale)
{
    EXPECT_EQ(parseDebugSkip("0.5"), 0.5);
    EXPECT_EQ(parseDebugSkip("-1.25"), -1.25);
    EXPECT_EQ(parseDebugSkip("2"), 2.0);
    EXPECT_EQ(parseDebugSkip(nullptr), std::nullopt);
    EXPECT_EQ(parseDebugSkip(""), std::nullopt);
    EXPECT_EQ(parseDebugSkip("1,5"), std::nullopt);
    EXPECT_EQ(parseDebugSkip("1.5x"), std::nullopt);
    EXPECT_EQ(parseDebugSkip("1.5 "), std::nullopt);
    EXPECT_EQ(parseDebugSkip(" 1.5"), std::nullopt);
    EXPECT_EQ(parseDebugSkip("abc"), std::nullopt);
    EXPECT_EQ(parseDebugSkip("inf"), std::nullopt);
    EXPECT_EQ(parseDebugSkip("-infinity"), std::nullopt);
    EXPECT_EQ(parseDebugSkip("nan"), std::nullopt);
    EXPECT_EQ(parseDebugSkip("1e999"), std::nullopt);

    // A decimal-comma locale does not change what the switch means.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(parseDebugSkip("0.5"), 0.5);
        EXPECT_EQ(parseDebugSkip("0,5"), std::nullopt);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NotchViewLayers, EachStateShowsItsLayers)
{
    auto visible = [](NotchState s) {
        const NotchViewPlan p = planSteady(in(s));
        return std::vector<bool>{p.liveActivity.isVisible, p.readout.isVisible, p.eventCaption.isVisible,
                                 p.openView.isVisible, p.onboarding.isVisible, p.update.isVisible};
    };
    using V = std::vector<bool>;
    EXPECT_EQ(visible(NotchState::closed), (V{false, false, false, false, false, false}));
    EXPECT_EQ(visible(NotchState::live), (V{true, false, false, false, false, false}));
    EXPECT_EQ(visible(NotchState::trackPreview), (V{true, false, false, false, false, false}));
    EXPECT_EQ(visible(NotchState::peek), (V{false, true, false, false, false, false}));
    EXPECT_EQ(visible(NotchState::eventPreview), (V{false, true, true, false, false, false}));
    EXPECT_EQ(visible(NotchState::open), (V{false, false, false, true, false, false}));
    EXPECT_EQ(visible(NotchState::onboarding), (V{false, false, false, false, true, false}));
    EXPECT_EQ(visible(NotchState::update), (V{false, false, false, false, false, true}));
}

TEST(NotchViewLayers, LargeContentShrinksWithANarrowIsland)
{
    NotchViewInput growing = in(NotchState::closed);
    growing.size = {200, 60};
    const NotchViewPlan p = planSteady(growing);
    EXPECT_DOUBLE_EQ(p.openScale, 200.0 / 345);
    EXPECT_DOUBLE_EQ(p.onboardingScale, 200.0 / 460);
    EXPECT_DOUBLE_EQ(p.updateScale, 0.5);

    growing.size = {500, 200};
    EXPECT_DOUBLE_EQ(planSteady(growing).openScale, 1);
    EXPECT_DOUBLE_EQ(planSteady(growing).updateScale, 1);
    growing.state = NotchState::onboarding;
    growing.size = {300, 200};
    EXPECT_DOUBLE_EQ(planSteady(growing).onboardingScale, 1);
    EXPECT_DOUBLE_EQ(planSteady(growing).openScale, 300.0 / 345);
}

TEST(NotchViewSurface, GlassNeedsThePlatformAndTheSetting)
{
    NotchViewInput preview = in(NotchState::trackPreview);
    preview.fadesToGlassSetting = true;
    preview.hasGlassMaterial = false;
    NotchViewPlan p = planSteady(preview);
    EXPECT_FALSE(p.glassAvailable);
    EXPECT_FALSE(p.glassCondition);
    EXPECT_FALSE(p.fill.usesGlass);
    EXPECT_FALSE(p.fill.fadesOut);
    EXPECT_DOUBLE_EQ(p.shimmerOpacity, 1);
    EXPECT_DOUBLE_EQ(p.rimOpacity, 0);

    preview.hasGlassMaterial = true;
    p = planSteady(preview);
    EXPECT_TRUE(p.glassCondition);
    EXPECT_TRUE(p.fill.fadesOut);
    EXPECT_DOUBLE_EQ(p.shimmerOpacity, 0);
    EXPECT_DOUBLE_EQ(p.rimOpacity, 1);
    EXPECT_DOUBLE_EQ(p.shadow.opacity, 0);

    // Glass available but not wanted in these states: solid, with the shimmer.
    for (NotchState s : {NotchState::peek, NotchState::live}) {
        NotchViewInput quiet = preview;
        quiet.state = s;
        quiet.isHovering = true;
        p = planSteady(quiet);
        EXPECT_TRUE(p.fill.usesGlass);
        EXPECT_FALSE(p.fill.fadesOut);
        EXPECT_DOUBLE_EQ(p.shimmerOpacity, 1);
        EXPECT_DOUBLE_EQ(p.rimOpacity, 0);
        EXPECT_DOUBLE_EQ(p.shadow.opacity, 0.3);
    }

    preview.shimmer = false;
    EXPECT_DOUBLE_EQ(planSteady(preview).rimOpacity, 0);
}

TEST(NotchViewSurface, ShimmerNeverOnTheClosedIsland)
{
    EXPECT_DOUBLE_EQ(planSteady(in(NotchState::closed)).shimmerOpacity, 0);
    NotchViewInput off = in(NotchState::live);
    off.shimmer = false;
    EXPECT_DOUBLE_EQ(planSteady(off).shimmerOpacity, 0);
}

TEST(NotchViewSurface, ShadowFollowsExpansionHoverAndSetting)
{
    NotchViewPlan p = planSteady(in(NotchState::open));
    EXPECT_EQ(p.shadow, (IslandShadowPlan{0.45, 20, 10, true}));
    p = planSteady(in(NotchState::live));
    EXPECT_EQ(p.shadow, (IslandShadowPlan{0, 9, 4, true}));
    NotchViewInput hovering = in(NotchState::live);
    hovering.isHovering = true;
    EXPECT_EQ(planSteady(hovering).shadow, (IslandShadowPlan{0.3, 9, 4, true}));
    hovering.showShadow = false;
    EXPECT_DOUBLE_EQ(planSteady(hovering).shadow.opacity, 0);
}

TEST(NotchViewSurface, ShadowUnderTheBodyIsCoveredOnlyWithoutGlass)
{
    // Glass that may show through the body keeps the whole shadow, even while the island is
    // closed and the glass is not showing yet.
    NotchViewInput glass = in(NotchState::live);
    glass.isHovering = true;
    glass.fadesToGlassSetting = true;
    glass.hasGlassMaterial = true;
    EXPECT_FALSE(planSteady(glass).shadow.coveredInside);
    glass.hasGlassMaterial = false;
    EXPECT_TRUE(planSteady(glass).shadow.coveredInside);
}

TEST(NotchViewSurface, FillKeepsTheTopSolidPerState)
{
    EXPECT_DOUBLE_EQ(planSteady(in(NotchState::onboarding)).fill.solidUntil, 0.66);
    EXPECT_DOUBLE_EQ(planSteady(in(NotchState::update, IslandStyle::pill)).fill.solidUntil, 0.66);
    EXPECT_DOUBLE_EQ(planSteady(in(NotchState::open, IslandStyle::pill)).fill.solidUntil, 0.62);
    EXPECT_DOUBLE_EQ(planSteady(in(NotchState::open)).fill.solidUntil, 0.6);
    EXPECT_DOUBLE_EQ(planSteady(in(NotchState::trackPreview, IslandStyle::pill)).fill.solidUntil, 0.6);

    const NotchViewPlan open = planSteady(in(NotchState::open));
    EXPECT_DOUBLE_EQ(open.fill.cornerRadius, 32);
    EXPECT_DOUBLE_EQ(open.fill.sideInset, 24);
}

TEST(NotchViewDecorations, StyleDecidesPlateBubbleAndTuck)
{
    NotchViewInput notch = in(NotchState::closed);
    notch.isTuckedAway = true;
    notch.pillTopInset = 3;
    NotchViewPlan p = planSteady(notch);
    EXPECT_TRUE(p.showsNotchPlate);
    EXPECT_FALSE(p.showsBubble);
    EXPECT_DOUBLE_EQ(p.scale, 0.45);
    EXPECT_DOUBLE_EQ(p.offsetY, 0);
    EXPECT_DOUBLE_EQ(p.topPadding, 0);

    NotchViewInput pill = notch;
    pill.style = IslandStyle::pill;
    pill.hasBubble = true;
    p = planSteady(pill);
    EXPECT_FALSE(p.showsNotchPlate);
    EXPECT_TRUE(p.showsBubble);
    EXPECT_DOUBLE_EQ(p.bubbleProgress, 1);
    EXPECT_DOUBLE_EQ(p.offsetY, -3);
    EXPECT_DOUBLE_EQ(p.topPadding, 3);
    pill.isTuckedAway = false;
    EXPECT_DOUBLE_EQ(planSteady(pill).offsetY, 0);
    EXPECT_DOUBLE_EQ(planSteady(pill).scale, 1);
}

TEST(NotchViewDecorations, PageTabsNeedTheOpenIslandDotsAndTwoPages)
{
    NotchViewInput open = in(NotchState::open);
    open.pageCount = 2;
    EXPECT_TRUE(planSteady(open).showsPageTabs);
    open.pageCount = 1;
    EXPECT_FALSE(planSteady(open).showsPageTabs);
    open.pageCount = 3;
    open.showPageDots = false;
    EXPECT_FALSE(planSteady(open).showsPageTabs);
    NotchViewInput live = in(NotchState::live);
    live.pageCount = 3;
    EXPECT_FALSE(planSteady(live).showsPageTabs);

    NotchViewInput preview = in(NotchState::live);
    preview.showsSizeAdjustmentPreview = true;
    EXPECT_DOUBLE_EQ(planSteady(preview).sizePreviewOpacity, 1);
}
