#include "Platform/linux/XcbKeyboard.h"

#include "Platform/InstalledService.h"
#include "Platform/MediaKeyGrab.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <string_view>

namespace vesk {

namespace {

constexpr xcb_keysym_t raiseVolume = 0x1008FF13;
constexpr xcb_keysym_t lowerVolume = 0x1008FF11;
constexpr xcb_keysym_t muteVolume = 0x1008FF12;
constexpr xcb_keysym_t brightnessUp = 0x1008FF02;
constexpr xcb_keysym_t brightnessDown = 0x1008FF03;

std::optional<xcb_keysym_t> keysymFor(int code)
{
    switch (code) {
    case mediakey::soundUp:
        return raiseVolume;
    case mediakey::soundDown:
        return lowerVolume;
    case mediakey::mute:
        return muteVolume;
    case mediakey::brightnessUp:
        return brightnessUp;
    case mediakey::brightnessDown:
        return brightnessDown;
    default:
        return std::nullopt;
    }
}

// Passive grabs on the root window, with any modifiers, asynchronous for both devices: a
// synchronous grab would freeze the keyboard whenever Vesk stalls.
class X11MediaKeyGrab final : public MediaKeyGrab {
public:
    bool grab(int code) override
    {
        if (held_.count(code))
            return true;
        // Under Wayland an X grab only sees keys while an X window has the focus: no key is taken.
        if (isWayland())
            return false;
        auto *keyboard = connect();
        const auto keysym = keysymFor(code);
        if (!keyboard || !keysym)
            return false;
        auto keycodes = keyboard->keycodes(*keysym);
        if (keycodes.empty())
            return false;
        std::vector<xcb_keycode_t> taken;
        for (xcb_keycode_t keycode : keycodes) {
            auto cookie = xcb_grab_key_checked(keyboard->connection(), 1, keyboard->root(), XCB_MOD_MASK_ANY, keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t *error = xcb_request_check(keyboard->connection(), cookie)) {
                std::free(error);  // BadAccess: another client (the desktop) holds the key
                for (xcb_keycode_t done : taken)
                    xcb_ungrab_key(keyboard->connection(), done, keyboard->root(), XCB_MOD_MASK_ANY);
                xcb_flush(keyboard->connection());
                return false;
            }
            taken.push_back(keycode);
        }
        held_[code] = std::move(taken);
        return true;
    }

    void release(int code) override
    {
        auto it = held_.find(code);
        if (it == held_.end())
            return;
        if (auto *keyboard = XcbKeyboard::shared()) {
            for (xcb_keycode_t keycode : it->second)
                xcb_ungrab_key(keyboard->connection(), keycode, keyboard->root(), XCB_MOD_MASK_ANY);
            xcb_flush(keyboard->connection());
        }
        held_.erase(it);
    }

    bool isHeld(int code) const override { return held_.count(code) > 0; }

private:
    static bool isWayland()
    {
        const char *session = std::getenv("XDG_SESSION_TYPE");
        return std::getenv("WAYLAND_DISPLAY") || (session && std::string_view(session) == "wayland");
    }

    XcbKeyboard *connect()
    {
        auto *keyboard = XcbKeyboard::shared();
        if (keyboard && !keyConnection_.connected()) {
            keyConnection_ = keyboard->key.connect([this](const xcb_key_press_event_t &event, bool down) {
                keyEvent(event, down);
            });
            keymapConnection_ = keyboard->keymapChanged.connect([this] { regrab(); });
        }
        return keyboard;
    }

    void keyEvent(const xcb_key_press_event_t &event, bool down)
    {
        for (const auto &[code, keycodes] : held_) {
            for (xcb_keycode_t keycode : keycodes) {
                if (keycode != event.detail)
                    continue;
                uint64_t flags = 0;
                if (event.state & XCB_MOD_MASK_SHIFT)
                    flags |= SystemKeyEvent::shift;
                if (event.state & XCB_MOD_MASK_1)
                    flags |= SystemKeyEvent::option;
                if (onEvent)
                    onEvent(SystemKeyEvent::key(code, down, flags));
                return;
            }
        }
    }

    // The keycodes of a key may have moved: hand the old ones back and take the new ones. A key
    // refused now counts as not held; its owner's next retry asks again.
    void regrab()
    {
        std::vector<int> codes;
        for (const auto &entry : held_)
            codes.push_back(entry.first);
        for (int code : codes)
            release(code);
        for (int code : codes)
            grab(code);
    }

    std::map<int, std::vector<xcb_keycode_t>> held_;
    Connection keyConnection_;
    Connection keymapConnection_;
};

InstalledService<MediaKeyGrab, X11MediaKeyGrab> installed;

}  // namespace

MediaKeyGrab &mediaKeyGrab() { return installed.get(); }
void setMediaKeyGrab(MediaKeyGrab *service) { installed.install(service); }

}  // namespace vesk
