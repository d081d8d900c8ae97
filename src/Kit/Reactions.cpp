// Change observers, keyed tasks and periodic timelines: views reacting to time and change.
#include "Kit/Element.h"
#include "Kit/Node.h"
#include "Kit/Task.h"
#include "Kit/Tree.h"

#include "Base/Clock.h"

#include <cmath>

namespace kit {

namespace {

template <typename S, typename... A>
Element make(A &&...args)
{
    return Element(std::make_shared<const S>(std::forward<A>(args)...));
}

class OnChangeSpec final : public Spec {
public:
    OnChangeSpec(Element child, AnyValue value, std::function<void(const AnyValue &, const AnyValue &)> action, bool initial)
        : value(std::move(value)), action(std::move(action)), initial(initial)
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "OnChange"; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const OnChangeSpec &>(other);
        return value == o.value && initial == o.initial;
    }
    bool isTransparent() const override { return true; }
    void apply(Node &, const Spec *previous, ReconcileContext &ctx) const override
    {
        // Observers run once the update is committed, so what they write starts a new one.
        const auto *old = static_cast<const OnChangeSpec *>(previous);
        if (!old && initial)
            ctx.tree.afterCommit([fn = action, v = value] { fn(v, v); });
        else if (old && !(old->value == value))
            ctx.tree.afterCommit([fn = action, o = old->value, v = value] { fn(o, v); });
    }
    AnyValue value;
    std::function<void(const AnyValue &, const AnyValue &)> action;
    bool initial;
};

class TaskSpec final : public Spec {
public:
    TaskSpec(Element child, AnyValue key, std::function<void(Task &)> body) : key(std::move(key)), body(std::move(body))
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Task"; }
    bool sameProperties(const Spec &other) const override { return key == static_cast<const TaskSpec &>(other).key; }
    bool isTransparent() const override { return true; }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override
    {
        const auto *old = static_cast<const TaskSpec *>(previous);
        if (old && old->key == key)
            return;
        // A new key cancels the running task before the next one starts.
        if (auto *running = std::any_cast<std::shared_ptr<Task>>(&node.state))
            (*running)->cancel();
        auto task = std::make_shared<Task>();
        node.state = task;
        std::weak_ptr<Task> weak = task;
        ctx.tree.afterCommit([weak, fn = body] {
            if (auto t = weak.lock(); t && !t->isCancelled())
                fn(*t);
        });
    }
    void describe(const Node &, QString &out) const override { out += QStringLiteral(" key=") + key.describe(); }
    AnyValue key;
    std::function<void(Task &)> body;
};

// Lives in the node of an onAppear/onDisappear element: it reports the disappearance when the
// node goes.
struct Presence {
    std::function<void()> onDisappear;
    ~Presence()
    {
        if (onDisappear)
            vesk::mainQueue().post(std::move(onDisappear));
    }
};

class PresenceSpec final : public Spec {
public:
    PresenceSpec(Element child, std::function<void()> appear, std::function<void()> disappear)
        : appear(std::move(appear)), disappear(std::move(disappear))
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Presence"; }
    bool sameProperties(const Spec &) const override { return true; }
    bool isTransparent() const override { return true; }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override
    {
        if (!previous) {
            node.state = std::make_shared<Presence>();
            if (appear)
                ctx.tree.afterCommit(appear);
        }
        // The latest description's action is the one that runs.
        if (auto *presence = std::any_cast<std::shared_ptr<Presence>>(&node.state))
            (*presence)->onDisappear = disappear;
    }
    std::function<void()> appear;
    std::function<void()> disappear;
};

class TimelineSpec final : public Spec {
public:
    TimelineSpec(double period, std::function<Element(double)> content) : period(period), content(std::move(content)) {}
    const char *kind() const override { return "Timeline"; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }
    void apply(Node &node, const Spec *, ReconcileContext &ctx) const override
    {
        if (period <= 0)
            ctx.tree.runEveryFrame(node);
    }
    bool wantsFrames(const Node &, double) const override { return period <= 0; }
    Element evaluateAt(const Node &node, const Env &) const override
    {
        const double wall = vesk::appClock().wallNow();
        if (period <= 0)
            return content(wall);  // described again on every frame while shown
        const double p = std::max(0.001, period);
        const double entry = std::floor(wall / p + 1e-9) * p;
        // The next entry is due at the next multiple of the period; it re-describes the content
        // without animation. The wait lives in the node, so it ends with it.
        Tree *tree = &node.tree();
        Node *target = const_cast<Node *>(&node);
        node.state = std::make_shared<vesk::WorkItem>(vesk::mainQueue().at(entry + p, [tree, target] {
            withoutAnimation([&] { tree->invalidate(*target); });
        }));
        return content(entry);
    }
    double period;
    std::function<Element(double)> content;
};

}  // namespace

Element Element::withOnChange(AnyValue value, std::function<void(const AnyValue &, const AnyValue &)> action, bool initial) const
{
    return make<OnChangeSpec>(*this, std::move(value), std::move(action), initial);
}

Element Element::onAppear(std::function<void()> action) const
{
    return make<PresenceSpec>(*this, std::move(action), nullptr);
}

Element Element::onDisappear(std::function<void()> action) const
{
    return make<PresenceSpec>(*this, nullptr, std::move(action));
}

Element Element::withTask(AnyValue key, std::function<void(Task &)> body) const
{
    return make<TaskSpec>(*this, std::move(key), std::move(body));
}

Element Timeline(double period, std::function<Element(double)> content)
{
    return make<TimelineSpec>(period, std::move(content));
}

}  // namespace kit
