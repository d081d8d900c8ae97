#pragma once

#include "Platform/Sound.h"

struct ca_context;

namespace vesk {

// Plays theme sounds through libcanberra, which is opened, and its context created, on first use;
// when either fails (no library, no sound server) every later call is silent.
class CanberraSound final : public Sound {
public:
    CanberraSound() = default;
    ~CanberraSound() override;
    CanberraSound(const CanberraSound &) = delete;
    CanberraSound &operator=(const CanberraSound &) = delete;

    void play(const std::string &eventID) override;

private:
    ca_context *context_ = nullptr;
    bool failed_ = false;
};

}  // namespace vesk
