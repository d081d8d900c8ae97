#include "App/LockReaction.h"

#include "Model/NotchViewModel.h"

namespace vesk {

void LockReaction::apply(const std::vector<std::shared_ptr<IslandWindow>> &islands, bool locked)
{
    locked_ = locked;
    for (const auto &island : islands) {
        if (locked) {
            island->model().close(false);
            island->setHiddenWhileLocked(true);
        } else {
            island->reposition();
            island->setHiddenWhileLocked(false);
        }
    }
}

std::shared_ptr<IslandWindow> LockReaction::Windows::makeIsland(std::shared_ptr<NotchViewModel> model,
                                                                uint32_t display, IslandStyle style)
{
    auto island = inner_.makeIsland(std::move(model), display, style);
    if (island && reaction_.isLocked())
        island->setHiddenWhileLocked(true);
    return island;
}

}  // namespace vesk
