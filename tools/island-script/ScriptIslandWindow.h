#pragma once

#include "Model/IslandLayout.h"
#include "Model/NotchViewModel.h"

#include <memory>

// An island window without a window: it does what the controller does for the model (measuring
// its screen on every placement) and nothing on screen.
class ScriptIslandWindow final : public vesk::IslandWindow {
public:
    ScriptIslandWindow(std::shared_ptr<vesk::NotchViewModel> model, uint32_t display, vesk::IslandStyle style)
        : model_(std::move(model)), display_(display), style_(style)
    {
        reposition();
    }

    vesk::NotchViewModel &model() const override { return *model_; }
    uint32_t display() const override { return display_; }
    vesk::IslandStyle style() const override { return style_; }
    void setStyle(vesk::IslandStyle style) override { style_ = style; }
    void reposition() override
    {
        if (closed_)
            return;
        if (auto screen = vesk::screens().screen(display_))
            model_->updateNotch(*screen, style_, true);
    }
    void close() override
    {
        closed_ = true;
        model_->close(false);
    }

private:
    std::shared_ptr<vesk::NotchViewModel> model_;
    uint32_t display_;
    vesk::IslandStyle style_;
    bool closed_ = false;
};

class ScriptIslandFactory final : public vesk::IslandWindowFactory {
public:
    std::shared_ptr<vesk::IslandWindow> makeIsland(std::shared_ptr<vesk::NotchViewModel> model, uint32_t display,
                                                   vesk::IslandStyle style) override
    {
        return std::make_shared<ScriptIslandWindow>(std::move(model), display, style);
    }
};
