#pragma once

#include <functional>
#include <optional>

namespace vesk {

// Whether the desktop holds notifications back (do-not-disturb, "Focus"). On Linux it is the
// notification server's `Inhibited` property (KDE) while that server runs, else GNOME's
// "show-banners" setting under GNOME; with neither it is unknown. Main thread only.
class FocusStatus {
public:
    virtual ~FocusStatus() = default;

    // Whether there is a readable source: the Linux answer to "is Vesk allowed to know".
    virtual bool isAuthorised() const = 0;
    // Focus now; none when unknown.
    virtual std::optional<bool> isFocused() const = 0;
    // Focus now when authorised, else none: what a poll asks every few seconds, in one query
    // where the source is its own authority.
    virtual std::optional<bool> focusIfAuthorised() const { return isAuthorised() ? isFocused() : std::nullopt; }
    // Answers isAuthorised() later on the main queue; nothing prompts on Linux.
    virtual void request(std::function<void(bool granted)> done) = 0;
};

// The installed service: the desktop's unless a test or tool installed another.
FocusStatus &focusStatus();
void setFocusStatus(FocusStatus *service);  // nullptr restores the real one

}  // namespace vesk
