#pragma once

#include "Platform/Sound.h"

#include <string>
#include <vector>

namespace vesk {

// Records the sounds played. Installs itself as the shared service for its lifetime.
class SimSound final : public Sound {
public:
    SimSound() { Sound::setShared(this); }
    ~SimSound() override { Sound::setShared(nullptr); }
    SimSound(const SimSound &) = delete;
    SimSound &operator=(const SimSound &) = delete;

    void play(const std::string &eventID) override { played.push_back(eventID); }

    std::vector<std::string> played;
};

}  // namespace vesk
