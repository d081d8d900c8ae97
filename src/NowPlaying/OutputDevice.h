#pragma once

#include <cstdint>
#include <string>

namespace vesk {

// An audio output device as the island lists it. `id` is its identity in lists.
struct OutputDevice {
    uint32_t id = 0;
    std::string name;
    std::string symbol;  // symbol name of the device kind
    bool isWireless = false;
    bool operator==(const OutputDevice &) const = default;
};

}  // namespace vesk
