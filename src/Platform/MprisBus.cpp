#include "Platform/MprisBus.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/DBusMprisBus.h"

namespace vesk {

namespace {
InstalledService<MprisBus, DBusMprisBus> installed;
}

QString MprisBus::identity(const Player &player)
{
    if (!player.desktopEntry.isEmpty())
        return player.desktopEntry;
    const QString prefixText = QString::fromLatin1(prefix);
    return player.busName.startsWith(prefixText) ? player.busName.mid(prefixText.size()) : player.busName;
}

MprisBus &MprisBus::shared() { return installed.get(); }

void MprisBus::setShared(MprisBus *bus) { installed.install(bus); }

}  // namespace vesk
