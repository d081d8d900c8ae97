#pragma once

#include <optional>

namespace vesk {

// GNOME's "org.gnome.desktop.notifications" "show-banners" setting; none when the schema or the
// key is not installed (looked up first: opening a missing schema would end the process). Kept
// apart from Qt's headers, whose `signals` keyword GIO's headers use as a name.
std::optional<bool> gnomeShowBanners();

}  // namespace vesk
