#include "Readouts/DownloadMonitor.h"

#include <algorithm>
#include <cstdint>

namespace vesk {

void DownloadMonitor::start()
{
    if (isSubscribed())
        return;
    const auto folder = source_.downloadsFolder();
    if (!folder)
        return;
    // The source's handlers only hop to the main queue, as a publisher on another thread would need.
    subscription_ = source_.subscribe(
        *folder,
        [this](std::shared_ptr<const FileProgress> progress) {
            lifetime_.post([this, progress = std::move(progress)] { began(progress); });
        },
        [this](std::shared_ptr<const FileProgress> progress) {
            lifetime_.post([this, progress = std::move(progress)] { ended(progress); });
        });
}

void DownloadMonitor::stop()
{
    subscription_.reset();
    active_.clear();
    poll_.stop();
}

void DownloadMonitor::began(std::shared_ptr<const FileProgress> progress)
{
    if (!isSubscribed())
        return;
    if (progress->kind && *progress->kind != FileProgress::downloading)
        return;
    active_.push_back(std::move(progress));
    report();
    if (!poll_.isRunning())
        poll_.start(pollInterval, [this] { report(); });
}

void DownloadMonitor::ended(const std::shared_ptr<const FileProgress> &progress)
{
    const auto it = std::find(active_.begin(), active_.end(), progress);
    if (it == active_.end())
        return;
    active_.erase(it);
    if (!active_.empty()) {
        report();
        return;
    }
    poll_.stop();
    if (onEnd)
        onEnd(!progress->cancelled);
}

std::optional<double> DownloadMonitor::fraction(const std::vector<std::shared_ptr<const FileProgress>> &downloads)
{
    int64_t completed = 0, total = 0;
    for (const auto &download : downloads) {
        if (download->indeterminate || download->total <= 0)
            return std::nullopt;
        // Sums past 64 bits (nonsense counts) stay at the largest value instead of wrapping.
        if (__builtin_add_overflow(completed, download->completed, &completed))
            completed = INT64_MAX;
        if (__builtin_add_overflow(total, download->total, &total))
            total = INT64_MAX;
    }
    if (downloads.empty())
        return std::nullopt;
    return std::min(1.0, double(completed) / double(total));
}

void DownloadMonitor::report()
{
    if (onProgress)
        onProgress(fraction(active_));
}

}  // namespace vesk
