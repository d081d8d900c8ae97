#include "Island/NotchPanel.h"

#include "Base/Clock.h"


namespace vesk {

namespace {
// Fades repaint at display rate while they run and schedule nothing once they end.
constexpr double frameInterval = 1.0 / 60.0;

// Ease in and out: slow at both ends, like the desktop's own window fades.
double eased(double t)
{
    t = qBound(0.0, t, 1.0);
    return t * t * (3.0 - 2.0 * t);
}
}  // namespace

NotchPanel::NotchPanel(std::unique_ptr<PanelWindow> window) : window_(std::move(window))
{
    Q_ASSERT(window_);
    // Until the pointer is over the island every event passes through.
    window_->setIgnoresPointer(true);
}

NotchPanel::~NotchPanel() = default;

void NotchPanel::setFrame(const QRectF &frame, double scale, std::optional<QPointF> pixelTopLeft)
{
    Q_ASSERT(scale > 0);
    frame_ = QRectF(frame.topLeft(), QSizeF(width, height));
    scale_ = scale;
    const QPointF pixels = pixelTopLeft.value_or(frame_.topLeft() * scale_);
    window_->setFrame(QRect(qRound(pixels.x()), qRound(pixels.y()), qRound(width * scale_), qRound(height * scale_)));
    setHitArea(hitArea_);
}

void NotchPanel::setContent(const QImage &image)
{
    window_->setContent(image);
}

void NotchPanel::updateContent(const QImage &image, const QRegion &changed)
{
    window_->updateContent(image, changed);
}

void NotchPanel::drawContent(const std::function<QRegion(QImage &)> &draw)
{
    window_->drawContent(draw);
}

void NotchPanel::orderFront()
{
    window_->show();
}

void NotchPanel::orderOut()
{
    fadeTick_.cancel();
    window_->hide();
}

void NotchPanel::fadeIn()
{
    setAlpha(0);
    window_->show();
    animateAlpha(1, fadeInDuration, {});
}

void NotchPanel::fadeOut(std::function<void()> done)
{
    animateAlpha(0, fadeOutDuration, [this, done = std::move(done)] {
        window_->hide();
        if (done)
            done();
    });
}

void NotchPanel::animateAlpha(double target, double duration, std::function<void()> done)
{
    fade_ = {alpha_, target, appClock().now(), duration, std::move(done)};
    step();
}

void NotchPanel::step()
{
    const double t = fade_.duration > 0 ? (appClock().now() - fade_.start) / fade_.duration : 1.0;
    if (t >= 1.0) {
        setAlpha(fade_.to);
        fadeTick_.cancel();
        if (auto done = std::exchange(fade_.done, {}))
            done();
        return;
    }
    setAlpha(fade_.from + (fade_.to - fade_.from) * eased(t));
    // The last frame lands exactly on the end, so the fade ends on time.
    const double remaining = fade_.start + fade_.duration - appClock().now();
    fadeTick_ = mainQueue().after(qMin(frameInterval, remaining), [this] { step(); });
}

void NotchPanel::setAlpha(double alpha)
{
    alpha_ = alpha;
    window_->setOpacity(alpha);
}

void NotchPanel::setHitArea(const QRectF &area)
{
    hitArea_ = area;
    if (area.isEmpty()) {
        window_->setShapeRegion(QRegion());
        return;
    }
    const QRectF local = area.translated(-frame_.topLeft());
    const QRectF pixels(local.x() * scale_, local.y() * scale_, local.width() * scale_, local.height() * scale_);
    window_->setShapeRegion(QRegion(pixels.toAlignedRect()));
}

void NotchPanel::setIgnoresMouseEvents(bool ignores)
{
    window_->setIgnoresPointer(ignores);
}

}  // namespace vesk
