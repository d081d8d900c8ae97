#include "Base/MainQueue.h"

#include "Base/TimerFdDriver.h"

#include <map>
#include <utility>

namespace vesk {

enum class DeadlineKind { monotonic, wall };

struct WorkItem::State {
    std::function<void()> fn;
    DeadlineKind kind = DeadlineKind::monotonic;
    double deadline = 0;
    uint64_t seq = 0;
    bool done = false;  // ran or was cancelled
    bool detached = false;
    std::weak_ptr<MainQueue::Impl> queue;
};

struct MainQueue::Impl {
    using Key = std::pair<double, uint64_t>;
    std::map<Key, std::shared_ptr<WorkItem::State>> monotonic;
    std::map<Key, std::shared_ptr<WorkItem::State>> wall;
    uint64_t nextSeq = 0;
    MainQueue *owner = nullptr;

    auto &mapFor(DeadlineKind kind) { return kind == DeadlineKind::monotonic ? monotonic : wall; }
    void remove(WorkItem::State &state)
    {
        mapFor(state.kind).erase({state.deadline, state.seq});
    }
};

WorkItem::WorkItem(WorkItem &&other) noexcept : state_(std::exchange(other.state_, {})) {}

WorkItem &WorkItem::operator=(WorkItem &&other) noexcept
{
    if (this != &other) {
        cancel();
        state_ = std::exchange(other.state_, {});
    }
    return *this;
}

void WorkItem::cancel()
{
    auto state = std::exchange(state_, {});
    if (!state || state->done || state->detached)
        return;
    state->done = true;
    state->fn = nullptr;
    if (auto queue = state->queue.lock()) {
        queue->remove(*state);
        queue->owner->scheduleChanged();
    }
}

void WorkItem::detach()
{
    if (state_)
        state_->detached = true;
    state_.reset();
}

bool WorkItem::isPending() const { return state_ && !state_->done; }

MainQueue::MainQueue(Clock &clock) : clock_(clock), impl_(std::make_shared<Impl>()) { impl_->owner = this; }

MainQueue::~MainQueue() = default;

WorkItem MainQueue::enqueue(bool wall, double deadline, std::function<void()> fn)
{
    auto state = std::make_shared<WorkItem::State>();
    state->fn = std::move(fn);
    state->kind = wall ? DeadlineKind::wall : DeadlineKind::monotonic;
    state->deadline = deadline;
    state->seq = impl_->nextSeq++;
    state->queue = impl_;
    impl_->mapFor(state->kind).emplace(Impl::Key{state->deadline, state->seq}, state);
    scheduleChanged();
    return WorkItem(state);
}

WorkItem MainQueue::after(double seconds, std::function<void()> fn)
{
    return enqueue(false, clock_.now() + (seconds > 0 ? seconds : 0), std::move(fn));
}

WorkItem MainQueue::at(double wallSeconds, std::function<void()> fn) { return enqueue(true, wallSeconds, std::move(fn)); }

WorkItem MainQueue::atMonotonic(double seconds, std::function<void()> fn) { return enqueue(false, seconds, std::move(fn)); }

void MainQueue::post(std::function<void()> fn) { after(0, std::move(fn)).detach(); }

std::optional<double> MainQueue::nextMonotonicDeadline() const
{
    if (impl_->monotonic.empty())
        return std::nullopt;
    return impl_->monotonic.begin()->first.first;
}

std::optional<double> MainQueue::lastMonotonicDeadlineWithin(double slack) const
{
    if (impl_->monotonic.empty())
        return std::nullopt;
    const double first = impl_->monotonic.begin()->first.first;
    double last = first;
    for (const auto &[key, state] : impl_->monotonic) {
        if (key.first > first + slack)
            break;
        last = key.first;
    }
    return last;
}

std::optional<double> MainQueue::nextWallDeadline() const
{
    if (impl_->wall.empty())
        return std::nullopt;
    return impl_->wall.begin()->first.first;
}

std::optional<double> MainQueue::nextDue() const
{
    auto mono = nextMonotonicDeadline();
    auto wall = nextWallDeadline();
    if (wall)
        wall = *wall - (clock_.wallNow() - clock_.now());
    if (mono && wall)
        return std::min(*mono, *wall);
    return mono ? mono : wall;
}

size_t MainQueue::pendingCount() const { return impl_->monotonic.size() + impl_->wall.size(); }

int MainQueue::runDue()
{
    int ran = 0;
    // Keep the queue alive even if a closure tears down its owner.
    auto impl = impl_;
    for (;;) {
        const double now = clock_.now();
        const double wallNow = clock_.wallNow();
        std::shared_ptr<WorkItem::State> next;
        auto mono = impl->monotonic.begin();
        auto wall = impl->wall.begin();
        const bool monoDue = mono != impl->monotonic.end() && mono->first.first <= now;
        const bool wallDue = wall != impl->wall.end() && wall->first.first <= wallNow;
        if (monoDue && wallDue) {
            // Order both kinds on one time line: the wall deadline at today's clock offset.
            const double wallAsMono = wall->first.first - (wallNow - now);
            const bool monoFirst = mono->first.first < wallAsMono
                || (mono->first.first == wallAsMono && mono->first.second < wall->first.second);
            next = monoFirst ? mono->second : wall->second;
        } else if (monoDue) {
            next = mono->second;
        } else if (wallDue) {
            next = wall->second;
        } else {
            break;
        }
        impl->remove(*next);
        next->done = true;
        auto fn = std::exchange(next->fn, {});
        if (fn)
            fn();
        ++ran;
    }
    if (ran)
        scheduleChanged();
    return ran;
}

namespace {
MainQueue *installedQueue = nullptr;
}

MainQueue &mainQueue()
{
    if (installedQueue)
        return *installedQueue;
    static MainQueue real(appClock());
    static TimerFdDriver driver(real);
    return real;
}

void setMainQueue(MainQueue *queue) { installedQueue = queue; }

}  // namespace vesk
