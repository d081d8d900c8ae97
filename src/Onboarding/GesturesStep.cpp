#include "Onboarding/GesturesStep.h"

#include "Island/IslandHover.h"
#include "Kit/Node.h"
#include "Kit/Task.h"
#include "Kit/ViewState.h"
#include "Model/Motion.h"
#include "Onboarding/GestureDemo.h"
#include "Onboarding/TourKit.h"

#include <functional>
#include <memory>

namespace vesk {

using namespace kit;
using namespace GesturesMetrics;

namespace {

constexpr const char *specKind = "GesturesStep";

const GesturesStep::Info infos[gestureCount] = {
    {"cursorarrow.motionlines", "Point at me", 2.4},
    {"cursorarrow.click", "Click to open", 3.2},
    {"arrow.up.and.down", "Scroll through tabs", 3.6},
    {"arrow.left.and.right", "Swipe to skip a song", 3.0},
    {"contextualmenu.and.cursorarrow", "Right-click for Settings", 2.8},
};

struct StepState {
    Observed<Gesture> current{Gesture::hover};
    Observed<int> picked{0};
};

// Holds `current` for its time, then moves on, until the task is cancelled (its key changed).
void walk(Task &task, std::weak_ptr<StepState> weak)
{
    const auto state = weak.lock();
    if (!state)
        return;
    task.sleep(GesturesStep::info(state->current.peek()).holdSeconds, [&task, weak] {
        if (const auto s = weak.lock())
            withAnimation(Motion::small, [&] { s->current = GesturesStep::next(s->current.peek()); });
        walk(task, weak);
    });
}

class GesturesStepSpec final : public Spec {
public:
    const char *kind() const override { return specKind; }
    bool sameProperties(const Spec &) const override { return true; }
    bool isComponent() const override { return true; }
    Element evaluateAt(const Node &node, const Env &env) const override
    {
        const auto state = sharedViewState<StepState>(node);
        std::weak_ptr<StepState> weak = state;
        const bool isVisible = env[isIslandLayerVisible];
        const Gesture current = state->current.get();
        const int picked = state->picked.get();

        const Element demo = view(GestureDemo{current, isVisible})
                                 .transition(fadeBlur())
                                 .id(int(current))
                                 .frame(demoWidth, std::nullopt)
                                 .frame({.maxHeight = kit::infinity})
                                 .clipShape(RoundedRectangle(demoRadius, CornerStyle::continuous))
                                 .overlay(Stroke(RoundedRectangle(demoRadius - 0.5, CornerStyle::continuous), Color::white(0.08))
                                              .padding(0.5));
        Elements rows;
        for (int raw = 0; raw < gestureCount; ++raw) {
            const Gesture gesture = Gesture(raw);
            rows.push_back(view(GestureRow{gesture, gesture == current, [weak, gesture] {
                                               const auto s = weak.lock();
                                               if (!s)
                                                   return;
                                               withAnimation(Motion::small, [&] { s->current = gesture; });
                                               s->picked = s->picked.peek() + 1;
                                           }}));
        }
        // The rows and the header rest while the demonstration beside them moves.
        const Element list = VStack({.alignment = Alignment::leading(), .spacing = 2}, std::move(rows))
                                 .keptWhileStill()
                                 .frame({.maxWidth = kit::infinity, .alignment = Alignment::leading()});
        const Element row = HStack({.alignment = Alignment::center(), .spacing = 12}, demo, list).frame(std::nullopt, contentHeight);
        return VStack({.alignment = Alignment::center(), .spacing = 0},
                      view(StepHeader{QStringLiteral("Here's how to handle me."), QStringLiteral("Try these on me once the tour is over.")})
                          .keptWhileStill(),
                      row)
            .animation(Motion::small, int(current))
            .task(GesturesStep::walkKey(isVisible, picked), [weak, isVisible](Task &task) {
                if (isVisible)
                    walk(task, weak);
            });
    }
};

bool isGesturesStepNode(const Node *node) { return std::string_view(node->spec().kind()) == specKind; }

}  // namespace

const GesturesStep::Info &GesturesStep::info(Gesture gesture) { return infos[int(gesture)]; }

QString GesturesStep::walkKey(bool isVisible, int picked)
{
    return QStringLiteral("%1-%2").arg(isVisible ? QStringLiteral("true") : QStringLiteral("false")).arg(picked);
}

Element GesturesStep::body(const Env &) const { return Element(std::make_shared<const GesturesStepSpec>()); }

Element GestureRow::body(const Env &) const
{
    const GesturesStep::Info &row = GesturesStep::info(gesture);
    const Element label = HStack({.alignment = Alignment::center(), .spacing = 8},
                                 Symbol(QString::fromLatin1(row.symbol), 11, Weight::semibold).frame(18, std::nullopt),
                                 Text(QString::fromLatin1(row.caption), Font::system(12, isCurrent ? Weight::semibold : Weight::medium)).layoutPriority(1),
                                 Spacer())
                              .foreground(Color::white(isCurrent ? 1.0 : 0.5))
                              .padding(Edges::horizontal(8))
                              .frame(std::nullopt, rowHeight)
                              .background(Fill(RoundedRectangle(rowRadius, CornerStyle::continuous), Color::white(isCurrent ? 0.1 : 0)))
                              .contentShape(Rectangle());
    return clickableCursor(Button(label, action, [](Element l, bool) { return l; }), false);
}

std::optional<Gesture> shownCurrentGesture(const Tree &tree)
{
    std::function<std::optional<Gesture>(const Node *)> find = [&](const Node *node) -> std::optional<Gesture> {
        if (!node || node->isLeaving())
            return std::nullopt;
        if (isGesturesStepNode(node))
            if (const auto *state = std::any_cast<std::shared_ptr<StepState>>(&node->state))
                return (*state)->current.peek();
        for (const auto &child : node->children())
            if (auto found = find(child.get()))
                return found;
        return std::nullopt;
    };
    return find(tree.root());
}

bool isInsideGesturesStep(const Node *node)
{
    for (const Node *n = node; n; n = n->parent())
        if (isGesturesStepNode(n))
            return true;
    return false;
}

}  // namespace vesk
