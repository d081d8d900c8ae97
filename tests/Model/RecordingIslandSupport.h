#pragma once

#include "Model/IslandLayout.h"
#include "Model/NotchViewModel.h"

#include <memory>
#include <vector>

namespace vesk::test {

// An island window that only records what the layout asks of it.
struct RecordingWindow final : IslandWindow {
    RecordingWindow(std::shared_ptr<NotchViewModel> m, uint32_t d, IslandStyle s) : modelRef(std::move(m)), displayNumber(d), islandStyle(s) {}
    NotchViewModel &model() const override { return *modelRef; }
    uint32_t display() const override { return displayNumber; }
    IslandStyle style() const override { return islandStyle; }
    void setStyle(IslandStyle s) override { islandStyle = s; }
    void reposition() override { ++repositions; }
    void close() override { closed = true; }
    void setHiddenWhileLocked(bool h) override { hidden = h; }

    std::shared_ptr<NotchViewModel> modelRef;
    uint32_t displayNumber;
    IslandStyle islandStyle;
    int repositions = 0;
    bool closed = false;
    bool hidden = false;
};

// Makes recording windows and keeps every one it made, in order.
struct RecordingFactory final : IslandWindowFactory {
    std::shared_ptr<IslandWindow> makeIsland(std::shared_ptr<NotchViewModel> model, uint32_t display, IslandStyle style) override
    {
        auto window = std::make_shared<RecordingWindow>(std::move(model), display, style);
        made.push_back(window);
        return window;
    }
    std::vector<std::shared_ptr<RecordingWindow>> made;
};

}  // namespace vesk::test
