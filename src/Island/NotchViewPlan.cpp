#include "Island/NotchViewPlan.h"

#include "Model/IslandMetrics.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "Island/ViewSetting.h"
#include "Platform/Materials.h"
#include "Model/Defaults.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace vesk {

namespace {

}  // namespace

NotchViewInput NotchViewInput::of(const NotchViewModel &model)
{
    NotchViewInput in;
    in.state = model.state();
    in.style = model.style.get();
    in.size = model.size();
    in.notchSize = model.notchSize();
    in.openSize = model.openSize();
    in.fadesToGlassSetting = model.fadesToGlassSetting.get();
    in.hasGlassMaterial = Materials::shared().hasGlass();
    in.skipDrag = model.skipDrag().get();
    in.skipsForward = model.skipsForward();
    in.debugSkip = vesk::debugSkip();
    in.isHovering = model.isHovering.get();
    in.isPressed = model.isPressed.get();
    in.showsSizeAdjustmentPreview = model.sizeAdjustmentPreview.get().has_value();
    in.isTuckedAway = model.isTuckedAway();
    in.pillTopInset = model.pillTopInset.get();
    in.showPageDots = model.showPageDots.get();
    in.pageCount = static_cast<int>(model.pages().size());
    in.hasBubble = model.bubble().has_value();
    in.showShadow = viewSetting(settings::showShadow);
    in.shimmer = model.showsRim.get();
    in.frost = viewSetting(settings::islandFrost);
    return in;
}

NotchViewMemory NotchViewMemory::after(const NotchViewInput &input)
{
    return {input.size.height, isExpanded(input.state), input.isHovering, input.isPressed};
}

NotchViewMemory NotchViewMemory::of(const NotchViewModel &model)
{
    return {model.lastIslandHeight, model.lastStateWasExpanded, model.lastHoverState, model.lastPressState};
}

void NotchViewMemory::storeInto(NotchViewModel &model) const
{
    model.lastIslandHeight = lastIslandHeight;
    model.lastStateWasExpanded = lastStateWasExpanded;
    model.lastHoverState = lastHoverState;
    model.lastPressState = lastPressState;
}

const char *name(IslandAnimationRule rule)
{
    switch (rule) {
    case IslandAnimationRule::expanded: return "open";
    case IslandAnimationRule::collapse: return "close";
    case IslandAnimationRule::press: return "press";
    case IslandAnimationRule::pressCancel: return "pressCancel";
    case IslandAnimationRule::hover: return "swell";
    case IslandAnimationRule::preview: return "open";
    case IslandAnimationRule::peek: return "readout";
    case IslandAnimationRule::lowering: return "close";
    case IslandAnimationRule::settle: return "settle";
    }
    return "settle";
}

IslandShape islandOutline(NotchState state, IslandStyle style, double h, bool isHovering)
{
    const bool pill = style == IslandStyle::pill;
    if (isExpanded(state))
        return pill ? IslandShape{24, 32, 32} : IslandShape{24, 0, 32};
    if (pill)
        return {0, h / 2, h / 2};
    if (isPreview(state))
        return {6, 0, 20};
    if (isHovering)
        return {6, 0, 14};
    return {6, 0, 10};
}

double skipExtension(double drag)
{
    const double t = std::min(std::abs(drag), 1.0);
    const double o = std::max(std::abs(drag) - 1, 0.0);
    return 30 * t + 10 * (1 - 1 / (1.5 * o + 1));
}

