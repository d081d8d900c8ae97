#pragma once

#include "Platform/Backlight.h"

#include <algorithm>

namespace vesk {

// A simulated backlight with continuous levels; `present` false is a machine without one.
class SimBacklight final : public Backlight {
public:
    bool canRead() const override { return present; }
    std::optional<float> level() const override { return present ? std::optional(level_) : std::nullopt; }
    bool canWrite() const override { return present; }
    std::optional<float> setLevel(float level, int) override
    {
        if (!present)
            return std::nullopt;
        level_ = std::clamp(level, 0.0f, 1.0f);
        ++writes;
        return level_;
    }
    // Something else (the desktop, a slider) changed the level.
    void change(float level) { level_ = level; }

    bool present = true;
    int writes = 0;

private:
    float level_ = 0.5f;
};

}  // namespace vesk
