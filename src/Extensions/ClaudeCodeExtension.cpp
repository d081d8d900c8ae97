#include "Extensions/ClaudeCodeExtension.h"

namespace vesk {

const QColor &ClaudeCodeExtension::orange()
{
    static const QColor color = QColor::fromRgbF(0.85f, 0.47f, 0.34f, 1.0f);
    return color;
}

const ExtensionInfo &ClaudeCodeExtension::typeInfo()
{
    static const ExtensionInfo info{"claude-code", "Claude Code",
                                    "Usage limits, live session status, and a heads-up when Claude needs you.",
                                    "asterisk", orange(), "Developer"};
    return info;
}

}  // namespace vesk
