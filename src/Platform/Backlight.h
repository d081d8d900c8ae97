#pragma once

#include <optional>

namespace vesk {

// The built-in display's backlight, levels 0...1. Main thread only.
class Backlight {
public:
    virtual ~Backlight() = default;

    // Whether there is a backlight to read; false for the life of the process when none was found.
    virtual bool canRead() const = 0;
    // The level now; none when the read failed.
    virtual std::optional<float> level() const = 0;
    // Whether levels can be written at all.
    virtual bool canWrite() const = 0;
    // Writes `level` (0...1). A panel with few steps moves at least one step in `direction` (+1,
    // -1, or 0 for the nearest step). Returns the level now set, as level() will read it back;
    // none when the write failed or was refused.
    virtual std::optional<float> setLevel(float level, int direction) = 0;
};

// The installed service: sysfs with logind's writes unless a test or tool installed another.
Backlight &backlight();
void setBacklight(Backlight *service);  // nullptr restores the real one

}  // namespace vesk
