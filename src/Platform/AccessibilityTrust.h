#pragma once

#include <functional>
#include <string>

namespace vesk {

// Whether the user lets Vesk take input that belongs to the desktop (the media keys). Linux has
// no such permission, so the Linux service always trusts; the simulated one can refuse, or grant
// when asked. Main thread only.
class AccessibilityTrust {
public:
    virtual ~AccessibilityTrust() = default;
    virtual bool isTrusted() const = 0;
    // Asks for the trust; `done` runs later on the main queue with the answer. Never prompts on Linux.
    virtual void request(std::function<void(bool granted)> done) = 0;
    // Opens the desktop's privacy settings at `anchor` ("Privacy_Accessibility"). Linux has no such
    // page, so the Linux service does nothing.
    virtual void openPrivacySettings(const std::string &anchor) { (void)anchor; }
};

// The installed service: the Linux one unless a test or tool installed another.
AccessibilityTrust &accessibilityTrust();
void setAccessibilityTrust(AccessibilityTrust *service);  // nullptr restores the Linux one

}  // namespace vesk
