#pragma once

#include <functional>

namespace vesk {

// The volume, mute and brightness keys, taken before the desktop handles them. Created with no
// tap; no key grab is attached yet, so keys arrive only through press(), which the simulated
// platform and tools use.
class MediaKeyTap {
public:
    enum class Key { volumeUp, volumeDown, mute, brightnessUp, brightnessDown };

    // Returns whether the key was consumed. `fine` is the modifier for small steps.
    std::function<bool(Key key, bool fine)> handler;

    void start() { running_ = true; }
    void stop() { running_ = false; }
    bool isRunning() const { return running_; }

    // A key reaches the handler only while the tap runs; an unconsumed key goes to the desktop.
    bool press(Key key, bool fine)
    {
        return running_ && handler && handler(key, fine);
    }

private:
    bool running_ = false;
};

}  // namespace vesk
