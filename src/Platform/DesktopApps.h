#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace vesk {

// The desktop's installed applications, by desktop id ("org.gnome.Rhythmbox3", without
// ".desktop"): their icons and which one the desktop opens a kind of file with. Main thread only.
class DesktopApps {
public:
    virtual ~DesktopApps() = default;

    // The icon of the installed application `id` at `pixels` (the longer side), or none when no
    // such application is installed or it names no icon that can be found.
    virtual std::optional<QImage> icon(const QString &id, int pixels) const = 0;
    // The first installed application that the desktop's default-application lists give for the
    // MIME type, or none.
    virtual std::optional<QString> defaultApplication(const QString &mimeType) const = 0;

    // The installed service: the XDG desktop files unless a test or tool installed another.
    static DesktopApps &shared();
    static void setShared(DesktopApps *apps);  // nullptr restores the real one
};

}  // namespace vesk
