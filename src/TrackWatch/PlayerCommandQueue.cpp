#include "TrackWatch/PlayerCommandQueue.h"

namespace trackwatch {

PlayerCommandQueue::PlayerCommandQueue(int limit) : limit_(limit > 0 ? limit : 1) {}

bool PlayerCommandQueue::submit(const std::string &key, Start start)
{
    if (inFlight_ < limit_ && waiting_.empty()) {
        ++inFlight_;
        start();
        return true;
    }
    if (key.empty()) {
        if (waitingSteps_ >= kMaxWaitingSteps)
            return false;
        ++waitingSteps_;
    } else {
        // Back to the latest step: a setting of the same thing there is replaced in its place.
        for (auto it = waiting_.rbegin(); it != waiting_.rend() && !it->key.empty(); ++it) {
            if (it->key == key) {
                it->start = std::move(start);
                return true;
            }
        }
    }
    waiting_.push_back({key, std::move(start)});
    return true;
}

void PlayerCommandQueue::finished()
{
    if (inFlight_ > 0)
        --inFlight_;
    startWaiting();
}

void PlayerCommandQueue::startWaiting()
{
    // A call that ends inside its own start must not start the next ones out of order.
    if (starting_)
        return;
    starting_ = true;
    while (inFlight_ < limit_ && !waiting_.empty()) {
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        if (next.key.empty())
            --waitingSteps_;
        ++inFlight_;
        next.start();
    }
    starting_ = false;
}

}  // namespace trackwatch
