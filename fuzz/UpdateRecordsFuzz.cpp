// Fuzzes the updater's readers of untrusted bytes: the server's manifest, the strict Base64 of keys
// and signatures, and a bundle's Info.json. The first byte picks the reader. Besides crashes it
// checks that the Base64 decoder accepts only what Qt's own strict mode accepts, with the same
// bytes, and that an accepted manifest holds what its rules promise.
#include "Platform/BundleInfo.h"
#include "Updater/UpdateManifest.h"
#include "Updater/UpdateVerifier.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void base64(std::string_view text)
{
    const auto ours = vesk::decodeStrictBase64(text);
    if (!ours)
        return;
    check(text.size() % 4 == 0);
    const auto qt = QByteArray::fromBase64Encoding(QByteArray(text.data(), qsizetype(text.size())),
                                                   QByteArray::AbortOnBase64DecodingErrors);
    check(bool(qt));
    check(qt.decoded == QByteArray(reinterpret_cast<const char *>(ours->data()), qsizetype(ours->size())));
}

void manifest(std::string_view text)
{
    const auto m = vesk::UpdateManifest::decode(text);
    if (!m)
        return;
    check(vesk::isAllowedUpdateUrl(QUrl(QString::fromStdString(m->url), QUrl::StrictMode)));
    // What was accepted, written out plainly, reads back the same.
    nlohmann::json plain = {{"version", m->version}, {"build", m->build},        {"url", m->url},
                            {"sha256", m->sha256},   {"signature", m->signature}, {"notes", m->notes}};
    if (m->size)
        plain["size"] = *m->size;
    const auto again = vesk::UpdateManifest::decode(plain.dump());
    check(again && again->version == m->version && again->build == m->build && again->url == m->url &&
          again->sha256 == m->sha256 && again->signature == m->signature && again->size == m->size &&
          again->notes == m->notes);
}

void bundleInfo(std::string_view text)
{
    if (const auto record = vesk::readBundleRecord(text)) {
        (void)vesk::bundleVersion(record->version);
        (void)vesk::bundleBuild(record->build);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0: base64(text); break;
    case 1: manifest(text); break;
    default: bundleInfo(text); break;
    }
    return 0;
}
