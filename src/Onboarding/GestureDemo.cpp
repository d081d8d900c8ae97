#include "Onboarding/GestureDemo.h"

#include "Island/NotchShape.h"
#include "Kit/Node.h"
#include "Kit/ViewState.h"
#include "Model/Motion.h"
#include "Onboarding/MiniPages.h"
#include "Onboarding/TourKit.h"
#include "Settings/Previews/Miniatures.h"

#include <QPainter>
#include <QRadialGradient>

#include <functional>

namespace vesk {

using namespace kit;
using namespace GestureDemoMetrics;

namespace {

constexpr const char *specKind = "GestureDemo";

// The state and its player, kept in the demonstration's node for as long as it is shown.
struct DemoHolder {
    explicit DemoHolder(Gesture gesture) : state(std::make_shared<GestureDemoState>()), runner(gesture, state) {}
    std::shared_ptr<GestureDemoState> state;
    GestureDemoRunner runner;
};

class GestureDemoSpec final : public Spec {
public:
    GestureDemoSpec(Gesture gesture, bool isRunning) : gesture(gesture), isRunning(isRunning) {}
    const char *kind() const override { return specKind; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const GestureDemoSpec &>(other);
        return gesture == o.gesture && isRunning == o.isRunning;
    }
    bool isComponent() const override { return true; }
    Element evaluateAt(const Node &node, const Env &) const override
    {
        const auto holder = sharedViewState<DemoHolder>(node, gesture);
        std::weak_ptr<DemoHolder> weak = holder;
        return GestureDemo::scene(*holder->state)
            .onChange<bool>(
                isRunning,
                [weak](const bool &, const bool &running) {
                    if (const auto h = weak.lock())
                        running ? h->runner.start() : h->runner.cancel();
                },
                true)
            .onDisappear([weak] {
                if (const auto h = weak.lock())
                    h->runner.cancel();
            });
    }
    Gesture gesture;
    bool isRunning;
};

// The desktop behind the miniature: a diagonal blue-to-violet gradient lit from the top centre.
void paintBackdrop(QPainter &painter, const QRectF &rect, const std::vector<double> &)
{
    QLinearGradient diagonal(rect.topLeft(), rect.bottomRight());
    diagonal.setColorAt(0, QColor::fromRgbF(0.13f, 0.24f, 0.55f));
    diagonal.setColorAt(1, QColor::fromRgbF(0.20f, 0.12f, 0.38f));
    painter.fillRect(rect, diagonal);
    QRadialGradient glow(QPointF(rect.center().x(), rect.top()), 140);
    glow.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.1f));
    glow.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0));
    painter.fillRect(rect, glow);
}

// Content whose centre stands at (x, y) of a top-leading stack, at its own ideal size.
Element centredAt(Element content, double x, double y)
{
    return Fill(Color::clear()).frame(0, 0).overlay(content.fixedSize()).offset(x, y);
}

Element skipGlyph(double pull)
{
    return Animatable(pull, [](double p) {
        return Symbol(QStringLiteral("forward.fill"), 6, Weight::bold, Color::white())
            .scaleEffect(0.5 + 0.5 * p)
            .blur(2 * (1 - p))
            .opacity(p * p)
            .frame(16 * p, std::nullopt)
            .clipped();
    });
}

}  // namespace

Element GestureDemo::body(const Env &) const { return Element(std::make_shared<const GestureDemoSpec>(gesture, isRunning)); }

QSizeF GestureDemo::islandSize(bool isOpen, bool swollen, bool pressed, double pull)
{
    if (isOpen)
        return {openWidth, openHeight};
    const double s = swollen ? 3 : 0, p = pressed ? 2 : 0;
    return {closedWidth + 2 * s - 2 * p + 18 * pull, closedHeight + s - p};
}

Element GestureDemo::openContent(int page)
{
    Element content = page == 0 ? view(MiniPlayer{}) : page == 1 ? view(MiniCalendar{}) : view(MiniTimer{});
    return ZStack({.alignment = Alignment::center()}, content.transition(fadeBlur()).id(page)).frame(openWidth, openHeight);
}

Element GestureDemo::closedContent(double height, bool flipped, double pull)
{
    const Color tint = flipped ? flippedArtwork : MiniArtwork::accent;
    const Element artwork = Fill(RoundedRectangle(0.26 * height, CornerStyle::continuous), tint)
                                .frame(height, height)
                                .rotation3D(flipped ? 360 : 0, UnitPoint::center(), 1)
                                // Only the swipe's flip changes `flipped`, always with Motion.flip.
                                .animation(Motion::flip, flipped);
    return HStack({.alignment = Alignment::center(), .spacing = 0}, artwork, Spacer(0),
                  view(MiniBars{tint, 0.75 * height}).animation(Motion::flip, flipped), skipGlyph(pull));
}

