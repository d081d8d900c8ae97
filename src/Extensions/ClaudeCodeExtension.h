#pragma once

#include "Extensions/IslandExtension.h"

namespace vesk {

// The Claude Code integration's place in the catalogue: its description, no activity and an empty
// page until its model and intake are built.
class ClaudeCodeExtension final : public IslandExtension {
public:
    static const ExtensionInfo &typeInfo();
    // The extension's own tint (not the system orange).
    static const QColor &orange();

    const ExtensionInfo &info() const override { return typeInfo(); }
    std::optional<ExtensionActivity> activity() const override { return std::nullopt; }
};

}  // namespace vesk
