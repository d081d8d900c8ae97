#include "Island/NotchView.h"

#include "Model/IslandMetrics.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "Island/IslandFill.h"
#include "Island/IslandHover.h"
#include "Island/IslandLayer.h"
#include "Island/IslandShadow.h"
#include "Island/NotchShimmer.h"
#include "Kit/TextFormat.h"
#include "Base/Observed.h"
#include "Platform/UserDefaults.h"

#include <QCoreApplication>
#include <QDateTime>

namespace vesk {

using namespace kit;
using namespace NotchViewMetrics;

const Observed<int> &settingsGeneration()
{
    static Observed<int> generation{0};
    static Connection connection;
    static const auto follow = [] {
        connection = UserDefaults::standard().changed.connect([] { generation = generation.get() + 1; });
    };
    // A store put in place later (each test fixture makes its own) is followed from then on, and
    // counts as a change: everything it holds may differ.
    static Connection replaced = UserDefaults::standardReplaced().connect([] {
        follow();
        generation = generation.get() + 1;
    });
    if (!connection.connected())
        follow();
    return generation;
}

namespace {

template <typename Fn, typename... Args>
Element fillSlot(const Fn &fn, NotchViewModel &model, Args &&...args)
{
    return fn ? fn(model, std::forward<Args>(args)...) : Empty();
}

// Title and start time of an upcoming event, under its readout while the event preview shows.
Element eventCaption(const Peek::Event &event, bool isVisible)
{
    const EventCaption caption = EventCaption::of(event);
    return islandLayer(VStack({.alignment = Alignment::center(), .spacing = 1},
                              Text(caption.title, EventCaption::titleFont(), Color::white()),
                              Text(caption.starts, EventCaption::startsFont(), Color::white(0.55)))
                           .padding(Edges::horizontal(IslandMetrics::eventCaptionPadding))
                           .frame(Element::Limits{.maxWidth = infinity})
                           .frame(std::nullopt, IslandMetrics::eventCaptionHeight),
                       isVisible, 0);
}

Element skipArrow(const SkipPlan &k, double notchHeight)
{
    const QString name = k.forward ? SymbolName("forward.fill") : SymbolName("backward.fill");
    // A bounce each time the drag reaches the skip threshold and again when it falls back.
    const KeyframeTrack bounce(1, {{1.25, 0.12, Animation::easeOut(0.12)}, {1, 0.25, Animation::spring(0.25, 0.6)}});
    Element symbol = KeyframeAnimator(AnyValue::of(k.atThreshold), bounce, [name](double s) {
        return Symbol(name, arrowSize, Weight::semibold, Color::white()).scaleEffect(s);
    });
    return symbol.opacity(k.arrowOpacity)
        .blur(k.arrowBlur)
        .scaleEffect(k.arrowScale)
        .frame(k.extension, notchHeight)
        .padding(k.forward ? Edges::trailingOnly(arrowSidePadding) : Edges::leadingOnly(arrowSidePadding))
        .allowsHitTesting(false);
}

Element rim(const IslandShape &outline)
{
    const LinearGradient light{{{Color::white(0), 0.35}, {Color::white(0.22), 0.75}, {Color::white(0.45), 1.0}},
                               UnitPoint::top(),
                               UnitPoint::bottom()};
    // Stroked on the outline and clipped to it, so only the inner half of the line shows.
    return Stroke(outline, light, StrokeStyle{.width = rimWidth}).clipShape(outline);
}

std::vector<MenuItem> contextMenu(const NotchViewSlots &s)
{
    auto showSettings = s.showSettings;
    auto quit = s.quit;
    return {MenuItem{QStringLiteral("Settings\u2026"),
                     [showSettings] {
                         if (showSettings)
                             showSettings();
                     }},
            MenuItem::divider(),
            MenuItem{QStringLiteral("Quit Vesk"), [quit] {
                         if (quit)
                             quit();
                         else
                             QCoreApplication::quit();
                     }}};
}

}  // namespace

NotchViewSlots &NotchViewSlots::standard()
{
    static NotchViewSlots standardSlots;
    return standardSlots;
}

Element NotchView::body(const Env &) const
{
    Q_ASSERT(model);
    NotchViewModel &m = *model;
    const NotchViewSlots &s = *slotViews;
    settingsGeneration().get();
    const NotchViewInput in = NotchViewInput::of(m);
    const NotchViewPlan p = planNotchView(in, NotchViewMemory::of(m));
    const NotchState state = in.state;
    const Size size = in.size;
    const IslandShape outline = p.outline;
    const SkipPlan &k = p.skip;

    // ---- The layers, back to front ----
    Element live = islandLayer(IslandWidth(fillSlot(s.liveActivity, m, state == NotchState::trackPreview), size.width,
                                           p.liveActivity.isVisible),
                               p.liveActivity.isVisible, p.liveActivity.delay);

    Element readout;
    if (const std::optional<Peek> peek = m.peekToDraw()) {
        const Peek::Event *event = peek->as<Peek::Event>();
        Element content = VStack({.alignment = Alignment::center(), .spacing = 0}, fillSlot(s.readout, m, *peek),
                                 event ? eventCaption(*event, p.eventCaption.isVisible) : Empty());
        readout = islandLayer(IslandWidth(content, size.width, p.readout.isVisible), p.readout.isVisible, p.readout.delay);
    }

    Element open = islandLayer(fillSlot(s.openView, m).overlay(fillSlot(s.updateBadge, m), Alignment::topTrailing()),
                               p.openView.isVisible, p.openView.delay)
                       .scaleEffect(p.openScale, UnitPoint::top());
    // The content closures run later, while the tree evaluates: they hold what they need by value.
    const NotchViewSlots *slotsUsed = slotViews;
    NotchViewModel *island = model;
    Element tour = MountedWhileShown(p.onboarding.isVisible,
                                     [slotsUsed, island] { return fillSlot(slotsUsed->onboarding, *island); })
                       .scaleEffect(p.onboardingScale, UnitPoint::top());
    Element update = MountedWhileShown(p.update.isVisible,
                                       [slotsUsed, island] { return fillSlot(slotsUsed->update, *island); })
                         .scaleEffect(p.updateScale, UnitPoint::top());

    Element layers = ZStack({.alignment = Alignment::top()}, live, readout, open, tour, update);

    // ---- The island around them ----
    const IslandFill fill{p.fill.frost, p.fill.fadesOut, p.fill.usesGlass, p.fill.solidUntil, p.fill.cornerRadius,
                          p.fill.sideInset};
    auto hangBelow = [](Element e) {
        return e.alignmentGuide(VAlign::bottom, [](QSizeF) { return -labelGap; });
    };
    Element notchPlate;
    if (p.showsNotchPlate)
        notchPlate = Fill(IslandShape{6, 0, 10}, Color::black())
                         .frame(in.notchSize.width + plateWidthExtra, in.notchSize.height)
                         .allowsHitTesting(false);
    Element bubble;
    if (p.showsBubble && s.bubble) {
        const NotchViewSlots::Bubble b{p.bubbleProgress,
                                       {size.width + 2 * outline.topRadius, size.height},
                                       {m.bubbleWidth.get(), in.notchSize.height},
                                       bubbleGap,
                                       m.lastBubble.get()};
        NotchViewModel *target = &m;
        bubble = s.bubble(m, b, [target](double width) { target->bubbleWidth = width; })
                     .animation(in.hasBubble ? Motion::open : Motion::close, in.hasBubble)
                     .allowsHitTesting(false);
    }
    NotchViewModel *target = &m;

    return layers.frame(size.width, size.height, Alignment::top())
        .padding(k.forward ? Edges::trailingOnly(k.extension) : Edges::leadingOnly(k.extension))
        .overlay(skipArrow(k, in.notchSize.height), k.forward ? Alignment::trailing() : Alignment::leading())
        .padding(Edges::horizontal(outline.topRadius))
        .background(view(fill))
        .clipShape(outline)
        .overlay(Fill(outline, sizePreviewTint)
                     .opacity(p.sizePreviewOpacity)
                     .animation(Motion::small, in.showsSizeAdjustmentPreview)
                     .allowsHitTesting(false))
        .overlay(hangBelow(s.sizePreviewLabel ? s.sizePreviewLabel(m.sizeAdjustmentPreview.get()) : Empty()), Alignment::bottom())
        .contentShape(outline)
        .overlay(hangBelow(fillSlot(s.pageTabs, m, p.showsPageTabs)), Alignment::bottom())
        .background(notchPlate, Alignment::top())
        .overlay(view(NotchShimmer{in.style, outline.topRadius, outline.bottomRadius}).opacity(p.shimmerOpacity))
        .overlay(rim(outline).opacity(p.rimOpacity).allowsHitTesting(false))
        .background(IslandShadow(outline, p.shadow, panelHeight - p.topPadding - size.height))
        // The one-step memory: refreshed after each committed change and primed on first show.
        .onChange<double>(size.height, [target](const double &, const double &h) { target->lastIslandHeight = h; })
        .onChange<bool>(in.isHovering, [target](const bool &, const bool &h) { target->lastHoverState = h; })
        .onChange<bool>(in.isPressed, [target](const bool &, const bool &pr) { target->lastPressState = pr; })
        .onChange<NotchState>(state,
                              [target](const NotchState &, const NotchState &now) {
                                  target->lastStateWasExpanded = isExpanded(now);
                              })
        .contextMenu(contextMenu(s))
        .overlay(bubble, Alignment::topLeading())
        .offset(p.offsetX, 0)
        .scaleEffect(p.scale, UnitPoint::top())
        .offset(0, p.offsetY)
        .padding(Edges::topOnly(p.topPadding))
        .maxFrame(Alignment::top())
        .animation(p.animation, in.isTuckedAway)
        .animation(p.animation, state)
        .animation(p.animation, size)
        .animation(Motion::swell, in.isHovering)
        .environment(islandModel, target);
}

}  // namespace vesk
