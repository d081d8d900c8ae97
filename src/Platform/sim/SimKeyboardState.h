#pragma once

#include "Platform/KeyboardState.h"

namespace vesk {

// A keyboard that tests and tools set; each setter notifies, as the system would.
class SimKeyboardState final : public KeyboardState {
public:
    bool capsLock() const override { return capsLock_; }
    std::optional<std::string> layoutName() const override { return layout_; }
    bool notifiesEveryChange() const override { return notifiesEvery; }

    // Whether the keyboard claims that its notifications miss nothing, as X11's does.
    bool notifiesEvery = false;

    void setCapsLock(bool on)
    {
        capsLock_ = on;
        modifiersChanged();
    }
    // The same name again is a notification without a change.
    void setLayout(std::optional<std::string> name)
    {
        layout_ = std::move(name);
        layoutChanged();
    }
    // Changes Caps Lock without a notification: only a poll sees it.
    void replaceCapsLock(bool on) { capsLock_ = on; }

private:
    bool capsLock_ = false;
    std::optional<std::string> layout_ = std::string("English (US)");
};

}  // namespace vesk
