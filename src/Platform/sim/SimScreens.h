#pragma once

#include "Base/Lifetime.h"
#include "Platform/Screens.h"

#include <QSizeF>

#include <memory>

namespace vesk {

// Displays that tests and tools declare. Unlike Linux displays they can claim a camera housing.
// Changes show in screens() at once; their notifications arrive on a later main-queue turn, as
// they would from the real service (a test runs them with VirtualTime::flush()).
class SimScreens final : public Screens {
public:
    std::vector<Screen> screens() const override { return screens_; }

    // Adds a display to the right of the others, top-aligned, and returns it. `notch` gives the
    // housing's size: a safe-area inset of its height and two auxiliary top areas of
    // (width - notch width) / 2 each. `topBar` is the height taken from the visible frame.
    Screen plug(const QString &name, QSizeF size, double scale = 1, std::optional<QSizeF> notch = std::nullopt,
                double topBar = 0);
    // Adds a fully described display (its number is filled in); false when the name is present.
    bool add(Screen screen);
    // Removes the named display; false when there is none.
    bool unplug(const QString &name);
    // Replaces the display with the same name (its number is kept); false when there is none.
    bool update(Screen screen);
    // Makes the named display the primary one (first in the list).
    bool makePrimary(const QString &name);

private:
    void post(Signal<const Screen &> Screens::*signal, const Screen &screen);

    std::vector<Screen> screens_;
    DisplayNumbers numbers_;
    Lifetime lifetime_;
};

}  // namespace vesk
