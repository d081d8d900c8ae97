#include "Updater/Updater.h"

#include "VeskVersion.h"

namespace vesk {

Updater &Updater::shared()
{
    static Updater updater;
    return updater;
}

std::string Updater::currentVersion()
{
    const std::string version = VESK_VERSION;
    return version.empty() ? "1.0" : version;
}

long long Updater::currentBuild() { return VESK_BUILD; }

void Updater::check(bool userInitiated)
{
    using Case = Phase::Case;
    const Case now = phase_.peek().kind;
    if (now == Case::checking || now == Case::downloading || now == Case::installing)
        return;
    if (now == Case::ready && !userInitiated)
        return;
    phase_ = Phase::checking();
    checkItem_ = mainQueue().after(0, [this, userInitiated] {
        if (phase_.peek().kind != Case::checking)
            return;
        phase_ = userInitiated ? Phase::failed("Couldn't check for updates. Check your connection.") : Phase::idle();
    });
}

}  // namespace vesk
