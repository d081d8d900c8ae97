#pragma once

#include <functional>
#include <optional>

namespace vesk {

// Progress of the downloads in progress, for the island's download activity. Created with nothing
// tracked. No folder watch is attached yet; progress arrives only through the report functions,
// which the simulated platform and tools use. Reports are dropped while the monitor is stopped.
class DownloadMonitor {
public:
    // The fraction of all downloads in progress; absent while the total size is undetermined.
    std::function<void(std::optional<double> fraction)> onProgress;
    // The last download ended; true when it completed.
    std::function<void(bool completed)> onEnd;

    void start() { running_ = true; }
    void stop() { running_ = false; }
    bool isRunning() const { return running_; }
    bool isSubscribed() const { return running_; }

    void reportProgress(std::optional<double> fraction)
    {
        if (running_ && onProgress)
            onProgress(fraction);
    }
    void reportEnd(bool completed)
    {
        if (running_ && onEnd)
            onEnd(completed);
    }

private:
    bool running_ = false;
};

}  // namespace vesk
