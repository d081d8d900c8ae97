#include "Kit/FrameDriver.h"

#include "Base/Clock.h"

#include <algorithm>
#include <limits>
#include <vector>

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

FrameDriver::Request FrameDriver::request(std::function<void(double now)> onFrame, double notBefore)
{
    const uint64_t id = nextId_++;
    const double at = notBefore > interval ? vesk::appClock().now() + notBefore : 0;
    clients_.emplace(id, Client{std::move(onFrame), at});
    schedule();
    return Request(id);
}

void FrameDriver::schedule()
{
    const double now = vesk::appClock().now();
    double wanted = std::numeric_limits<double>::infinity();
    for (const auto &[id, client] : clients_)
        wanted = std::min(wanted, std::max(client.notBefore, now + interval));
    // A test may have installed a new queue since the last frame was scheduled.
    if (frame_.isPending() && queue_ == &vesk::mainQueue() && dueAt_ <= wanted)
        return;
    queue_ = &vesk::mainQueue();
    dueAt_ = wanted;
    frame_ = queue_->after(wanted - now, [this] { tick(); });
}

void FrameDriver::tick()
{
    // A timer may fire a little before a later frame's time: such a frame is taken then.
    constexpr double early = 0.002;
    const double now = vesk::appClock().now();
    std::vector<std::function<void(double)>> due;
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (it->second.notBefore <= now + early) {
            due.push_back(std::move(it->second.onFrame));
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto &fn : due)
        fn(now);
    if (!clients_.empty())
        schedule();
}

}  // namespace kit
