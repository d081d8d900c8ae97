#include "Model/SpaceSwipeDetector.h"

#include <cmath>

namespace vesk {

namespace {
constexpr double kAttachInterval = 60.0;
constexpr double kAttachAfterWake = 3.0;
// A swipe begins once the fingers have moved more than this fraction of the pad sideways...
constexpr float kMinimumTravel = 0.012f;
// ...and clearly more sideways than up or down.
constexpr float kVerticalWeight = 1.3f;
constexpr int kMinimumFingers = 3;

SpaceSwipeDetector *installed = nullptr;
}  // namespace

SpaceSwipeDetector::SpaceSwipeDetector(SwipeSource &source) : source_(source) {}

SpaceSwipeDetector &SpaceSwipeDetector::shared()
{
    if (installed)
        return *installed;
    static SpaceSwipeDetector detector(swipeSource());
    return detector;
}

void SpaceSwipeDetector::setShared(SpaceSwipeDetector *detector) { installed = detector; }

void SpaceSwipeDetector::start()
{
    if (started_)
        return;
    started_ = true;
    frames_ = source_.frame.connect([this](const std::vector<TouchContact> &contacts) { process(contacts); });
    attach();
    wakes_ = source_.woke.connect([this] { wakeAttach_ = mainQueue().after(kAttachAfterWake, [this] { attach(); }); });
    scheduleAttach();
}

void SpaceSwipeDetector::scheduleAttach()
{
    periodicAttach_ = mainQueue().after(kAttachInterval, [this] {
        attach();
        scheduleAttach();
    });
}

void SpaceSwipeDetector::attach()
{
    for (uint64_t id : source_.devices()) {
        if (!attachedIDs_.insert(id).second)
            continue;
        devices_.push_back(id);
        source_.listen(id);
    }
}

void SpaceSwipeDetector::process(const std::vector<TouchContact> &contacts)
{
    int n = 0;
    float sumX = 0, sumY = 0;
    for (auto &c : contacts) {
        if (c.phase == TouchContact::Phase::starting || c.phase == TouchContact::Phase::touching) {
            ++n;
            sumX += c.x;
            sumY += c.y;
        }
    }
    if (n < kMinimumFingers) {
        fingerCount_ = 0;
        if (isSwiping_) {
            isSwiping_ = false;
            report(&SpaceSwipeDetector::onEnd);
        }
        return;
    }
    const float x = sumX / float(n), y = sumY / float(n);
    if (n != fingerCount_) {
        // A new set of fingers: measure from here.
        fingerCount_ = n;
        originX_ = x;
        originY_ = y;
        return;
    }
    if (isSwiping_)
        return;
    const float dx = std::fabs(x - originX_), dy = std::fabs(y - originY_);
    if (dx > kMinimumTravel && dy * kVerticalWeight < dx) {
        isSwiping_ = true;
        report(&SpaceSwipeDetector::onBegin);
    }
}

void SpaceSwipeDetector::report(std::function<void()> SpaceSwipeDetector::*callback)
{
    lifetime_.post([this, callback] {
        if (this->*callback)
            (this->*callback)();
    });
}

}  // namespace vesk
