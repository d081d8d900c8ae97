#pragma once

#include "App/IslandLayout.h"
#include "Island/IslandInput.h"
#include "Island/NotchPanel.h"
#include "Island/NotchWindowModel.h"
#include "Platform/Observed.h"
#include "Platform/PointerMonitor.h"
#include "Platform/Screens.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// Carries one island on its display: places the panel at the display's top centre, fades it in
// and out, feeds pointer, press and scroll input to the input rules, re-runs the hit test whenever
// the island changes size or state, and gives the panel the keyboard while the tour runs in it.
//
// Main thread only.
class NotchWindowController final : public IslandWindow {
public:
    // What the controller uses of the desktop; tests substitute simulated ones.
    struct Services {
        Screens *screens;  // the installed service when null
        std::function<std::unique_ptr<PanelWindow>()> makeWindow;
        std::function<std::unique_ptr<PointerMonitor>()> makeMonitor;
        // Haptics of the island the user touches; the island model's performer when empty.
        std::function<void(HapticPattern)> performHaptic;
        // Sends the next (true) or previous track command; empty until playback commands exist.
        std::function<void(bool next)> sendSkipCommand;
        static Services desktop() { return {nullptr, makePanelWindow, makePointerMonitor, {}, {}}; }
    };

    // Builds the island window of `model` on display `display` and shows it on the next turn of the
    // main queue, fading in, unless it is hidden first (`hidden`, or setHiddenWhileLocked(true)
    // right after construction): an island made while the screen is locked never flashes up.
    NotchWindowController(std::shared_ptr<NotchViewModel> model, uint32_t display, IslandStyle style,
                          Services services = Services::desktop(), bool hidden = false);
    // The same for any model behind the window's interface (tests); model() is then unavailable.
    NotchWindowController(NotchWindowModel &model, uint32_t display, IslandStyle style,
                          Services services = Services::desktop(), bool hidden = false);
    ~NotchWindowController() override;
    NotchWindowController(const NotchWindowController &) = delete;
    NotchWindowController &operator=(const NotchWindowController &) = delete;

    NotchViewModel &model() const override;
    NotchWindowModel &windowModel() const { return model_; }
    uint32_t display() const override { return display_; }
    IslandStyle style() const override { return style_; }
    void setStyle(IslandStyle style) override { style_ = style; }
    const std::optional<Screen> &screen() const { return screen_; }

    // Finds the display's screen, lets the model measure it and places the panel; nothing changes
    // when the display is not connected.
    void reposition() override;
    // Stops the window for good: input monitors removed, island closed, panel faded out.
    void close() override;
    bool isClosed() const { return isClosed_; }

    // While the screen is locked the panel stays off the screen (a window mapped then would show
    // above the locker); afterwards it is ordered front where it was last placed.
    void setHiddenWhileLocked(bool hidden) override;
    bool isHiddenWhileLocked() const { return hidden_; }

    NotchPanel &panel() { return *panel_; }
    IslandInput &input() { return input_; }

private:
    NotchWindowController(std::shared_ptr<NotchViewModel> owner, std::unique_ptr<NotchWindowModel> binding,
                          NotchWindowModel *model, uint32_t display, IslandStyle style, Services services,
                          bool hidden);
    void trackIslandSize();
    void sizeChanged();
    void updateKeyStatus();
    void drawIsland();
    void installMonitors();
    void onActivity(const PointerActivity &activity);
    QPointF toPoints(QPointF pixel) const;

    std::shared_ptr<NotchViewModel> owner_;
    std::unique_ptr<NotchWindowModel> binding_;
    NotchWindowModel &model_;
    uint32_t display_;
    IslandStyle style_;
    Services services_;
    std::shared_ptr<NotchPanel> panel_;  // shared: a closing panel finishes its fade on its own
    std::optional<Screen> screen_;
    IslandInput input_;
    ScrollPhaseSynthesizer scrollPhases_;
    std::unique_ptr<PointerMonitor> monitor_;
    std::vector<Connection> monitors_;
    ObservationTracking sizeTracking_;
    WorkItem sizeStep_;
    WorkItem appear_;
    bool hidden_ = false;
    bool isClosed_ = false;
};

// Makes the window controllers of the island layout.
class NotchWindowFactory final : public IslandWindowFactory {
public:
    explicit NotchWindowFactory(NotchWindowController::Services services = NotchWindowController::Services::desktop())
        : services_(std::move(services))
    {
    }
    std::shared_ptr<IslandWindow> makeIsland(std::shared_ptr<NotchViewModel> model, uint32_t display,
                                             IslandStyle style) override;

private:
    NotchWindowController::Services services_;
};

}  // namespace vesk
