#pragma once

#include <string>

// What the updater tells the user, in its phase and on its card.
namespace vesk::update_texts {

inline constexpr const char *upToDate = "Vesk is up to date.";
inline constexpr const char *noConnection = "Couldn't check for updates. Check your connection.";
inline constexpr const char *notVerified = "The update couldn't be verified, so it wasn't installed.";
inline constexpr const char *cannotUpdateHere =
    "Vesk can't update itself in this folder. The new version has been opened for you.";
inline constexpr const char *notContained = "The update didn't contain Vesk.";
// "The update couldn't be installed. Download it from vesk.example."
std::string couldNotInstall();

}  // namespace vesk::update_texts
