#pragma once

namespace vesk {

// The window system's translucent materials. A system glass material lets the island's lower part
// show what lies behind it; where there is none, the island is drawn solid black.
class Materials {
public:
    virtual ~Materials() = default;
    virtual bool hasGlass() const = 0;

    // The installed service: the Linux one unless a test or tool installed another.
    static Materials &shared();
    static void setShared(Materials *materials);  // nullptr restores the Linux one
};

}  // namespace vesk
