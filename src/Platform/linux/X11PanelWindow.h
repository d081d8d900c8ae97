#pragma once

#include "Base/MainQueue.h"
#include "Platform/PanelWindow.h"

#include <X11/Xlib.h>
// X.h names a constant CursorShape, which hides Qt::CursorShape; nothing here needs X's.
#undef CursorShape

#include <map>
#include <utility>
#include <vector>

namespace vesk {

class X11EventConnection;

// The panel as a plain X11 window with a 32-bit ARGB visual, managed by the window manager as a
// dock that stays above everything on every workspace (EWMH), drawn with XPutImage and shaped with
// the X Shape extension. Pointer, wheel and touchpad input come through XInput 2.
class X11PanelWindow final : public PanelWindow {
public:
    explicit X11PanelWindow(X11EventConnection &connection);
    ~X11PanelWindow() override;

    void setFrame(const QRect &frame) override;
    QRect frame() const override { return frame_; }
    void updateContent(const QImage &image, const QRegion &changed) override;
    void drawContent(const std::function<QRegion(QImage &)> &draw) override;
    void setOpacity(double opacity) override;
    double opacity() const override { return opacity_; }
    void show() override;
    void hide() override;
    bool isVisible() const override { return visible_; }
    void setShapeRegion(const QRegion &region) override;
    void setIgnoresPointer(bool ignores) override;
    bool ignoresPointer() const override { return ignoresPointer_; }
    void setKeyboardFocus(bool focused) override;
    bool hasKeyboardFocus() const override { return focused_; }
    void setCursor(Qt::CursorShape shape) override;
    void showTooltip(const QString &text, QPointF pixel) override;
    void hideTooltip() override;
    Qt::CursorShape cursor() const override { return cursorShape_; }
    std::uint64_t nativeId() const override { return window_; }

    // Device units of a touchpad's smooth-scroll valuator are the driver's "increments"; one
    // increment is taken as this many points of finger travel. It is the one calibration of
    // touchpad deltas: the island's thresholds (70 points to skip a track, 40 or 60 to step) are
    // in points.
    static constexpr double touchpadPointsPerIncrement = 15.0;

private:
    struct ScrollAxisInfo {
        int number = 0;
        bool vertical = true;
        double increment = 1;
    };
    struct DeviceInfo {
        bool touchpad = false;
        bool natural = false;
        std::vector<ScrollAxisInfo> axes;
        std::map<int, double> lastValue;  // valuator number -> last absolute value
    };

    void handle(XEvent &event);
    void handleInput(int type, void *data);
    DeviceInfo &device(int id);
    // Sends all that is shown.
    void paint();
    // Sends `area` (window pixels) of what is shown, without flushing.
    void send(const QRect &area);
    // Shows `copied` (content pixels just changed): the outline and the window's pixels there.
    void present(const QRegion &copied, bool resized);
    void releaseEmptyPagesLater(const QRegion &copied, bool resized);
    // The outline (the window's bounding shape) and the input shape.
    void applyShape();
    // The outline alone, sent only when it changed.
    void applyOutline();
    // The outline from the rows' opaque runs, read afresh when they are missing.
    std::vector<XRectangle> outlineRectangles();
    void setProperties();

    X11EventConnection &connection_;
    Display *display_;
    Window window_ = 0;
    Colormap colormap_ = 0;
    GC gc_ = nullptr;
    int depth_ = 24;
    Visual *visual_ = nullptr;
    QRect frame_{0, 0, 1, 1};
    QImage content_;  // the window's own copy of its content, shared with nothing
    QImage shown_;    // content_ with opacity_ applied, while that is between 0 and 1
    // Hands content_'s empty pages back once large changes have settled (releaseEmptyPagesLater()).
    WorkItem releaseEmpty_;
    double opacity_ = 1;
    bool visible_ = false;
    bool focused_ = false;
    bool ignoresPointer_ = false;
    QRegion shape_;
    // The opaque runs of each row of content_, and the outline last sent while nothing composites.
    std::vector<std::vector<std::pair<int, int>>> rowRuns_;
    std::vector<XRectangle> outline_;
    bool outlineSent_ = false;
    Window previousFocus_ = 0;
    Qt::CursorShape cursorShape_ = Qt::ArrowCursor;
    std::map<int, unsigned long> cursors_;  // Qt shape -> X cursor
    std::map<int, DeviceInfo> devices_;
    Connection eventConnection_;
    Connection compositorConnection_;
};

}  // namespace vesk
