#pragma once

#include "Base/Signal.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSocketNotifier;

namespace vesk {

// A connection of its own to the X display for the keyboard: the media-key grabs and the XKB
// state (locked modifiers, locked group and its name), kept current from XKB's notifications so
// that reading it needs no round trip. Read on the Qt event loop. Main thread only.
//
// shared() is null without an X display; the XKB parts stay empty when the server lacks XKB.
class XcbKeyboard {
public:
    static XcbKeyboard *shared();
    ~XcbKeyboard();

    xcb_connection_t *connection() const { return connection_; }
    xcb_window_t root() const { return root_; }
    bool hasXkb() const { return xkbEventBase_ >= 0; }

    // The keycodes bearing `keysym` in the keymap now.
    std::vector<xcb_keycode_t> keycodes(xcb_keysym_t keysym) const;

    uint8_t lockedModifiers() const { return lockedMods_; }
    bool capsLock() const { return lockedMods_ & XCB_MOD_MASK_LOCK; }
    // The locked group's XKB name ("English (US)"); none when unnamed, empty or not UTF-8.
    const std::optional<std::string> &groupName() const { return groupName_; }

    // Key presses and releases, in order (only grabbed keys reach this connection).
    Signal<const xcb_key_press_event_t &, bool> key;  // the event, true for a press
    // The keymap changed: every grab must be made again for the new keycodes.
    Signal<> keymapChanged;
    // The locked modifiers, the locked group or the group names changed.
    Signal<> stateChanged;

    // Sends what is buffered and handles what has arrived.
    void dispatch(bool queuedOnly = false);

    // Whether `text` is a usable layout name: not empty, valid UTF-8.
    static bool isUsableName(const std::string &text);

private:
    explicit XcbKeyboard(xcb_connection_t *connection, xcb_window_t root);
    void setUpXkb();
    void readKeymap();
    void readState();
    void readGroupName();
    void handle(const xcb_generic_event_t *event);

    xcb_connection_t *connection_ = nullptr;
    xcb_window_t root_ = 0;
    int xkbEventBase_ = -1;
    xcb_keycode_t minKeycode_ = 8;
    int keysymsPerKeycode_ = 0;
    std::vector<xcb_keysym_t> keymap_;
    uint8_t lockedMods_ = 0;
    uint8_t lockedGroup_ = 0;
    std::optional<std::string> groupName_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace vesk
