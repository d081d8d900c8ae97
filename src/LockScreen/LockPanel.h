#pragma once

#include "Diagnostics/WindowSnapshot.h"
#include "Kit/Tree.h"
#include "Base/MainQueue.h"
#include "Platform/PanelWindow.h"
#include "Platform/Screens.h"

#include <QRectF>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// One window of the lock screen: a panel window of a fixed size in points that shows one Kit tree.
// Pointer input passes through it unless it takes the mouse, and then only over its hit area. It
// paints only while it is on the screen. Main thread only.
class LockPanel {
public:
    using MakeWindow = std::function<std::unique_ptr<PanelWindow>()>;

    LockPanel(std::unique_ptr<PanelWindow> window, QSizeF size, kit::Element root);
    LockPanel(const LockPanel &) = delete;
    LockPanel &operator=(const LockPanel &) = delete;

    // Places the window with its top-left corner at `topLeft` (desktop points, y down) on `screen`,
    // whose scale it paints at.
    void place(const Screen &screen, QPointF topLeft);
    // Desktop points, y down; absent until placed.
    std::optional<QRectF> frame() const { return frame_; }

    void setOnScreen(bool onScreen);
    bool isOnScreen() const { return window_->isVisible(); }

    void setIgnoresMouse(bool ignores);
    bool ignoresMouse() const { return window_->ignoresPointer(); }
    // Where the window takes the mouse, in its own points (the whole window when empty).
    void setHitArea(const QRectF &area);

    kit::Tree &tree() { return tree_; }
    const kit::Tree &tree() const { return tree_; }
    PanelWindow &window() { return *window_; }
    WindowSnapshot::Window snapshotWindow() const;

    // After every paint request of the tree (a change or an animation frame), on or off the screen.
    std::function<void()> onNeedsDisplay;

private:
    void paint();
    void routePointer(const PanelPointerEvent &event);
    void applyHitArea();

    std::unique_ptr<PanelWindow> window_;
    kit::Tree tree_;
    std::optional<QRectF> frame_;
    double scale_ = 1;
    QRectF hitArea_;
    WorkItem paint_;
    Connection needsDisplay_;
    Connection pointer_;
};

}  // namespace vesk
