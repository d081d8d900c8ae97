#include "Platform/AccessibilityTrust.h"
#include "Platform/InstalledService.h"
#include "Base/MainQueue.h"

namespace vesk {

namespace {

// The X server lets any client of the session grab keys: there is nothing to grant.
class LinuxAccessibilityTrust final : public AccessibilityTrust {
public:
    bool isTrusted() const override { return true; }
    void request(std::function<void(bool)> done) override
    {
        mainQueue().post([done = std::move(done)] {
            if (done)
                done(true);
        });
    }
};

InstalledService<AccessibilityTrust, LinuxAccessibilityTrust> installed;

}  // namespace

AccessibilityTrust &accessibilityTrust() { return installed.get(); }
void setAccessibilityTrust(AccessibilityTrust *service) { installed.install(service); }

}  // namespace vesk
