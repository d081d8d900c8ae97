#pragma once

#include "Base/Signal.h"

#include <optional>
#include <string>

namespace vesk {

// Caps Lock and the keyboard layout now, kept current by the system's notifications so that
// reading them costs no round trip. On X11 both come from XKB: Caps Lock is the Lock modifier among
// the locked ones, the layout is the name of the locked group ("English (US)"). Input methods
// (IBus, Fcitx) are not seen. Without a display both read as off and none. Main thread only.
class KeyboardState {
public:
    virtual ~KeyboardState() = default;

    virtual bool capsLock() const = 0;
    // The layout's name; none when it has none, or an empty or non-UTF-8 one.
    virtual std::optional<std::string> layoutName() const = 0;
    // Whether every change comes with a notification. One whose notifications can miss a change
    // must be polled to be followed.
    virtual bool notifiesEveryChange() const { return false; }

    Signal<> modifiersChanged;  // the locked modifiers may have changed
    Signal<> layoutChanged;     // the layout, or its name, may have changed (or was selected again)
};

// The installed service: XKB unless a test or tool installed another.
KeyboardState &keyboardState();
void setKeyboardState(KeyboardState *service);  // nullptr restores the real one

}  // namespace vesk
