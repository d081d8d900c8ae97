#pragma once

#include "Kit/Kit.h"
#include "Kit/Node.h"

#include <functional>
#include <memory>
#include <optional>
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

// A GeometryReader that describes its content once per size. Every layout of the island runs a
// reader's content again (a scrubber tick lays out the whole page); offered the size it was given
// last, this one hands back the very description it made then, which the tree neither reconciles
// nor repaints. `content` must depend on nothing but the size and what it captured.
inline kit::Element sizedReader(std::function<kit::Element(QSizeF)> content)
{
    struct Last {
        std::optional<QSizeF> size;
        kit::Element element;
    };
    auto last = std::make_shared<Last>();
    return kit::GeometryReader([content = std::move(content), last](QSizeF size) {
        if (!last->size || last->size->width() != size.width() || last->size->height() != size.height()) {
            last->element = content(size);
            last->size = size;
        }
        return last->element;
    });
}

}  // namespace vesk
