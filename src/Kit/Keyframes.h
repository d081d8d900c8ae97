#pragma once

#include "Kit/Animation.h"

#include <cstddef>
#include <vector>

namespace kit {

// A sequence of moves of one number: from `initial`, each keyframe moves to its value over its
// duration with its own curve, starting where the previous one ended (a spring runs for the
// keyframe's duration from rest and hands on the position it reached). The value at any elapsed
// time is a pure function of the track.
struct Keyframe {
    double value = 0;
    double duration = 0;
    Animation curve = Animation::linear(0);
};

class KeyframeTrack {
public:
    KeyframeTrack() = default;
    KeyframeTrack(double initial, std::vector<Keyframe> frames) : initial_(initial), frames_(std::move(frames)) {}

    double value(double elapsed) const;
    double duration() const;
    double initial() const { return initial_; }
    double finalValue() const { return frames_.empty() ? initial_ : frames_.back().value; }
    friend bool operator==(const KeyframeTrack &a, const KeyframeTrack &b)
    {
        if (a.initial_ != b.initial_ || a.frames_.size() != b.frames_.size())
            return false;
        for (std::size_t i = 0; i < a.frames_.size(); ++i)
            if (a.frames_[i].value != b.frames_[i].value || a.frames_[i].duration != b.frames_[i].duration
                || !(a.frames_[i].curve == b.frames_[i].curve))
                return false;
        return true;
    }

private:
    double initial_ = 0;
    std::vector<Keyframe> frames_;
};

}  // namespace kit
