#pragma once

#include "Kit/Kit.h"
#include "Updater/Updater.h"

#include <QString>

namespace vesk {

class NotchViewModel;

// The update card that fills the island while the updater wants it: the application's icon, a
// title and subtitle, the patch notes and two buttons. After a relaunch it says what changed;
// otherwise it counts down to the restart (or waits for one) and offers "Later".
struct UpdateIslandView {
    NotchViewModel *model = nullptr;
    Updater *updater = nullptr;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const UpdateIslandView &, const UpdateIslandView &) = default;

    // The texts of the situation: what's-new, installing, or waiting.
    struct Texts {
        QString title;
        QString left;   // empty: no left button
        QString right;  // empty: the spinner
    };
    static Texts texts(const Updater &updater);
    // The subtitle outside a what's-new at wall-clock `now`. At the end of the countdown it posts
    // `install()` to the main queue (never runs it here) and reads 0.
    static QString subtitle(Updater &updater, bool isInstalling, double now);
};

}  // namespace vesk
