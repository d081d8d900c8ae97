#pragma once

#include "Platform/Haptics.h"

#include <utility>
#include <vector>

namespace vesk {

// Records every pattern performed, with the performer that gave it. Installs itself as the shared
// service for its lifetime.
class SimHaptics final : public Haptics {
public:
    struct Entry {
        HapticPattern pattern;
        const void *performer;
        bool operator==(const Entry &) const = default;
    };

    SimHaptics() { Haptics::setShared(this); }
    ~SimHaptics() override { Haptics::setShared(nullptr); }
    SimHaptics(const SimHaptics &) = delete;
    SimHaptics &operator=(const SimHaptics &) = delete;

    void perform(HapticPattern pattern, const void *performer) override { entries.push_back({pattern, performer}); }
    // The entries recorded so far; the list is emptied.
    std::vector<Entry> take() { return std::exchange(entries, {}); }

    std::vector<Entry> entries;
};

}  // namespace vesk
