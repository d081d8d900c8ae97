#pragma once

#include <string>

namespace vesk {

// The user's own folder that a base-directory variable (XDG_CONFIG_HOME, XDG_DATA_HOME) names, when
// it names an absolute path; otherwise `fallback` (".config", ".local/share") under the home folder.
std::string xdgUserFolder(const char *variable, const char *fallback);

}  // namespace vesk
