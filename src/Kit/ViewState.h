#pragma once

#include "Kit/Element.h"
#include "Kit/Node.h"

#include <functional>
#include <memory>
#include <utility>

namespace kit {

// The private state a view keeps in its retained node between descriptions (hover, a press count,
// a pending wait). The first call for a node makes a `T` from `args`; later calls for that node
// hand back the same `T`, whatever `args` say then. A node holding state of another type gets a
// new `T` in its place. The state ends with the node, so a wait it holds is cancelled when the
// view goes; callbacks that may outlive the node hold it through a weak pointer.
template <typename T, typename... Args>
std::shared_ptr<T> sharedViewState(const Node &node, Args &&...args)
{
    if (const auto *held = std::any_cast<std::shared_ptr<T>>(&node.state))
        return *held;
    auto made = std::make_shared<T>(std::forward<Args>(args)...);
    node.state = made;
    return made;
}

// The same state by reference, for code that holds it no longer than the node.
template <typename T, typename... Args>
T &viewState(const Node &node, Args &&...args)
{
    return *sharedViewState<T>(node, std::forward<Args>(args)...);
}

// A component whose private `State` lives in its node: `describe` gets the same `State` on every
// description for as long as the node is shown, and reading an Observed field of it there
// describes the view again when that field changes. `kind` names the node in dumps.
template <typename State>
Element withViewState(const char *kind, std::function<Element(const std::shared_ptr<State> &)> describe)
{
    class StateSpec final : public Spec {
    public:
        StateSpec(const char *kind, std::function<Element(const std::shared_ptr<State> &)> describe)
            : kind_(kind), describe_(std::move(describe))
        {
        }
        const char *kind() const override { return kind_; }
        bool sameProperties(const Spec &) const override { return false; }
        bool isComponent() const override { return true; }
        Element evaluateAt(const Node &node, const Env &) const override
        {
            return describe_(sharedViewState<State>(node));
        }

    private:
        const char *kind_;
        std::function<Element(const std::shared_ptr<State> &)> describe_;
    };
    return Element(std::make_shared<const StateSpec>(kind, std::move(describe)));
}

}  // namespace kit
