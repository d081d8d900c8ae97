#pragma once

#include <functional>
#include <string>

namespace vesk {

// Caps Lock, the keyboard input source and do-not-disturb ("Focus"), for the island's readouts.
// No system source is attached yet; changes arrive only through the report functions, which the
// simulated platform and tools use. Callbacks run on the main thread.
class SystemMonitor {
public:
    std::function<void(bool on)> onCapsLock;
    std::function<void(const std::string &name)> onInputSource;
    std::function<void(bool on)> onFocus;

    void reportCapsLock(bool on)
    {
        if (onCapsLock)
            onCapsLock(on);
    }
    void reportInputSource(const std::string &name)
    {
        if (onInputSource)
            onInputSource(name);
    }
    void reportFocus(bool on)
    {
        if (onFocus)
            onFocus(on);
    }
};

}  // namespace vesk
