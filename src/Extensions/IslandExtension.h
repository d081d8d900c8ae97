#pragma once

#include "Extensions/ExtensionActivity.h"
#include "Extensions/ExtensionInfo.h"
#include "Kit/Element.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace vesk {

// The contract of an extension: an object with identity and state that the registry creates,
// starts right after creation and stops right before dropping it. Its activity is computed on each
// read (it may follow the clock); when it may have changed the extension tells the registry with
// ExtensionStore::activityChanged(), and timed heads-ups go through ExtensionStore::alert().
// Main thread only.
class IslandExtension {
public:
    virtual ~IslandExtension() = default;

    // The description of the extension's type (the same for every instance).
    virtual const ExtensionInfo &info() const = 0;
    // What the extension wants shown beside the notch right now, if anything.
    virtual std::optional<ExtensionActivity> activity() const = 0;

    virtual void start() {}
    virtual void stop() {}

    // The content of the extension's page in the open island: what its catalogue type's page maker
    // makes of it, else nothing.
    virtual kit::Element page() const;
    // A new view of the extension's options, shown under its switch in the Extensions pane: what
    // its catalogue type's settings maker makes of it, else an empty view.
    virtual std::unique_ptr<QWidget> makeSettingsView();
};

}  // namespace vesk
