#pragma once

#include <QUrl>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// What the update server says about the newest release, decoded from untrusted JSON.
struct UpdateManifest {
    std::string version;
    std::int64_t build = 0;
    std::string url;
    std::string sha256;
    std::string signature;
    std::optional<std::int64_t> size;  // the archive's length in bytes, when given
    std::vector<std::string> notes;

    // Bodies above this are not manifests; the check stops reading there.
    static constexpr std::int64_t maxBytes = 1024 * 1024;

    // A JSON object with "version", "url", "sha256" and "signature" strings and an integer "build"
    // (in int64), and optionally an integer "size" and an array of strings "notes"; null stands for
    // a missing optional key, other keys are ignored. A wrong type fails, for "size" too, and so
    // does a "url" that `isAllowedUpdateUrl` refuses: no other scheme is ever fetched.
    static std::optional<UpdateManifest> decode(std::string_view body);
};

// An address the updater may fetch: https, or plain http to a loopback host (127.0.0.0/8, ::1,
// localhost), which only a developer's own server uses.
bool isAllowedUpdateUrl(const QUrl &url);
bool isLoopbackUrl(const QUrl &url);

}  // namespace vesk