std::optional<double> parseDebugSkip(const char *text)
{
    if (!text || !*text)
        return std::nullopt;
    // strtod follows the process locale; a decimal comma locale must not change what the switch
    // means, so parse in the C locale explicitly.
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    if (!cLocale)
        return std::nullopt;
    const locale_t previous = uselocale(cLocale);
    char *end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    uselocale(previous);
    if (end == text || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    // strtod skips leading blanks; the whole text must be the number.
    if (std::isspace(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    return value;
}

std::optional<double> debugSkip()
{
    static const std::optional<double> value = parseDebugSkip(std::getenv("VESK_DEBUG_SKIP"));
    return value;
}

NotchViewPlan planNotchView(const NotchViewInput &in, const NotchViewMemory &memory)
{
    NotchViewPlan p;
    const NotchState s = in.state;
    const bool pill = in.style == IslandStyle::pill;
    p.expanded = isExpanded(s);
    p.glassAvailable = in.hasGlassMaterial && in.fadesToGlassSetting;
    p.glassCondition = p.glassAvailable && (isPreview(s) || p.expanded);
    p.outline = islandOutline(s, in.style, in.size.height, in.isHovering);

    // The island animation: the first rule that matches.
    using R = IslandAnimationRule;
    if (p.expanded) {
        p.rule = R::expanded;
    } else if (memory.lastStateWasExpanded) {
        p.rule = R::collapse;
        p.collapsing = true;
    } else if (in.isPressed != memory.lastPressState) {
        p.rule = in.isPressed ? R::press : R::pressCancel;
    } else if (in.isHovering != memory.lastHoverState) {
        p.rule = R::hover;
    } else if (isPreview(s)) {
        p.rule = R::preview;
    } else if (s == NotchState::peek) {
        p.rule = R::peek;
    } else if (!pill && in.size.height < memory.lastIslandHeight) {
        p.rule = R::lowering;
    } else {
        p.rule = R::settle;
    }
    switch (p.rule) {
    case R::expanded:
    case R::preview: p.animation = Motion::open; break;
    case R::collapse:
    case R::lowering: p.animation = Motion::close; break;
    case R::press: p.animation = Motion::press; break;
    case R::pressCancel: p.animation = Motion::pressCancel; break;
    case R::hover: p.animation = Motion::swell; break;
    case R::peek: p.animation = Motion::readout; break;
    case R::settle: p.animation = Motion::settle; break;
    }

    // Swipe to skip.
    SkipPlan &k = p.skip;
    k.drag = p.expanded ? 0 : in.debugSkip.value_or(in.skipDrag);
    k.forward = k.drag != 0 ? k.drag >= 0 : in.skipsForward;
    k.progress = std::min(std::abs(k.drag), 1.0);
    k.overshoot = std::max(std::abs(k.drag) - 1, 0.0);
    k.extension = skipExtension(k.drag);
    k.atThreshold = k.progress == 1;
    k.arrowOpacity = k.progress * k.progress;
    k.arrowBlur = 5 * (1 - k.progress);
    k.arrowScale = 0.5 + 0.5 * k.progress;

    // Layers.
    const double c = p.collapsing ? 0.1 : 0;
    p.liveActivity = {s == NotchState::live || s == NotchState::trackPreview, c};
    p.readout = {s == NotchState::peek || s == NotchState::eventPreview, c};
    p.eventCaption = {s == NotchState::eventPreview, 0};
    p.openView = {s == NotchState::open, 0};
    p.onboarding = {s == NotchState::onboarding, 0};
    p.update = {s == NotchState::update, 0};
    auto shrink = [&](double designWidth) { return designWidth > 0 ? std::min(in.size.width / designWidth, 1.0) : 1.0; };
    p.openScale = s == NotchState::open ? 1 : shrink(in.openSize.width);
    p.onboardingScale = s == NotchState::onboarding ? 1 : shrink(IslandMetrics::onboardingDesignWidth);
    p.updateScale = s == NotchState::update ? 1 : shrink(IslandMetrics::updateDesignWidth);

    // Surface.
    p.fill.frost = in.frost;
    p.fill.fadesOut = p.glassCondition;
    p.fill.usesGlass = p.glassAvailable;
    p.fill.solidUntil = (s == NotchState::onboarding || s == NotchState::update) ? 0.66
                        : (p.expanded && pill)                                   ? 0.62
                                                                                 : 0.6;
    p.fill.cornerRadius = p.outline.bottomRadius;
    p.fill.sideInset = p.outline.topRadius;

    p.sizePreviewOpacity = in.showsSizeAdjustmentPreview ? 1 : 0;
    p.showsPageTabs = s == NotchState::open && in.showPageDots && in.pageCount > 1;
    p.showsNotchPlate = !pill;
    p.shimmerOpacity = in.shimmer && !p.glassCondition && s != NotchState::closed ? 1 : 0;
    p.rimOpacity = in.shimmer && p.glassCondition ? 1 : 0;

    if (p.expanded)
        p.shadow = {0.45, 20, 10};
    else
        p.shadow = {in.isHovering ? 0.3 : 0, 9, 4};
    if (!in.showShadow || p.glassCondition)
        p.shadow.opacity = 0;
    p.shadow.coveredInside = !p.fill.usesGlass;

    p.showsBubble = pill;
    p.bubbleProgress = in.hasBubble ? 1 : 0;

    p.offsetX = (k.forward ? 1 : -1) * k.extension / 2;
    p.scale = in.isTuckedAway ? 0.45 : 1;
    p.offsetY = in.isTuckedAway && pill ? -in.pillTopInset : 0;
    p.topPadding = pill ? in.pillTopInset : 0;
    return p;
}

}  // namespace vesk
