#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesk {

// The bundle the program runs from: a folder laid out as `cmake --install --prefix` lays it out,
// with an `Info.json` at its root that names our identifier, its version and its build. A program
// run from the build tree or installed under /usr has no bundle; the compiled-in version and build
// number stand in for the two entries. Main thread only; read once, at first use.
class BundleInfo {
public:
    // The identifier an `Info.json` must name to make its folder our bundle.
    static constexpr const char *identifier = "example.vesk.Vesk";
    static constexpr const char *infoFileName = "Info.json";

    virtual ~BundleInfo() = default;

    // The bundle's folder (absolute, without a trailing slash); none when not run from a bundle.
    virtual std::optional<std::string> bundlePath() const = 0;
    // The "version" and "build" entries as they stand, of any JSON type (untrusted: a hand-edited
    // file may hold anything); null when missing.
    virtual nlohmann::json version() const = 0;
    virtual nlohmann::json build() const = 0;

    // The installed service: the running program's own unless a test or tool installed another.
    static BundleInfo &shared();
    static void setShared(BundleInfo *info);  // nullptr restores the running program's
};

// What an `Info.json` holds, when it is a JSON object whose "identifier" is ours; the other two
// entries are taken as they are (null when missing). Anything else (not JSON, another identifier,
// over 64 KiB, nested too deep) is none.
struct BundleRecord {
    nlohmann::json version;
    nlohmann::json build;
};
std::optional<BundleRecord> readBundleRecord(std::string_view bytes);

// The two entries read as the updater reads them: the version when it is text, else "1.0"; the
// build as text of an optional "+" or "-" and decimal digits (in int64), else 0.
std::string bundleVersion(const nlohmann::json &version);
std::int64_t bundleBuild(const nlohmann::json &build);

// Reads `<folder>/Info.json` by the rules above; none when it cannot be read.
std::optional<BundleRecord> readBundleFolder(const std::string &folder);

}  // namespace vesk
