#include "TrackWatch/LineQueue.h"

namespace trackwatch {

LineQueue::LineQueue(std::size_t capacity, std::function<void()> wake)
    : capacity_(capacity ? capacity : 1), wake_(std::move(wake))
{
}

void LineQueue::push(std::string line)
{
    bool wasEmpty;
    {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return lines_.size() < capacity_; });
        wasEmpty = lines_.empty();
        lines_.push_back(std::move(line));
    }
    if (wasEmpty && wake_)
        wake_();
}

std::deque<std::string> LineQueue::takeAll()
{
    std::deque<std::string> taken;
    {
        std::lock_guard lock(mutex_);
        taken.swap(lines_);
    }
    room_.notify_all();
    return taken;
}

std::size_t LineQueue::size() const
{
    std::lock_guard lock(mutex_);
    return lines_.size();
}

}  // namespace trackwatch
