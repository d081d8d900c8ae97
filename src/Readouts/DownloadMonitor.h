#pragma once

#include "Base/Lifetime.h"
#include "Base/MainQueue.h"
#include "Base/RepeatingItem.h"
#include "Platform/FileProgress.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vesk {

// The downloads other programs write into the user's download folder, as one overall fraction
// for the island's download activity, and word when the last one ends. Downloads of unknown size
// make the whole fraction unknown. Started and stopped from the settings; main thread only.
//
// States: stopped (no subscription), idle (subscribed, nothing running), downloading (a 0.5 s
// timer re-reads the running downloads, which are not observed).
class DownloadMonitor {
public:
    explicit DownloadMonitor(FileProgressSource &source = fileProgress()) : source_(source) {}
    DownloadMonitor(const DownloadMonitor &) = delete;
    DownloadMonitor &operator=(const DownloadMonitor &) = delete;

    // The fraction 0...1 of the running downloads; none when it cannot be known.
    std::function<void(std::optional<double> fraction)> onProgress;
    // The last running download ended; true when it was not cancelled.
    std::function<void(bool completed)> onEnd;

    // Subscribes to the download folder; nothing when already subscribed or there is no folder
    // (the next start() tries again).
    void start();
    // Ends the subscription and forgets every download, without onEnd.
    void stop();
    bool isSubscribed() const { return subscription_.connected(); }
    size_t activeCount() const { return active_.size(); }

    // Reports the fraction of `active` now.
    void report();

    // A fraction or an end handed in directly (island-script's `download` verb); dropped while
    // stopped.
    void reportProgress(std::optional<double> fraction)
    {
        if (isSubscribed() && onProgress)
            onProgress(fraction);
    }
    void reportEnd(bool completed)
    {
        if (isSubscribed() && onEnd)
            onEnd(completed);
    }

    static constexpr double pollInterval = 0.5;

    // The overall fraction of `downloads`: none when any is of unknown size (or none is known),
    // else the completed sum over the total sum, at most 1.
    static std::optional<double> fraction(const std::vector<std::shared_ptr<const FileProgress>> &downloads);

private:
    void began(std::shared_ptr<const FileProgress> progress);
    void ended(const std::shared_ptr<const FileProgress> &progress);

    FileProgressSource &source_;
    Connection subscription_;
    std::vector<std::shared_ptr<const FileProgress>> active_;
    RepeatingItem poll_;
    Lifetime lifetime_;
};

}  // namespace vesk
