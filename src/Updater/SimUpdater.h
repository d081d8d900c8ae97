#pragma once

#include "Platform/sim/SimBundleInfo.h"
#include "Updater/SimUpdateTransport.h"
#include "Updater/Updater.h"

#include <memory>
#include <string>
#include <vector>

namespace vesk {

// The world of an updater that tests and developer tools drive: a bundle they describe, a server
// they serve, background work run inline with its result posted on the main queue, a wake signal,
// and an install environment that unpacks with `unpack` (tar's stand-in) and records the swap and
// the archives handed to the user instead of starting or opening anything.
class SimUpdaterWorld {
public:
    SimUpdaterWorld();

    // A configuration on this world, keeping downloads in `folder`.
    Updater::Config config(const std::string &folder);

    SimBundleInfo bundle;
    std::shared_ptr<SimUpdateTransport> transport = std::make_shared<SimUpdateTransport>();
    Signal<> wake;
    bool writable = true;
    // Plays `/bin/tar -x ... -C DIR`; the default unpacks nothing.
    std::function<ToolResult(const std::string &into)> unpack;
    std::vector<std::vector<std::string>> swaps;
    std::vector<std::string> opened;
    long long processID = 4242;
};

}  // namespace vesk
