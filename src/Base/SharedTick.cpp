#include "Base/SharedTick.h"

#include <algorithm>
#include <numeric>

namespace vesk {

Connection SharedTick::subscribe(std::function<void()> fn, int every)
{
    const unsigned long id = ++nextId_;
    entries_->push_back({id, every > 1 ? every : 1, std::make_shared<std::function<void()>>(std::move(fn))});
    if (!isRunning()) {
        reached_ = 0;
        reachedAt_ = mainQueue().clock().now();
    }
    // A subscriber with a shorter period may need a tick before the one planned.
    schedule();
    std::weak_ptr<std::vector<Entry>> weak = entries_;
    return Connection([weak, id] {
        if (const auto entries = weak.lock()) {
            for (auto it = entries->begin(); it != entries->end(); ++it) {
                if (it->id == id) {
                    *it->fn = nullptr;
                    entries->erase(it);
                    break;
                }
            }
        }
    });
}

int SharedTick::step() const
{
    int step = 0;
    for (const auto &entry : *entries_)
        step = std::gcd(step, entry.every);
    return step > 0 ? step : 1;
}

void SharedTick::schedule()
{
    const int span = step();
    // Ticks that went by while nobody was due on them (a subscriber joining between two
    // wake-ups) are not made up: the next is the first of the new period still to come.
    const long passed = reached_ + long((mainQueue().clock().now() - reachedAt_) / interval_);
    const long next = (std::max(reached_, passed) / span + 1) * span;
    const double due = reachedAt_ + double(next - reached_) * interval_;
    item_ = mainQueue().atMonotonic(due, [this, next, due] { run(next, due); });
}

void SharedTick::run(long tick, double due)
{
    if (entries_->empty())
        return;
    // A tick more than half its wait late (the process stalled, the machine slept) counts the
    // next ones from now, so late wake-ups neither add up nor come in a burst.
    const double now = mainQueue().clock().now();
    const double wait = double(tick - reached_) * interval_;
    reached_ = tick;
    reachedAt_ = now - due > wait / 2 ? now : due;
    const auto entries = *entries_;  // subscribers may come and go while they run
    for (const auto &entry : entries) {
        if (tick % entry.every == 0 && *entry.fn)
            (*entry.fn)();
    }
    if (!item_.isPending())
        schedule();
}

}  // namespace vesk
