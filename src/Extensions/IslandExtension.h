#pragma once

#include "Extensions/ExtensionActivity.h"
#include "Extensions/ExtensionInfo.h"
#include "Kit/Element.h"
#include "Platform/Observed.h"
#include "Platform/Signal.h"

#include <optional>

namespace vesk {

// The contract of an extension: a running extension has an identity, an optional activity that the
// island may show as its ongoing activity, and may ask for a heads-up (an alert readout).
// Main thread only.
class IslandExtension {
public:
    virtual ~IslandExtension() = default;
    virtual const ExtensionInfo &info() const = 0;

    // The extension's current activity, if it has one.
    const Observed<std::optional<ExtensionActivity>> &activity() const { return activity_; }

    // The extension's page in the open island; nothing by default.
    virtual kit::Element page() const { return kit::Empty(); }

    // An alert: show this activity for that many seconds.
    Signal<const ExtensionActivity &, double> alert;

protected:
    void setActivity(std::optional<ExtensionActivity> activity) { activity_ = std::move(activity); }

private:
    Observed<std::optional<ExtensionActivity>> activity_;
};

}  // namespace vesk
