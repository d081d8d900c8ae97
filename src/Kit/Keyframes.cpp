#include "Kit/Keyframes.h"

#include "Kit/Animator.h"

namespace kit {

double KeyframeTrack::duration() const
{
    double total = 0;
    for (const Keyframe &k : frames_)
        total += k.duration;
    return total;
}

double KeyframeTrack::value(double elapsed) const
{
    if (elapsed >= duration())
        return finalValue();  // a track ends exactly on its last keyframe
    double value = initial_;
    double start = 0;
    for (const Keyframe &k : frames_) {
        const double end = start + k.duration;
        // Each keyframe is an animator started where the previous one left off.
        Animator a(value);
        Animation curve = k.curve;
        if (!curve.isSpring())
            curve.duration = k.duration;
        curve.delay = 0;
        a.set(k.value, curve, 0);
        if (elapsed < end)
            return a.value(elapsed - start);
        value = curve.isSpring() ? a.value(k.duration) : k.value;
        start = end;
    }
    return frames_.empty() ? initial_ : value;
}

}  // namespace kit
