#pragma once

#include <QColor>
#include <QString>

#include <string>

namespace vesk {

// An extension's activity beside the closed island: a tinted symbol and a short label. An urgent
// activity outranks every other ongoing activity.
struct ExtensionActivity {
    std::string extensionID;
    std::string symbol;  // symbol name
    QColor tint;
    QString text;
    bool isUrgent = false;
    bool operator==(const ExtensionActivity &) const = default;
};

}  // namespace vesk
