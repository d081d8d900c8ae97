#pragma once

#include "Platform/PointerMonitor.h"

namespace vesk {

// A pointer that tests move and click. Each call updates the state first, then reports the event,
// as the real monitor does.
class SimPointerMonitor final : public PointerMonitor {
public:
    QPointF position() const override { return position_; }
    bool anyButtonHeld() const override { return buttons_ != 0; }

    void moveTo(QPointF position, double timestamp = 0, bool overOwnWindow = false)
    {
        position_ = position;
        activity({PointerActivity::Kind::move, 0, position_, timestamp, overOwnWindow});
    }
    void press(int button = 1, double timestamp = 0, bool overOwnWindow = false)
    {
        buttons_ |= 1u << button;
        activity({PointerActivity::Kind::press, button, position_, timestamp, overOwnWindow});
    }
    void release(int button = 1, double timestamp = 0, bool overOwnWindow = false)
    {
        buttons_ &= ~(1u << button);
        activity({PointerActivity::Kind::release, button, position_, timestamp, overOwnWindow});
    }
    // Changes the state without reporting anything (a pointer that was already there).
    void setPosition(QPointF position) { position_ = position; }
    void setButtonHeld(bool held) { buttons_ = held ? 2u : 0u; }

private:
    QPointF position_{-1, -1};
    unsigned buttons_ = 0;
};

}  // namespace vesk
