#pragma once

#include <cstdint>
#include <functional>

namespace vesk {

// A media key as the key tap reads it: a system-defined event (type 14) of the auxiliary-buttons
// subtype (8) whose first data word holds the key's code in bits 16 to 23 and its state in bits 8
// to 15 (0x0A down, 0x0B up); `flags` carries Shift (0x20000) and Alt/Option (0x80000).
struct SystemKeyEvent {
    uint32_t type = 0;
    int subtype = 0;
    int64_t data1 = 0;
    uint64_t flags = 0;

    static constexpr uint32_t systemDefined = 14;
    static constexpr int auxiliaryButtons = 8;
    static constexpr int64_t keyDown = 0x0A00;
    static constexpr int64_t keyUp = 0x0B00;
    static constexpr uint64_t shift = 0x20000;
    static constexpr uint64_t option = 0x80000;

    static SystemKeyEvent key(int code, bool down, uint64_t flags)
    {
        return {systemDefined, auxiliaryButtons, (int64_t(code) << 16) | (down ? keyDown : keyUp), flags};
    }
};

// The codes of the five keys that can be taken.
namespace mediakey {
constexpr int soundUp = 0;
constexpr int soundDown = 1;
constexpr int brightnessUp = 2;
constexpr int brightnessDown = 3;
constexpr int mute = 7;
}  // namespace mediakey

// Taking media keys away from the desktop, one key at a time. On X11 a key is a passive grab on
// the root window of every keycode bearing its keysym; a grab another client already holds is
// refused, and the key stays the desktop's. Without a display (Wayland, no X) nothing can be taken.
// Main thread only.
class MediaKeyGrab {
public:
    virtual ~MediaKeyGrab() = default;

    // Takes the key with `code`; true when it is held afterwards (also when it already was).
    virtual bool grab(int code) = 0;
    virtual void release(int code) = 0;
    virtual bool isHeld(int code) const = 0;

    // Each press (and automatic repeat) and release of a held key, on the main thread. Returns
    // whether the event was taken; a held key's event goes nowhere else either way.
    std::function<bool(const SystemKeyEvent &event)> onEvent;
};

// The installed service: X11 grabs unless a test or tool installed another.
MediaKeyGrab &mediaKeyGrab();
void setMediaKeyGrab(MediaKeyGrab *service);  // nullptr restores the real one

}  // namespace vesk
