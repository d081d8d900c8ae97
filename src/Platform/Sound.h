#pragma once

#include <string>

namespace vesk {

// Short system sounds from the desktop's sound theme, named by their event identifier
// ("complete", "bell", ...). A missing theme, sound or sound server plays nothing.
class Sound {
public:
    virtual ~Sound() = default;
    virtual void play(const std::string &eventID) = 0;

    // The installed service: the Linux one unless a test or tool installed another.
    static Sound &shared();
    static void setShared(Sound *sound);  // nullptr restores the Linux one
};

}  // namespace vesk
