#pragma once

#include "Base/MainQueue.h"

#include <functional>

namespace vesk {

// A simulated permission: granted, denied, or not yet decided, in which case a request grants it.
// Answers to requests are posted on the main queue, as the real services do.
class SimAccessPermission {
public:
    enum class State { granted, denied, asks };

    void setState(State state) { state_ = state; }
    State state() const { return state_; }
    bool isGranted() const { return state_ == State::granted; }
    // Requests made so far (prompts shown, where the real service prompts).
    int requestCount() const { return requests_; }
    void request(std::function<void(bool)> done)
    {
        ++requests_;
        if (state_ == State::asks)
            state_ = State::granted;
        mainQueue().post([done = std::move(done), granted = isGranted()] {
            if (done)
                done(granted);
        });
    }

private:
    State state_ = State::granted;
    int requests_ = 0;
};

}  // namespace vesk
