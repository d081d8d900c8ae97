#pragma once

#include "Base/Lifetime.h"
#include "Base/MainQueue.h"
#include "Base/Signal.h"
#include "Platform/SwipeSource.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace vesk {

// Tells when a sideways swipe of three or more fingers on a touchpad (the gesture that switches
// workspaces) begins and when it ends. Reads the frames of a SwipeSource; reports nothing where
// the source has no touchpads. Main thread only.
class SpaceSwipeDetector {
public:
    explicit SpaceSwipeDetector(SwipeSource &source);
    SpaceSwipeDetector(const SpaceSwipeDetector &) = delete;
    SpaceSwipeDetector &operator=(const SpaceSwipeDetector &) = delete;

    // The one detector of the process: the installed one, else one on the installed swipe source
    // (created on first use).
    static SpaceSwipeDetector &shared();
    static void setShared(SpaceSwipeDetector *detector);  // nullptr restores the default one

    // Called on a later main-queue turn when a swipe begins and when it ends. Set them before start().
    std::function<void()> onBegin;
    std::function<void()> onEnd;

    // Listens to every touchpad now, to new ones every 60 s and 3 s after each wake from sleep.
    // Only the first call does anything.
    void start();

    bool isSwiping() const { return isSwiping_; }

private:
    void attach();
    void scheduleAttach();
    void process(const std::vector<TouchContact> &contacts);
    void report(std::function<void()> SpaceSwipeDetector::*callback);

    SwipeSource &source_;
    std::vector<uint64_t> devices_;  // every touchpad listened to so far
    int fingerCount_ = 0;            // fingers in the last frame with three or more
    float originX_ = 0;              // their centre when the count last changed
    float originY_ = 0;
    bool isSwiping_ = false;
    bool started_ = false;
    std::set<uint64_t> attachedIDs_;
    Connection frames_;
    Connection wakes_;
    WorkItem wakeAttach_;
    WorkItem periodicAttach_;
    Lifetime lifetime_;
};

}  // namespace vesk
