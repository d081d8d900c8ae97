#pragma once

#include <QColor>

#include <string>

namespace vesk {

// The fixed description of an extension type, known without an instance: its identifier (stored
// in the enabled list and used in its page's identity), the name of its tab and of its row in the
// Extensions pane, one sentence under that name, the symbol and tint of its icon, and the header
// of its section in the pane.
struct ExtensionInfo {
    std::string id;
    std::string name;
    std::string summary;
    std::string symbol;
    QColor tint;
    std::string category;
    bool operator==(const ExtensionInfo &) const = default;
};

}  // namespace vesk
