#pragma once

#include "Platform/BundleInfo.h"

#include <utility>

namespace vesk {

// A bundle that tests describe: its folder (none: not run from a bundle) and its two entries.
class SimBundleInfo final : public BundleInfo {
public:
    SimBundleInfo() = default;
    SimBundleInfo(std::optional<std::string> path, nlohmann::json version, nlohmann::json build)
        : path_(std::move(path)), version_(std::move(version)), build_(std::move(build))
    {
    }

    std::optional<std::string> bundlePath() const override { return path_; }
    nlohmann::json version() const override { return version_; }
    nlohmann::json build() const override { return build_; }

    void setPath(std::optional<std::string> path) { path_ = std::move(path); }
    void setVersion(nlohmann::json version) { version_ = std::move(version); }
    void setBuild(nlohmann::json build) { build_ = std::move(build); }

private:
    std::optional<std::string> path_;
    nlohmann::json version_;
    nlohmann::json build_;
};

}  // namespace vesk
