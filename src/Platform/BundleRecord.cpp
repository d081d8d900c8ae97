#include "Platform/BundleInfo.h"

#include "Platform/JsonText.h"

#include <QFile>

#include <limits>

namespace vesk {

namespace {
constexpr qint64 kMaxInfoBytes = 64 * 1024;
}

std::optional<BundleRecord> readBundleRecord(std::string_view bytes)
{
    if (bytes.size() > size_t(kMaxInfoBytes))
        return std::nullopt;
    const nlohmann::json root = parseUntrustedJson(bytes);
    if (!root.is_object())
        return std::nullopt;
    const auto id = root.find("identifier");
    if (id == root.end() || !id->is_string() || id->get_ref<const std::string &>() != BundleInfo::identifier)
        return std::nullopt;
    BundleRecord record;
    if (auto it = root.find("version"); it != root.end())
        record.version = *it;
    if (auto it = root.find("build"); it != root.end())
        record.build = *it;
    return record;
}

std::string bundleVersion(const nlohmann::json &version)
{
    return version.is_string() ? version.get<std::string>() : std::string("1.0");
}

std::int64_t bundleBuild(const nlohmann::json &build)
{
    if (!build.is_string())
        return 0;
    const std::string &text = build.get_ref<const std::string &>();
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return 0;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return 0;
        const int digit = c - '0';
        // Accumulated negatively so that the smallest int64 fits; too many digits read as 0.
        if (value < (std::numeric_limits<std::int64_t>::min() + digit) / 10)
            return 0;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<std::int64_t>::min())
            return 0;
        value = -value;
    }
    return value;
}

std::optional<BundleRecord> readBundleFolder(const std::string &folder)
{
    QFile file(QString::fromStdString(folder + "/" + BundleInfo::infoFileName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxInfoBytes + 1);
    return readBundleRecord(std::string_view(bytes.constData(), size_t(bytes.size())));
}

}  // namespace vesk
