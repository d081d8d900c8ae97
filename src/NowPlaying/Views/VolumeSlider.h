#pragma once

#include "Kit/Kit.h"

namespace vesk {

// The media page's system-volume row: a speaker, a level bar that a click or drag sets, and a
// loud speaker. Every change of a drag writes the volume through the island model (which clamps
// it); muted, the level reads 0. The island model is the environment's.
struct VolumeSlider {
    // The level shown: 0 while muted, else the stored volume.
    static double level(float volume, bool muted) { return muted ? 0.0 : double(volume); }

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const VolumeSlider &, const VolumeSlider &) = default;
};

}  // namespace vesk
