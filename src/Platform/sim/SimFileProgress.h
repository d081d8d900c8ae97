#pragma once

#include "Platform/FileProgress.h"

#include <map>
#include <memory>
#include <string>

namespace vesk {

// File progress that tests and tools publish by name, for any subscriber of the download folder.
class SimFileProgress final : public FileProgressSource {
public:
    std::optional<std::string> downloadsFolder() const override { return folder; }
    Connection subscribe(const std::string &, Handler published, Handler unpublished) override
    {
        auto subscriber = std::make_shared<Subscriber>(Subscriber{std::move(published), std::move(unpublished)});
        subscriber_ = subscriber;
        return Connection([this, weak = std::weak_ptr<Subscriber>(subscriber)] {
            if (subscriber_ == weak.lock())
                subscriber_.reset();
        });
    }

    // Publishes a progress (to the subscriber of the moment, if any); false when `id` runs already.
    bool start(const std::string &id, FileProgress progress)
    {
        if (running_.count(id))
            return false;
        auto shared = std::make_shared<FileProgress>(std::move(progress));
        running_[id] = shared;
        if (subscriber_ && subscriber_->published)
            subscriber_->published(shared);
        return true;
    }
    // The running progress `id`, changed in place by its publisher; null when there is none.
    std::shared_ptr<FileProgress> running(const std::string &id) const
    {
        auto it = running_.find(id);
        return it == running_.end() ? nullptr : it->second;
    }
    bool end(const std::string &id, bool cancelled)
    {
        auto it = running_.find(id);
        if (it == running_.end())
            return false;
        auto progress = it->second;
        running_.erase(it);
        progress->cancelled = cancelled;
        if (subscriber_ && subscriber_->unpublished)
            subscriber_->unpublished(progress);
        return true;
    }

    std::optional<std::string> folder = std::string("/home/user/Downloads");

private:
    struct Subscriber {
        Handler published;
        Handler unpublished;
    };
    std::shared_ptr<Subscriber> subscriber_;
    std::map<std::string, std::shared_ptr<FileProgress>> running_;
};

}  // namespace vesk
