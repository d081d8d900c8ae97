#pragma once

#include "Platform/FileProgress.h"

#include <optional>
#include <string>

namespace vesk {

// Downloads as partial files in a folder, watched with inotify (see DownloadFolder). Browsers
// publish no sizes, so every download is of unknown size. `folder`, when given, stands for the
// user's download folder (tools and tests).
class InotifyFileProgress final : public FileProgressSource {
public:
    explicit InotifyFileProgress(std::optional<std::string> folder = std::nullopt) : folder_(std::move(folder)) {}

    std::optional<std::string> downloadsFolder() const override;
    Connection subscribe(const std::string &folder, Handler published, Handler unpublished) override;

private:
    std::optional<std::string> folder_;
};

}  // namespace vesk
