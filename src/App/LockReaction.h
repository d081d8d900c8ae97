#pragma once

#include "Model/IslandLayout.h"

#include <memory>
#include <vector>

namespace vesk {

// What the application does with the islands when the session locks and unlocks. The delegate and
// island-script both run it, so a scripted lock hides the islands exactly as the application does.
// Main thread only.
class LockReaction {
public:
    // Locked: every island closes (without haptics) and its window goes off the screen. Unlocked:
    // every island is placed again on its display and its window comes to the front.
    void apply(const std::vector<std::shared_ptr<IslandWindow>> &islands, bool locked);
    bool isLocked() const { return locked_; }

    // Makes the island windows through `inner` and hands each the lock state as it is made, so an
    // island born while locked (a display plugged in meanwhile) stays hidden until the unlock.
    class Windows final : public IslandWindowFactory {
    public:
        Windows(IslandWindowFactory &inner, const LockReaction &reaction) : inner_(inner), reaction_(reaction) {}
        std::shared_ptr<IslandWindow> makeIsland(std::shared_ptr<NotchViewModel> model, uint32_t display,
                                                 IslandStyle style) override;

    private:
        IslandWindowFactory &inner_;
        const LockReaction &reaction_;
    };

private:
    bool locked_ = false;
};

}  // namespace vesk
