#include "Kit/FrameDriver.h"

namespace kit {

FrameDriver &FrameDriver::shared()
{
    static FrameDriver driver;
    return driver;
}

FrameDriver::Request &FrameDriver::Request::operator=(Request &&other) noexcept
{
    if (this != &other) {
        cancel();
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void FrameDriver::Request::cancel()
{
    if (id_ == 0)
        return;
    FrameDriver &driver = shared();
    driver.clients_.erase(id_);
    id_ = 0;
    if (driver.clients_.empty())
        driver.frame_.cancel();
}

bool FrameDriver::Request::isPending() const { return id_ != 0 && shared().clients_.count(id_) != 0; }

FrameDriver::Request FrameDriver::request(std::function<void(double now)> onFrame)
{
    const uint64_t id = nextId_++;
    clients_.emplace(id, std::move(onFrame));
    schedule();
    return Request(id);
}

void FrameDriver::schedule()
{
    // A test may have installed a new queue since the last frame was scheduled.
    if (frame_.isPending() && queue_ == &vesk::mainQueue())
        return;
    queue_ = &vesk::mainQueue();
    frame_ = queue_->after(interval, [this] { tick(); });
}

void FrameDriver::tick()
{
    auto due = std::move(clients_);
    clients_.clear();
    const double now = vesk::appClock().now();
    for (auto &[id, fn] : due)
        fn(now);
    if (!clients_.empty())
        schedule();
}

}  // namespace kit
