#pragma once

#include "Platform/AudioDevices.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace vesk {

// The machine's audio outputs as the island and the output picker show them: each with a symbol
// that suits it and whether it is wireless, read from the audio service it is given. Main thread
// only.
class AudioOutput {
public:
    struct Device {
        uint32_t id = 0;  // the audio service's identifier; the identity in lists
        QString name;
        QString symbol;   // a symbol name of the view toolkit's catalogue
        bool isWireless = false;
        bool operator==(const Device &) const = default;
    };

    AudioOutput() = delete;

    // The outputs in the audio service's order; empty when there is no sound server.
    static std::vector<Device> devices(AudioDevices &service);

    // Calls `onChange` on the main thread after each change of the output list and after each
    // change of the default output (a device that connects and at once becomes the default calls
    // it twice). Only the first call per audio service installs anything; later calls are ignored.
    static void observe(AudioDevices &service, std::function<void()> onChange);

    // The symbol for a device: name rules first (AirPods, Beats, HomePod), then the transport.
    // The first candidate that `setSymbolLookup`'s test knows wins; "headphones" when none does.
    static QString symbol(const QString &name, AudioTransport transport, bool isLaptop);

    // Whether this machine runs on an internal battery; decided once per process from
    // /sys/class/power_supply.
    static bool isLaptop();
    // The test itself, on a power-supply folder laid out like /sys/class/power_supply: a supply
    // of type "Battery" that does not belong to a peripheral (scope "Device").
    static bool detectLaptop(const QString &powerSupplyDir);

    // Tells which symbol names exist; until one is installed every name counts as existing.
    static void setSymbolLookup(std::function<bool(const QString &)> exists);
};

}  // namespace vesk
