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
    // Frames in which nothing but loops moves (bars that bounce for as long as a track plays)
    // come at half the rate: a loop looks the same, and each frame shown costs the display server
    // and the compositor a round of work however little it changes.
    static constexpr double loopInterval = 1.0 / 30.0;
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

    // `notBefore`: answered at the first frame at least that long after now (the next frame when
    // shorter than an interval).
    [[nodiscard]] Request request(std::function<void(double now)> onFrame, double notBefore = 0);
    bool isScheduled() const { return frame_.isPending(); }
    size_t pendingCount() const { return clients_.size(); }

private:
    void tick();
    void schedule();
    struct Client {
        std::function<void(double)> onFrame;
        double notBefore = 0;  // a time on the clock; 0 for the next frame
    };
    std::map<uint64_t, Client> clients_;
    uint64_t nextId_ = 1;
    vesk::WorkItem frame_;
    double dueAt_ = 0;  // when the scheduled frame falls due
    vesk::MainQueue *queue_ = nullptr;  // the queue the pending frame was scheduled on
};

}  // namespace kit
