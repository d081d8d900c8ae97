#pragma once

#include "Platform/FocusStatus.h"
#include "Platform/KeyboardState.h"
#include "Base/SharedTick.h"
#include "Base/Signal.h"

#include <functional>
#include <optional>
#include <string>

namespace vesk {

// Caps Lock, the keyboard layout ("input source") and do-not-disturb ("Focus"), for the island's
// readouts. Each is reported only when it changes. The keyboard's notifications and, where they
// can miss a change, a 0.1 s poll both see Caps Lock (reported once either way); Focus is read on
// every 20th tick of the 0.1 s tick (every 2 s), only while it can be read, and its first known
// state is recorded, never reported. Callbacks run on the main thread. Other polls of the same
// period (the brightness watch) run on the same tick, so together they wake the process ten times
// a second, not twenty; with the keyboard's poll spared and no other, it wakes every 2 s.
class SystemMonitor {
public:
    explicit SystemMonitor(KeyboardState &keyboard = keyboardState(), FocusStatus &focus = focusStatus());
    SystemMonitor(const SystemMonitor &) = delete;
    SystemMonitor &operator=(const SystemMonitor &) = delete;

    std::function<void(bool on)> onCapsLock;
    std::function<void(const std::string &name)> onInputSource;
    std::function<void(bool on)> onFocus;

    // Follows the keyboard's notifications and starts the poll; called once, after the callbacks.
    void start();
    bool isStarted() const { return focusPoll_.connected(); }
    // The 0.1 s tick the poll runs on, for other polls to share.
    SharedTick &tick() { return tick_; }

    bool capsLock() const { return capsLock_; }
    const std::optional<std::string> &inputSource() const { return inputSource_; }
    const std::optional<bool> &isFocused() const { return isFocused_; }

    // Whether Focus can be known, and asking for it: the answer comes on the main queue.
    static bool hasFocusAccess();
    static void requestFocusAccess(std::function<void(bool granted)> done);

    static constexpr double pollInterval = 0.1;
    static constexpr int focusEvery = 20;

private:
    void checkCapsLock();
    void inputSourceChanged();
    void pollFocus();

    KeyboardState &keyboard_;
    FocusStatus &focus_;
    bool capsLock_;
    std::optional<std::string> inputSource_;
    std::optional<bool> isFocused_;
    SharedTick tick_{pollInterval};
    Connection capsLockPoll_;
    Connection focusPoll_;
    Connection modifiers_;
    Connection layout_;
};

}  // namespace vesk