Element GestureDemo::pageDots(int page)
{
    Elements dots;
    for (int i = 0; i < 3; ++i) {
        const bool current = i == page;
        dots.push_back(Fill(Capsule(), Color::white(current ? 0.95 : 0.35)).frame(current ? 8.5 : 3, 3).frame(9.5, std::nullopt));
    }
    return HStack({.alignment = Alignment::center(), .spacing = 0}, std::move(dots))
        .padding(Edges::horizontal(2))
        .frame(std::nullopt, dotsHeight)
        .background(Fill(Capsule(), Color::black()));
}

Element GestureDemo::island(const GestureDemoState &state)
{
    const bool isOpen = state.isOpen.get(), swollen = state.swollen.get(), pressed = state.pressed.get();
    const double pull = state.pull.get();
    const int page = state.page.get();
    const QSizeF size = islandSize(isOpen, swollen, pressed, pull);
    const double h = size.height();
    const Element closedRow = HStack({.alignment = Alignment::center(), .spacing = 0},
                                     closedContent(h * 20 / 33, state.flipped.get(), pull))
                                  .padding(Edges::horizontal(h * 6.5 / 33))
                                  .frame(std::nullopt, h);
    const NotchShape outline = isOpen ? NotchShape{8, 17} : NotchShape{3, (swollen ? 3.0 : 0.0) + 5.5};
    return ZStack({.alignment = Alignment::top()}, If(isOpen, openContent(page).transition(fadeBlur())),
                  If(!isOpen, closedRow.transition(fadeBlur())))
        .frame(size.width(), h, Alignment::top())
        .padding(Edges::horizontal(isOpen ? openSidePadding : closedSidePadding))
        .background(Fill(Color::black()))
        .clipShape(outline)
        .overlay(pageDots(page)
                     .animation(Motion::page, page)
                     .scaleEffect(isOpen ? 1 : 0.5, UnitPoint::top())
                     .opacity(isOpen ? 1 : 0)
                     .offset(0, dotsGap + dotsHeight),
                 Alignment::bottom())
        .offset(pullShift * pull, 0)
        .animation(isOpen ? Motion::open : Motion::close, isOpen)
        .animation(pressed ? Motion::press : Motion::swell, pressed)
        .animation(Motion::swell, swollen);
}

Element GestureDemo::scene(const GestureDemoState &state)
{
    const QPointF pointer = state.pointer.get();
    const bool pressed = state.pressed.get(), menu = state.menu.get();
    const Element overlayLayer = GeometryReader([pointer, pressed, menu](QSizeF area) {
        const double x = area.width() * pointer.x(), y = area.height() * pointer.y();
        const Element menuView = If(menu, view(MiniMenu{}).transition(
                                              Transition::scale(0.85, UnitPoint::topLeading()).combined(Transition::opacity())));
        const Element glyph = Symbol(QStringLiteral("cursorarrow"), 15, Weight::regular, Color::white())
                                  .shadow(Color::black(0.5), 1.5, 0, 1)
                                  .scaleEffect(pressed ? 0.85 : 1, UnitPoint::topLeading());
        return ZStack({.alignment = Alignment::topLeading()},
                      centredAt(menuView, x + 34, y + 22).animation(menu ? Motion::open : Motion::close, menu),
                      centredAt(glyph, x + 4, y + 7))
            .frame(area.width(), area.height(), Alignment::topLeading());
    });
    // The desktop and its menu bar never move: their picture is kept while the island acts.
    const Element desktop = ZStack({.alignment = Alignment::top()},
                                   Painter(AnyValue::of(QStringLiteral("gesture demo backdrop")), {}, paintBackdrop),
                                   Fill(Color::black(0.25)).frame(std::nullopt, menuBarHeight))
                                .keptWhileStill();
    return ZStack({.alignment = Alignment::top()}, desktop, island(state).scaleEffect(islandScale, UnitPoint::top()), overlayLayer)
        .clipped();
}

std::optional<ShownGestureDemo> shownGestureDemo(const Tree &tree)
{
    std::function<std::optional<ShownGestureDemo>(const Node *)> find = [&](const Node *node) -> std::optional<ShownGestureDemo> {
        if (!node || node->isLeaving())
            return std::nullopt;
        if (std::string_view(node->spec().kind()) == specKind) {
            if (const auto *holder = std::any_cast<std::shared_ptr<DemoHolder>>(&node->state))
                return ShownGestureDemo{(*holder)->runner.gesture(), (*holder)->state};
        }
        for (const auto &child : node->children())
            if (auto found = find(child.get()))
                return found;
        return std::nullopt;
    };
    return find(tree.root());
}

}  // namespace vesk
