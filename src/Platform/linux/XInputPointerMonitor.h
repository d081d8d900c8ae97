#pragma once

#include "Base/Lifetime.h"
#include "Platform/PointerMonitor.h"

#include <X11/Xlib.h>

#include <memory>

namespace vesk {

class X11EventConnection;

// Raw XInput 2 events selected on the root window: they arrive for every pointer device, whatever
// window is under the pointer and whoever grabbed it. Raw events carry no position, so the
// pointer is queried once per burst of moves and once per button.
class XInputPointerMonitor final : public PointerMonitor {
public:
    explicit XInputPointerMonitor(X11EventConnection &connection);
    ~XInputPointerMonitor() override;

    QPointF position() const override;
    bool anyButtonHeld() const override;

private:
    struct Query {
        QPointF position;
        unsigned mask = 0;
        Window child = 0;
    };
    Query query() const;
    bool isOwnWindow(Window topLevel) const;
    void handle(XEvent &event);
    // Reports an event; listeners that ask where the pointer is meanwhile get the same answer.
    void report(const PointerActivity &activity, const Query &state);

    X11EventConnection &connection_;
    Display *display_;
    bool movePending_ = false;
    const Query *reporting_ = nullptr;
    double lastMoveTime_ = 0;
    Lifetime lifetime_;
    Connection eventConnection_;
};

}  // namespace vesk
