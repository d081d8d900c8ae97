#pragma once

#include "Island/IslandInput.h"
#include "Island/NotchPanel.h"
#include "Platform/Observed.h"
#include "Platform/PointerMonitor.h"
#include "Platform/Screens.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// The island model as its window sees it: the input rules' view plus what placing, drawing and key
// status need.
class NotchWindowModel : public IslandInputModel {
public:
    // Lets the model measure the display and take the style (staged: a style change is played as a
    // morph rather than a jump).
    virtual void updateNotch(const Screen &screen, Style style, bool staged) = 0;
    // Reads, in an observation tracking scope, what the window follows: the island's size, its
    // bubble, the tour page and the state.
    virtual void readTrackedFields() const = 0;
    // The onboarding tour runs in this island.
    virtual bool isOnboarding() const = 0;
    // Radius of the island's lower corners, for the plain shape drawn until the island view exists.
    virtual double cornerRadius() const = 0;
};

// Carries one island on its display: places the panel at the display's top centre, fades it in
// and out, feeds pointer, press and scroll input to the input rules, re-runs the hit test whenever
// the island changes size or state, and gives the panel the keyboard while the tour runs in it.
//
// Main thread only. The model must outlive the controller.
class NotchWindowController {
public:
    // What the controller uses of the desktop; tests substitute simulated ones.
    struct Services {
        Screens *screens;  // the installed service when null
        std::function<std::unique_ptr<PanelWindow>()> makeWindow;
        std::function<std::unique_ptr<PointerMonitor>()> makeMonitor;
        std::function<void(HapticPattern)> performHaptic;
        static Services desktop() { return {nullptr, makePanelWindow, makePointerMonitor, {}}; }
    };

    // Builds and shows the island window of display `display`. With `hidden` (the screen is locked)
    // the panel is placed but stays off the screen until showAfterUnlock().
    NotchWindowController(NotchWindowModel &model, uint32_t display, IslandInputModel::Style style,
                          Services services = Services::desktop(), bool hidden = false);
    ~NotchWindowController();
    NotchWindowController(const NotchWindowController &) = delete;
    NotchWindowController &operator=(const NotchWindowController &) = delete;

    NotchWindowModel &model() const { return model_; }
    uint32_t display() const { return display_; }
    IslandInputModel::Style style() const { return style_; }
    void setStyle(IslandInputModel::Style style) { style_ = style; }
    const std::optional<Screen> &screen() const { return screen_; }

    // Finds the display's screen, lets the model measure it and places the panel; nothing changes
    // when the display is not connected.
    void reposition();
    // Stops the window for good: input monitors removed, island closed, panel faded out.
    void close();
    bool isClosed() const { return isClosed_; }

    // The screen locked: the island closes and its panel leaves the screen. Unlocked: re-placed and
    // ordered front again (at its old place when its display has gone meanwhile).
    void hideForLock();
    void showAfterUnlock();

    NotchPanel &panel() { return *panel_; }
    IslandInput &input() { return input_; }

private:
    void trackIslandSize();
    void sizeChanged();
    void updateKeyStatus();
    void drawIsland();
    void installMonitors();
    void onActivity(const PointerActivity &activity);
    QPointF toPoints(QPointF pixel) const;

    NotchWindowModel &model_;
    uint32_t display_;
    IslandInputModel::Style style_;
    Services services_;
    std::unique_ptr<NotchPanel> panel_;
    std::optional<Screen> screen_;
    IslandInput input_;
    ScrollPhaseSynthesizer scrollPhases_;
    std::unique_ptr<PointerMonitor> monitor_;
    std::vector<Connection> monitors_;
    ObservationTracking sizeTracking_;
    WorkItem sizeStep_;
    bool hidden_ = false;
    bool isClosed_ = false;
};

}  // namespace vesk
