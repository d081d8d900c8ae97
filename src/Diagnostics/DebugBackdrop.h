#pragma once

#include <QImage>
#include <QRect>

#include <memory>

class QWidget;

namespace vesk {

// The window the lock screen is filmed and toggled over: a static picture in a frameless,
// input-transparent window outside the window manager's care, placed exactly at the bottom centre
// of the main screen. The colour variant (640 x 520, 40 points above the bottom) is stacked as an
// ordinary window; the monochrome one (920 x 600, on the bottom edge) stays above ordinary
// windows. Made hidden. Main thread only.
class DebugBackdrop {
public:
    // `mainScreen`: the main screen's frame in desktop points (y down); an empty rectangle when
    // there is no screen, which places the window at the origin.
    DebugBackdrop(bool monochrome, const QRect &mainScreen);
    ~DebugBackdrop();
    DebugBackdrop(const DebugBackdrop &) = delete;
    DebugBackdrop &operator=(const DebugBackdrop &) = delete;

    bool isMonochrome() const { return monochrome_; }
    // Where the window sits, in desktop points (y down).
    QRect frame() const { return frame_; }
    // Orders the window front (whatever window is active) or out.
    void show();
    void hide();
    bool isVisible() const { return visible_; }

    // The picture at `scale` pixels per point; painted once per scale.
    static QImage paint(bool monochrome, QSize size, double scale);
    static QRect placement(bool monochrome, const QRect &mainScreen);

private:
    void ensureWindow();

    bool monochrome_;
    QRect frame_;
    bool visible_ = false;
    std::unique_ptr<QWidget> window_;
};

}  // namespace vesk
