#pragma once

#include "Platform/DesktopApps.h"

#include <QStringList>

namespace vesk {

// Installed applications from the XDG desktop files ($XDG_DATA_HOME and $XDG_DATA_DIRS
// applications/), default applications from the mimeapps.list files in XDG order (desktop-specific
// lists first in each folder), icons from the desktop theme, hicolor and /usr/share/pixmaps. The
// environment is read on every call.
class XdgDesktopApps final : public DesktopApps {
public:
    std::optional<QImage> icon(const QString &id, int pixels) const override;
    std::optional<QString> defaultApplication(const QString &mimeType) const override;

    // The mimeapps.list files in the order they are consulted.
    static QStringList mimeappsFiles();
    // The desktop file of an installed application id, or "".
    static QString desktopFile(const QString &id);
};

}  // namespace vesk
