#pragma once

#include "Platform/LoginItem.h"

#include <string>

namespace vesk {

// A login item in memory. Told to fail, every change fails and leaves the status as it was.
class SimLoginItem final : public LoginItem {
public:
    Status status() const override { return status_; }
    std::optional<std::string> registerItem() override { return change(Status::enabled); }
    std::optional<std::string> unregisterItem() override { return change(Status::disabled); }

    void setStatus(Status status) { status_ = status; }
    void setFailing(bool failing) { failing_ = failing; }
    int registerCalls = 0, unregisterCalls = 0;

private:
    std::optional<std::string> change(Status to)
    {
        ++(to == Status::enabled ? registerCalls : unregisterCalls);
        if (failing_)
            return std::string("the login item cannot be changed (simulated)");
        status_ = to;
        return std::nullopt;
    }
    Status status_ = Status::disabled;
    bool failing_ = false;
};

}  // namespace vesk
