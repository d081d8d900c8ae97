#include "LockScreen/LockPanel.h"

#include "Kit/Transaction.h"

#include <QRegion>

#include <cmath>

namespace vesk {

LockPanel::LockPanel(std::unique_ptr<PanelWindow> window, QSizeF size, kit::Element root)
    : window_(std::move(window)), tree_(size)
{
    window_->setIgnoresPointer(true);
    tree_.setShown(false);
    kit::withoutAnimation([&] { tree_.setRoot(std::move(root)); });
    needsDisplay_ = tree_.needsDisplay.connect([this] {
        if (isOnScreen() && !paint_.isPending())
            paint_ = mainQueue().after(0, [this] { paint(); });
        if (onNeedsDisplay)
            onNeedsDisplay();
    });
    pointer_ = window_->pointer.connect([this](const PanelPointerEvent &e) { routePointer(e); });
}

void LockPanel::place(const Screen &screen, QPointF topLeft)
{
    const QSizeF size = tree_.size();
    frame_ = QRectF(topLeft, size);
    scale_ = screen.scale > 0 ? screen.scale : 1;
    const QPointF pixel = screen.pixelFrame.topLeft() + (topLeft - screen.frame.topLeft()) * scale_;
    window_->setFrame(QRect(int(std::lround(pixel.x())), int(std::lround(pixel.y())),
                            int(std::ceil(size.width() * scale_)), int(std::ceil(size.height() * scale_))));
    applyHitArea();
    if (isOnScreen())
        paint();
}

void LockPanel::setOnScreen(bool onScreen)
{
    if (onScreen == isOnScreen())
        return;
    if (onScreen) {
        paint();  // the window never shows a stale frame
        window_->show();
    } else {
        paint_.cancel();
        window_->hide();
    }
    tree_.setShown(onScreen);
}

void LockPanel::setIgnoresMouse(bool ignores) { window_->setIgnoresPointer(ignores); }

void LockPanel::setHitArea(const QRectF &area)
{
    hitArea_ = area;
    applyHitArea();
}

void LockPanel::applyHitArea()
{
    const QRectF area = hitArea_.isEmpty() ? QRectF(QPointF(), tree_.size()) : hitArea_;
    const QRectF pixels(area.topLeft() * scale_, area.size() * scale_);
    window_->setShapeRegion(QRegion(pixels.toAlignedRect()));
}

void LockPanel::paint()
{
    paint_.cancel();
    window_->setContent(tree_.render(scale_));
}

void LockPanel::routePointer(const PanelPointerEvent &e)
{
    const QPointF local = e.position / scale_;
    kit::PointerEvent event;
    switch (e.kind) {
    case PanelPointerEvent::Kind::move: event = kit::PointerEvent::move(local); break;
    case PanelPointerEvent::Kind::press:
    case PanelPointerEvent::Kind::release: {
        if (e.button != 1)
            return;  // the card knows only clicks
        event = e.kind == PanelPointerEvent::Kind::press ? kit::PointerEvent::press(local, Qt::LeftButton)
                                                          : kit::PointerEvent::release(local, Qt::LeftButton);
        break;
    }
    case PanelPointerEvent::Kind::leave: event = kit::PointerEvent::leave(); break;
    }
    if (frame_)
        event.globalPosition = frame_->topLeft() + local;
    tree_.handlePointer(event);
    window_->setCursor(tree_.cursor());
}

WindowSnapshot::Window LockPanel::snapshotWindow() const
{
    // Drawn whether or not the window is on the screen: a snapshot shows what the panel would show.
    const QRectF frame = frame_.value_or(QRectF(QPointF(), tree_.size()));
    return {&tree_, true, frame.toRect(), scale_};
}

}  // namespace vesk
