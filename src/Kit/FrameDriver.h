#pragma once

#include "Base/MainQueue.h"

#include <cstdint>
#include <functional>
#include <map>

namespace kit {

// The one clock that ticks every running animation of the process. Clients ask for the next frame
// with request(); each request is answered once, at the next frame, with the time of that frame. A
// client that still moves asks again. With no request outstanding nothing is scheduled at all, so
// an idle application is never woken by Kit.
//
// Frames are delayed work on vesk::mainQueue(), timed by vesk::appClock(): under a virtual clock
// they fall due exactly as time is advanced.
class FrameDriver {
public:
    static constexpr double interval = 1.0 / 60.0;
    static FrameDriver &shared();

    // A pending frame request; dropping it withdraws the request.
    class Request {
    public:
        Request() = default;
        Request(Request &&other) noexcept : id_(std::exchange(other.id_, 0)) {}
        Request &operator=(Request &&other) noexcept;
        ~Request() { cancel(); }
        void cancel();
        bool isPending() const;

    private:
        friend class FrameDriver;
        explicit Request(uint64_t id) : id_(id) {}
        uint64_t id_ = 0;
    };

    [[nodiscard]] Request request(std::function<void(double now)> onFrame);
    bool isScheduled() const { return frame_.isPending(); }
    size_t pendingCount() const { return clients_.size(); }

private:
    void tick();
    void schedule();
    std::map<uint64_t, std::function<void(double)>> clients_;
    uint64_t nextId_ = 1;
    vesk::WorkItem frame_;
    vesk::MainQueue *queue_ = nullptr;  // the queue the pending frame was scheduled on
};

}  // namespace kit
