#pragma once

#include "Kit/Kit.h"

namespace vesk {

// The tour's simple pages: a greeting, three pages of switches bound to settings, and the close.
// Each fills the tour's page area (412 × 172). The switches are the settings themselves: a change
// here or in the settings window shows on both at once.
struct WelcomeStep {
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const WelcomeStep &, const WelcomeStep &) = default;
};

struct MusicStep {
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const MusicStep &, const MusicStep &) = default;
};

struct ActivitiesStep {
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const ActivitiesStep &, const ActivitiesStep &) = default;
};

// "Install them automatically" is dimmed to 0.4 and takes no clicks while automatic checks are
// off; its stored value stays as it was.
struct UpdatesStep {
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const UpdatesStep &, const UpdatesStep &) = default;
};

struct DoneStep {
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const DoneStep &, const DoneStep &) = default;
};

namespace StepMetrics {
inline constexpr double welcomeMascot = 64;
inline constexpr double doneMascot = 76;
inline constexpr double dependentOpacity = 0.4;
}  // namespace StepMetrics

}  // namespace vesk
