#pragma once

namespace vesk {

// The system output volume source. The island model creates it idle: no callback, no device and
// no listeners. Reading and changing the volume is not wired up yet.
class VolumeService {
public:
    VolumeService() = default;
    VolumeService(const VolumeService &) = delete;
    VolumeService &operator=(const VolumeService &) = delete;
};

}  // namespace vesk
