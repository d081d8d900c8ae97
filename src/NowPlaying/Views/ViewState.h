#pragma once

#include "Kit/Kit.h"
#include "Kit/Node.h"

#include <functional>
#include <memory>
#include <utility>

namespace vesk {

// A view whose private state (hover, drag, a press count) lives in its retained node: `describe`
// gets the same `State` on every description for as long as the node is shown, and reading an
// Observed field of it there describes the view again when that field changes.
template <typename State>
kit::Element withViewState(const char *kind, std::function<kit::Element(const std::shared_ptr<State> &)> describe)
{
    class StateSpec final : public kit::Spec {
    public:
        StateSpec(const char *kind, std::function<kit::Element(const std::shared_ptr<State> &)> describe)
            : kind_(kind), describe_(std::move(describe))
        {
        }
        const char *kind() const override { return kind_; }
        bool sameProperties(const kit::Spec &) const override { return false; }
        bool isComponent() const override { return true; }
        kit::Element evaluateAt(const kit::Node &node, const kit::Env &) const override
        {
            auto &slot = const_cast<kit::Node &>(node).state;
            if (!std::any_cast<std::shared_ptr<State>>(&slot))
                slot = std::make_shared<State>();
            return describe_(std::any_cast<std::shared_ptr<State>>(slot));
        }

    private:
        const char *kind_;
        std::function<kit::Element(const std::shared_ptr<State> &)> describe_;
    };
    return kit::Element(std::make_shared<const StateSpec>(kind, std::move(describe)));
}

}  // namespace vesk
