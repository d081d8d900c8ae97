#pragma once

#include "Kit/Animation.h"

#include <functional>
#include <optional>

namespace kit {

// The animation context of a change. Changes made inside withAnimation() animate with that
// animation; changes inside withoutAnimation() jump, even where an implicit animation would apply.
struct Transaction {
    std::optional<Animation> animation;
    bool disablesAnimations = false;

    // The transaction in force on this thread (an empty one outside any block).
    static const Transaction &current();
};

void withAnimation(const Animation &animation, const std::function<void()> &body);
void withoutAnimation(const std::function<void()> &body);
void withTransaction(const Transaction &transaction, const std::function<void()> &body);

}  // namespace kit
