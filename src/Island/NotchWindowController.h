#pragma once

#include "Model/IslandLayout.h"
#include "Diagnostics/WindowSnapshot.h"
#include "Island/IslandAccessibility.h"
#include "Island/IslandInput.h"
#include "Island/NotchPanel.h"
#include "Island/NotchWindowModel.h"
#include "Kit/Tree.h"
#include "Base/Observed.h"
#include "Platform/PointerMonitor.h"
#include "Platform/Screens.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

// Carries one island on its display: places the panel at the display's top centre, hosts the
// island view in a Kit tree and paints the panel whenever the tree has a new frame (and only then:
// an island at rest paints nothing and wakes nothing), fades it in and out, feeds pointer, press
// and scroll input to the input rules, re-runs the hit test whenever the island changes size or
// state, and gives the panel the keyboard while the tour runs in it.
//
// Main thread only.
// How long the pointer rests before a tooltip shows.
inline constexpr double tooltipRestSeconds = 0.7;

class NotchWindowController final : public IslandWindow {
public:
    // What the controller uses of the desktop; tests substitute simulated ones.
    struct Services {
        Screens *screens;  // the installed service when null
        std::function<std::unique_ptr<PanelWindow>()> makeWindow;
        std::function<std::unique_ptr<PointerMonitor>()> makeMonitor;
        // Haptics of the island the user touches; the island model's performer when empty.
        std::function<void(HapticPattern)> performHaptic;
        // Sends the next (true) or previous track command; the island's now-playing service when empty.
        std::function<void(bool next)> sendSkipCommand;
        // Pops up a context menu the island view asked for at a desktop position in points; a
        // Qt menu when empty.
        std::function<void(const std::vector<kit::MenuItem> &, QPointF)> showMenu;
        static Services desktop() { return {nullptr, makePanelWindow, makePointerMonitor, {}, {}, {}}; }
    };

    // What the window draws: evaluated whenever the island changes size or state (a view that
    // compares equal to the last one costs nothing).
    using RootView = std::function<kit::Element()>;

    // Builds the window of the island behind `model` on display `display`, drawing `rootView`, and
    // shows it on the next turn of the main queue, fading in, unless it is hidden first (`hidden`,
    // or setHiddenWhileLocked(true) right after construction): an island made while the screen is
    // locked never flashes up.
    NotchWindowController(std::shared_ptr<NotchWindowModel> model, RootView rootView, uint32_t display,
                          IslandStyle style, Services services = Services::desktop(), bool hidden = false);
    // The window of an island model: the model seen through its binding, drawing the island view.
    static std::unique_ptr<NotchWindowController> forIsland(std::shared_ptr<NotchViewModel> model, uint32_t display,
                                                            IslandStyle style, Services services = Services::desktop(),
                                                            bool hidden = false);
    ~NotchWindowController() override;
    NotchWindowController(const NotchWindowController &) = delete;
    NotchWindowController &operator=(const NotchWindowController &) = delete;

    NotchViewModel &model() const override;
    NotchWindowModel &windowModel() const { return *model_; }
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

    // The island view's node tree at the panel's 760 x 300 points. A model given only through the
    // window's interface has no island view: its tree holds the plain black outline at the
    // model's size.
    const kit::Tree &tree() const { return tree_; }
    // Times the panel's pixels were painted from the tree (frames in which something changed).
    uint64_t paintCount() const { return paintCount_; }

    // The visible controls with a spoken name, in desktop pixels, as screen readers get them.
    std::vector<IslandAccessibility::Control> accessibleControls() const;

    // What a snapshot of this island's window needs: its tree, visibility, frame and scale.
    WindowSnapshot::Window snapshotWindow() const;
    void writeSnapshot(const std::string &path, bool withBackground) const;
    // Writes the island's node tree as layer-dump text; a failed write is ignored.
    void writeLayerTree(const std::string &path) const;

private:
    void trackIslandSize();
    void sizeChanged();
    void updateKeyStatus();
    void needsPaint();
    void paint();
    void routeToView(const PanelPointerEvent &event);
    // Tooltips: shown after the pointer rests over something that has one, hidden on leave,
    // press and when the pointer moves onto something else.
    void followTooltip(const PanelPointerEvent &event);
    void showMenu(const std::vector<kit::MenuItem> &items, QPointF at);
    void installMonitors();
    void onActivity(const PointerActivity &activity);
    QPointF toPoints(QPointF pixel) const;

    std::shared_ptr<NotchWindowModel> model_;
    RootView rootView_;
    uint32_t display_;
    IslandStyle style_;
    Services services_;
    std::shared_ptr<NotchPanel> panel_;  // shared: a closing panel finishes its fade on its own
    std::optional<Screen> screen_;
    kit::Tree tree_;
    std::unique_ptr<IslandAccessibility> accessibility_;  // after the tree and the panel it reads
    WorkItem paint_;
    uint64_t paintCount_ = 0;
    std::vector<Connection> viewConnections_;
    IslandInput input_;
    ScrollPhaseSynthesizer scrollPhases_;
    std::unique_ptr<PointerMonitor> monitor_;
    std::vector<Connection> monitors_;
    ObservationTracking sizeTracking_;
    WorkItem sizeStep_;
    WorkItem appear_;
    WorkItem tooltipRest_;
    std::optional<QString> tooltipShown_;
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
