#pragma once

#include <string>

namespace vesk {

// What the island knows of an extension type: its identifier (the payload of its page) and the
// name it is listed under.
struct ExtensionInfo {
    std::string id;
    std::string name;
    bool operator==(const ExtensionInfo &) const = default;
};

}  // namespace vesk
