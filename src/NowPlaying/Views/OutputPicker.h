#pragma once

#include "Kit/Kit.h"
#include "NowPlaying/AudioOutput.h"

#include <optional>
#include <vector>

namespace vesk {

// The media page's output button: the current output's symbol and name; a click shows or hides
// the volume row, its context menu makes another output the system's default. It changes nothing
// by hand after a choice: the island model follows the sound server's report. The island model is
// the environment's.
struct OutputPicker {
    // The first listed output whose id is `current`; none without one.
    static std::optional<AudioOutput::Device> currentDevice(const std::vector<AudioOutput::Device> &outputs,
                                                            std::optional<uint32_t> current);
    // One item per output in list order: its name, with "checkmark" for the current one and its
    // own symbol otherwise; choosing one makes it the default output.
    static std::vector<kit::MenuItem> menu(AudioDevices &devices, const std::vector<AudioOutput::Device> &outputs,
                                           std::optional<uint32_t> current);

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const OutputPicker &, const OutputPicker &) = default;
};

}  // namespace vesk
