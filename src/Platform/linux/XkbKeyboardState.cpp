#include "Platform/InstalledService.h"
#include "Platform/KeyboardState.h"
#include "Platform/linux/XcbKeyboard.h"

namespace vesk {

namespace {

// XKB's state as the keyboard connection keeps it from its notifications.
class XkbKeyboardState final : public KeyboardState {
public:
    XkbKeyboardState() : keyboard_(XcbKeyboard::shared())
    {
        if (!keyboard_)
            return;
        connection_ = keyboard_->stateChanged.connect([this] {
            modifiersChanged();
            layoutChanged();
        });
    }
    bool capsLock() const override { return keyboard_ && keyboard_->capsLock(); }
    std::optional<std::string> layoutName() const override
    {
        return keyboard_ ? keyboard_->groupName() : std::nullopt;
    }
    // What is read here changes only as XKB's notifications are handled, and each such change is
    // announced; without XKB or a display it never changes at all.
    bool notifiesEveryChange() const override { return true; }

private:
    XcbKeyboard *keyboard_;
    Connection connection_;
};

InstalledService<KeyboardState, XkbKeyboardState> installed;

}  // namespace

KeyboardState &keyboardState() { return installed.get(); }
void setKeyboardState(KeyboardState *service) { installed.install(service); }

}  // namespace vesk
