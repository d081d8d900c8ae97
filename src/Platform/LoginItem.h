#pragma once

#include <optional>
#include <string>

namespace vesk {

// Starting Vesk when the user logs in. Main thread only.
class LoginItem {
public:
    enum class Status { enabled, disabled };
    virtual ~LoginItem() = default;

    // Read afresh on every call.
    virtual Status status() const = 0;
    // Each returns nothing on success, else a description of what went wrong.
    virtual std::optional<std::string> registerItem() = 0;
    virtual std::optional<std::string> unregisterItem() = 0;
};

// The installed service: the XDG autostart entry unless a test or tool installed another.
LoginItem &loginItem();
void setLoginItem(LoginItem *service);  // nullptr restores the real one

}  // namespace vesk
