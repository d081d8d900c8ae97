#include "Island/IslandLayer.h"

#include "Model/Motion.h"
#include "Island/IslandHover.h"
#include "Kit/Node.h"
#include "Kit/Tree.h"
#include "Kit/ViewState.h"
#include "Base/MainQueue.h"

#include <memory>
#include <optional>

namespace vesk {

using namespace kit;

namespace {

// What a layer container remembers between evaluations: the visibility it last saw and the
// pending change that follows a hide. It lives in the retained node, so it ends with it (and the
// pending change is cancelled with it).
template <typename Value>
struct Memory {
    std::optional<bool> lastVisible;
    Value value{};
    WorkItem pending;
};

// Runs `change` on the memory after `seconds` unless the visibility changes first, then describes
// the node again (without animation: nothing asked for one).
template <typename Value>
void later(Node &node, Memory<Value> &memory, double seconds, std::function<void(Value &)> change)
{
    Node *target = &node;
    memory.pending = mainQueue().after(seconds, [target, &memory, change = std::move(change)] {
        change(memory.value);
        target->tree().invalidate(*target);
    });
}

class MountedWhileShownSpec final : public Spec {
public:
    MountedWhileShownSpec(bool isVisible, std::function<Element()> content)
        : isVisible(isVisible), content(std::move(content))
    {
    }
    const char *kind() const override { return "MountedWhileShown"; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }
    void apply(Node &node, const Spec *, ReconcileContext &) const override
    {
        auto &m = viewState<Memory<bool>>(node);
        if (m.lastVisible == isVisible)
            return;
        m.lastVisible = isVisible;
        if (isVisible) {
            m.pending = WorkItem();
            m.value = true;
        } else if (m.value) {
            later<bool>(node, m, IslandLayerMetrics::unmountDelay, [](bool &mounted) { mounted = false; });
        }
    }
    Element evaluateAt(const Node &node, const Env &) const override
    {
        const bool mounted = isVisible || viewState<Memory<bool>>(node).value;
        return islandLayer(ZStack({}, mounted ? content() : Empty()), isVisible, 0);
    }
    bool isVisible;
    std::function<Element()> content;
};

class IslandWidthSpec final : public Spec {
public:
    IslandWidthSpec(Element content, double width, bool isVisible)
        : content(std::move(content)), width(width), isVisible(isVisible)
    {
    }
    const char *kind() const override { return "IslandWidth"; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }
    void apply(Node &node, const Spec *, ReconcileContext &) const override
    {
        auto &m = viewState<Memory<std::optional<double>>>(node);
        if (m.lastVisible == isVisible)
            return;
        m.lastVisible = isVisible;
        if (isVisible) {
            m.pending = WorkItem();
            m.value.reset();
        } else {
            const double kept = width;
            later<std::optional<double>>(node, m, IslandLayerMetrics::widthFreezeDelay,
                                         [kept](std::optional<double> &frozen) { frozen = kept; });
        }
    }
    Element evaluateAt(const Node &node, const Env &) const override
    {
        const auto &frozen = viewState<Memory<std::optional<double>>>(node).value;
        const double effective = isVisible ? width : frozen.value_or(width);
        return content.frame(effective, std::nullopt);
    }
    void describe(const Node &node, QString &out) const override
    {
        if (const auto &frozen = viewState<Memory<std::optional<double>>>(node).value)
            out += QStringLiteral(" frozen=") + QString::number(*frozen);
    }
    Element content;
    double width;
    bool isVisible;
};

}  // namespace

Element islandLayer(Element content, bool isVisible, double delay)
{
    const Animation blurCurve = isVisible ? Motion::contentFocus.delayed(delay) : Motion::contentBlurOut;
    const Animation fadeCurve = isVisible ? Motion::contentFadeIn.delayed(delay) : Motion::contentFadeOut;
    return content.blur(isVisible ? 0 : IslandLayerMetrics::hiddenBlur)
        .animated(blurCurve)
        .opacity(isVisible ? 1 : 0)
        .animated(fadeCurve)
        .allowsHitTesting(isVisible)
        .environment(isIslandLayerVisible, isVisible);
}

Element MountedWhileShown(bool isVisible, std::function<Element()> content)
{
    return Element(std::make_shared<const MountedWhileShownSpec>(isVisible, std::move(content)));
}

Element IslandWidth(Element content, double width, bool isVisible)
{
    return Element(std::make_shared<const IslandWidthSpec>(std::move(content), width, isVisible));
}

Element switchPulse(Element content, int version)
{
    using namespace IslandLayerMetrics;
    const UnitPoint leading = UnitPoint::leading();
    Transition insertion;
    insertion.insertion = {.opacity = 0, .scale = switchScale, .anchor = leading, .offsetY = switchRise};
    Transition removal;
    removal.removal = {.opacity = 0, .scale = switchScale, .anchor = leading, .offsetY = -switchRise};
    return ZStack({.alignment = Alignment::leading()},
                  content.transition(Transition::asymmetric(insertion, removal)).id(version))
        .animation(Motion::textSwitch, version);
}

}  // namespace vesk
