#pragma once

#include "Platform/BundleInfo.h"

namespace vesk {

// The running program's bundle: the folder above the `bin/` that holds /proc/self/exe, when its
// Info.json names our identifier. Elsewhere the version and build compiled into the program.
class ProcBundleInfo final : public BundleInfo {
public:
    ProcBundleInfo();
    // Looks for the bundle of the program at `executable` (a resolved path).
    explicit ProcBundleInfo(const std::string &executable);

    std::optional<std::string> bundlePath() const override { return path_; }
    nlohmann::json version() const override { return version_; }
    nlohmann::json build() const override { return build_; }

private:
    std::optional<std::string> path_;
    nlohmann::json version_;
    nlohmann::json build_;
};

}  // namespace vesk
