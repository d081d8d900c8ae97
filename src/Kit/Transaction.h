#pragma once

#include "Kit/Animation.h"

#include <functional>
#include <memory>
#include <optional>

namespace kit {

// The animation context of a change. Changes made inside withAnimation() animate with that
// animation; changes inside withoutAnimation() jump, even where an implicit animation would apply.
struct Transaction {
    std::optional<Animation> animation;
    bool disablesAnimations = false;
    // Held by every motion the transaction starts; when the last one ends (or none started) the
    // completion of withAnimation() runs, on a later turn of the main queue.
    std::shared_ptr<void> completion;

    // The transaction in force on this thread (an empty one outside any block).
    static const Transaction &current();
};

void withAnimation(const Animation &animation, const std::function<void()> &body);
// Runs `completion` once everything the change animated has come to rest.
void withAnimation(const Animation &animation, const std::function<void()> &body, std::function<void()> completion);
void withoutAnimation(const std::function<void()> &body);
void withTransaction(const Transaction &transaction, const std::function<void()> &body);

}  // namespace kit
