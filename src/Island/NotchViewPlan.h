#pragma once

#include "Model/IslandTypes.h"
#include "Island/IslandShape.h"
#include "Kit/Animation.h"

#include <optional>

namespace vesk {

class NotchViewModel;

// Everything the island view reads, copied out of one island's model and the settings at one
// evaluation. The plan is a pure function of this and of the view's one-step memory, so every
// decision the island view makes can be checked without painting.
struct NotchViewInput {
    NotchState state = NotchState::closed;
    IslandStyle style = IslandStyle::notch;
    Size size;
    Size notchSize;
    Size openSize;
    bool fadesToGlassSetting = false;
    bool hasGlassMaterial = false;  // the platform draws a glass material at all
    double skipDrag = 0;
    bool skipsForward = true;
    std::optional<double> debugSkip;
    bool isHovering = false;
    bool isPressed = false;
    bool showsSizeAdjustmentPreview = false;
    bool isTuckedAway = false;
    double pillTopInset = 0;
    bool showPageDots = true;
    int pageCount = 0;
    bool hasBubble = false;
    // The two persisted settings of the view and the frost of its fill.
    bool showShadow = true;
    bool shimmer = true;
    double frost = 0;

    // Reads the model, the view's settings and the platform's glass capability.
    static NotchViewInput of(const NotchViewModel &model);
};

// The values the island remembers from its previous committed change (plain model fields).
struct NotchViewMemory {
    double lastIslandHeight = 0;
    bool lastStateWasExpanded = false;
    bool lastHoverState = false;
    bool lastPressState = false;

    // The memory as the change observers leave it after a commit of `input` (also their run with
    // the initial values when the island is first shown).
    static NotchViewMemory after(const NotchViewInput &input);
    static NotchViewMemory of(const NotchViewModel &model);
    void storeInto(NotchViewModel &model) const;
    friend bool operator==(const NotchViewMemory &, const NotchViewMemory &) = default;
};

// Which rule chose the island animation, in the order the rules are tried.
enum class IslandAnimationRule { expanded, collapse, press, pressCancel, hover, preview, peek, lowering, settle };
const char *name(IslandAnimationRule rule);

// The island fill's inputs.
struct IslandFillPlan {
    double frost = 0;
    bool fadesOut = false;
    bool usesGlass = false;
    double solidUntil = 0.6;
    double cornerRadius = 0;
    double sideInset = 0;
    friend bool operator==(const IslandFillPlan &, const IslandFillPlan &) = default;
};

struct IslandShadowPlan {
    double opacity = 0;
    double radius = 9;
    double y = 4;
    // The island's body is opaque black (no glass), so the shadow under its inside never shows.
    bool coveredInside = false;
    friend bool operator==(const IslandShadowPlan &, const IslandShadowPlan &) = default;
};

// The swipe-to-skip pose: the island stretches by `extension` toward the skip side, where the
// arrow grows in.
struct SkipPlan {
    double drag = 0;          // in units of the skip threshold
    bool forward = true;
    double progress = 0;      // min(|drag|, 1)
    double overshoot = 0;     // max(|drag| - 1, 0)
    double extension = 0;     // points
    bool atThreshold = false; // the arrow's bounce trigger
    double arrowOpacity = 0;
    double arrowBlur = 5;
    double arrowScale = 0.5;
};

struct LayerPlan {
    bool isVisible = false;
    double delay = 0;
};

struct NotchViewPlan {
    bool expanded = false;
    bool glassCondition = false;
    bool glassAvailable = false;
    IslandShape outline;
    IslandAnimationRule rule = IslandAnimationRule::settle;
    kit::Animation animation;
    bool collapsing = false;
    SkipPlan skip;

    // The layers, back to front; the event caption is drawn under the readout, in its layer.
    LayerPlan liveActivity;
    LayerPlan readout;
    LayerPlan eventCaption;
    LayerPlan openView;
    LayerPlan onboarding;
    LayerPlan update;
    double openScale = 1;
    double onboardingScale = 1;
    double updateScale = 1;

    IslandFillPlan fill;
    IslandShadowPlan shadow;
    double shimmerOpacity = 0;
    double rimOpacity = 0;
    double sizePreviewOpacity = 0;
    bool showsNotchPlate = false;
    bool showsPageTabs = false;
    bool showsBubble = false;      // the pill's bubble overlay exists
    double bubbleProgress = 0;

    double offsetX = 0;            // ± extension / 2
    double scale = 1;              // about the top centre
    double offsetY = 0;
    double topPadding = 0;
};

// The island view's decisions for one evaluation.
NotchViewPlan planNotchView(const NotchViewInput &input, const NotchViewMemory &memory);

// The outline radii of the island in a state and style.
IslandShape islandOutline(NotchState state, IslandStyle style, double height, bool isHovering);

// Stretch of the island at a swipe-to-skip offset of `drag` threshold units: linear to 30 points
// at the threshold, then a rubber band toward 40 that never reaches it.
double skipExtension(double drag);

// A developer switch that fixes the skip pose: a decimal number in the C locale, the whole text
// consumed; anything else (including infinities and NaN) is no value.
std::optional<double> parseDebugSkip(const char *text);
// VESK_DEBUG_SKIP, read once.
std::optional<double> debugSkip();

}  // namespace vesk
