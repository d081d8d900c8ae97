#pragma once

#include "Kit/Element.h"

#include <memory>

namespace vesk {

class ClaudeCodeExtension;

// The Claude Code page of the open island: a header with the icon, the name and the age of the
// usage figures, then either the hint to connect or the two limit rows and the sessions. It only
// reads the extension; connecting happens in the extension's settings view.
struct ClaudeCodePage {
    std::shared_ptr<ClaudeCodeExtension> ext;

    kit::Element body(const kit::Env &) const;
    bool operator==(const ClaudeCodePage &) const = default;
};

}  // namespace vesk
