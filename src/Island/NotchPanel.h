#pragma once

#include "Base/MainQueue.h"
#include "Model/IslandMetrics.h"
#include "Platform/PanelWindow.h"

#include <QImage>
#include <QRectF>

#include <functional>
#include <optional>
#include <memory>

namespace vesk {

// The window that carries one island: a fixed 760 x 300 point area at the top centre of its
// display, transparent except for what the island draws, above every other window. The island
// grows and shrinks inside it; the panel itself never changes size.
//
// Positions are in desktop points with the origin at the top left of the whole desktop; `scale`
// gives the device pixels per point of the panel's display. Main thread only.
class NotchPanel {
public:
    static constexpr double width = IslandMetrics::panelWidth;
    static constexpr double height = IslandMetrics::panelHeight;
    static constexpr double fadeInDuration = 0.35;
    static constexpr double fadeOutDuration = 0.3;

    explicit NotchPanel(std::unique_ptr<PanelWindow> window = makePanelWindow());
    ~NotchPanel();
    NotchPanel(const NotchPanel &) = delete;
    NotchPanel &operator=(const NotchPanel &) = delete;

    // Places the panel at `frame` (only its top-left corner counts: the size is fixed). The window's
    // top-left pixel is `pixelTopLeft`, or the frame's corner times the scale when not given (a
    // desktop whose displays share one scale).
    void setFrame(const QRectF &frame, double scale = 1.0, std::optional<QPointF> pixelTopLeft = std::nullopt);
    QRectF frame() const { return frame_; }
    double scale() const { return scale_; }

    // What the island view drew, at the panel's pixel size (760 x 300 times the scale).
    void setContent(const QImage &image);
    // The same when only `changed` (panel pixels) differs from what was set last.
    void updateContent(const QImage &image, const QRegion &changed);
    void drawContent(const std::function<QRegion(QImage &)> &draw);

    // Orders the panel front and fades it in from transparent over 0.35 s.
    void fadeIn();
    // Fades the panel out over 0.3 s, then orders it out and calls `done`.
    void fadeOut(std::function<void()> done = {});
    // The opacity currently applied to the window.
    double alpha() const { return alpha_; }
    bool isFading() const { return fadeTick_.isPending(); }

    void orderFront();
    void orderOut();
    bool isVisible() const { return window_->isVisible(); }

    // The area, in desktop points, that takes the pointer when the panel does not ignore it.
    void setHitArea(const QRectF &area);
    QRectF hitArea() const { return hitArea_; }
    void setIgnoresMouseEvents(bool ignores);
    bool ignoresMouseEvents() const { return window_->ignoresPointer(); }

    // Key status: the panel takes the keyboard only while the tour runs in it.
    void makeKey() { window_->setKeyboardFocus(true); }
    void resignKey() { window_->setKeyboardFocus(false); }
    bool isKey() const { return window_->hasKeyboardFocus(); }

    PanelWindow &window() { return *window_; }
    const PanelWindow &window() const { return *window_; }

private:
    void animateAlpha(double target, double duration, std::function<void()> done);
    void step();
    void setAlpha(double alpha);

    std::unique_ptr<PanelWindow> window_;
    QRectF frame_;
    double scale_ = 1;
    QRectF hitArea_;
    double alpha_ = 1;

    struct Fade {
        double from = 0;
        double to = 1;
        double start = 0;
        double duration = 0;
        std::function<void()> done;
    } fade_;
    WorkItem fadeTick_;
};

}  // namespace vesk
