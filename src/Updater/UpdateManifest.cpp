#include "Updater/UpdateManifest.h"

#include "Platform/JsonText.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <limits>

namespace vesk {

namespace {

std::optional<std::int64_t> int64Of(const nlohmann::json &value)
{
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return std::int64_t(u);
    }
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    return std::nullopt;
}

}  // namespace

bool isLoopbackUrl(const QUrl &url)
{
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    // QUrl gives an address host in its plain form ("127.1" becomes "127.0.0.1", "[::1]" "::1").
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    if (::inet_pton(AF_INET, text.constData(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, text.constData(), &v6) == 1)
        return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
    return false;
}

bool isAllowedUpdateUrl(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || (scheme == QLatin1String("http") && isLoopbackUrl(url));
}

std::optional<UpdateManifest> UpdateManifest::decode(std::string_view body)
{
    if (body.size() > std::size_t(maxBytes))
        return std::nullopt;
    const nlohmann::json root = parseUntrustedJson(body);
    if (!root.is_object())
        return std::nullopt;
    UpdateManifest m;
    auto text = [&](const char *key, std::string &out) {
        const auto it = root.find(key);
        if (it == root.end() || !it->is_string())
            return false;
        out = it->get<std::string>();
        return true;
    };
    if (!text("version", m.version))
        return std::nullopt;
    const auto build = root.find("build");
    if (build == root.end())
        return std::nullopt;
    const auto buildValue = int64Of(*build);
    if (!buildValue)
        return std::nullopt;
    m.build = *buildValue;
    if (!text("url", m.url) || !text("sha256", m.sha256) || !text("signature", m.signature))
        return std::nullopt;
    if (const auto size = root.find("size"); size != root.end() && !size->is_null()) {
        m.size = int64Of(*size);
        if (!m.size)
            return std::nullopt;
    }
    if (const auto notes = root.find("notes"); notes != root.end() && !notes->is_null()) {
        if (!notes->is_array())
            return std::nullopt;
        for (const auto &note : *notes) {
            if (!note.is_string())
                return std::nullopt;
            m.notes.push_back(note.get<std::string>());
        }
    }
    if (!isAllowedUpdateUrl(QUrl(QString::fromStdString(m.url), QUrl::StrictMode)))
        return std::nullopt;
    return m;
}

}  // namespace vesk
