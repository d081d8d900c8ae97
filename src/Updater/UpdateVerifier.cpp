#include "Updater/UpdateVerifier.h"

#include "Base/SharedLibrary.h"

#include <QCryptographicHash>
#include <QFile>

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace vesk {

namespace {

constexpr std::array<std::uint8_t, 256> base64Values()
{
    std::array<std::uint8_t, 256> table{};
    for (auto &v : table)
        v = 0xFF;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    return table;
}

constexpr auto kBase64 = base64Values();

}  // namespace

std::optional<std::vector<std::uint8_t>> decodeStrictBase64(std::string_view text)
{
    const std::size_t n = text.size();
    if (n % 4 != 0)
        return std::nullopt;
    std::size_t padding = 0;
    if (n >= 1 && text[n - 1] == '=')
        padding = (n >= 2 && text[n - 2] == '=') ? 2 : 1;
    std::vector<std::uint8_t> out;
    out.reserve(n / 4 * 3);
    for (std::size_t i = 0; i < n; i += 4) {
        const bool last = i + 4 == n;
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            const unsigned char c = static_cast<unsigned char>(text[i + j]);
            if (last && j >= 4 - padding) {
                group <<= 6;
                continue;
            }
            const std::uint8_t v = kBase64[c];
            if (v == 0xFF)
                return std::nullopt;  // "=" before the end included
            group = group << 6 | v;
        }
        out.push_back(static_cast<std::uint8_t>(group >> 16));
        if (!last || padding < 2)
            out.push_back(static_cast<std::uint8_t>(group >> 8));
        if (!last || padding < 1)
            out.push_back(static_cast<std::uint8_t>(group));
    }
    return out;
}

namespace {

// libcrypto is loaded the first time a signature is checked, which is rare, instead of at start,
// where it would cost the running process over a megabyte of resident memory for good.
struct Crypto {
    Crypto()
    {
        const SharedLibrary library("libcrypto.so.3");
        ok = library.resolve(newRawPublicKey, "EVP_PKEY_new_raw_public_key") && library.resolve(freeKey, "EVP_PKEY_free")
            && library.resolve(newContext, "EVP_MD_CTX_new") && library.resolve(freeContext, "EVP_MD_CTX_free")
            && library.resolve(verifyInit, "EVP_DigestVerifyInit") && library.resolve(verify, "EVP_DigestVerify");
    }
    bool ok = false;
    decltype(&EVP_PKEY_new_raw_public_key) newRawPublicKey = nullptr;
    decltype(&EVP_PKEY_free) freeKey = nullptr;
    decltype(&EVP_MD_CTX_new) newContext = nullptr;
    decltype(&EVP_MD_CTX_free) freeContext = nullptr;
    decltype(&EVP_DigestVerifyInit) verifyInit = nullptr;
    decltype(&EVP_DigestVerify) verify = nullptr;
};

const Crypto *crypto()
{
    static const Crypto loaded;
    return loaded.ok ? &loaded : nullptr;
}

}  // namespace

std::array<std::uint8_t, 32> sha256Digest(std::string_view bytes)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    const QByteArray result = hash.result();
    std::array<std::uint8_t, 32> digest{};
    std::copy(result.begin(), result.end(), digest.begin());
    return digest;
}

std::string hexDigest(const std::array<std::uint8_t, 32> &digest)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex(64, '0');
    for (std::size_t i = 0; i < digest.size(); ++i) {
        hex[2 * i] = digits[digest[i] >> 4];
        hex[2 * i + 1] = digits[digest[i] & 0xF];
    }
    return hex;
}

bool verifyUpdate(std::string_view bytes, std::string_view sha256Hex, std::string_view signatureBase64,
                  std::string_view publicKeyBase64)
{
    const auto digest = sha256Digest(bytes);
    if (hexDigest(digest) != sha256Hex)
        return false;
    const auto key = decodeStrictBase64(publicKeyBase64);
    const auto signature = decodeStrictBase64(signatureBase64);
    if (!key || key->size() != 32 || !signature || signature->size() != 64)
        return false;
    const Crypto *c = crypto();
    if (!c)
        return false;  // nothing can be verified, so nothing is installed
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
        c->newRawPublicKey(EVP_PKEY_ED25519, nullptr, key->data(), key->size()), c->freeKey);
    if (!pkey)
        return false;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(c->newContext(), c->freeContext);
    if (!context || c->verifyInit(context.get(), nullptr, nullptr, nullptr, pkey.get()) != 1)
        return false;
    return c->verify(context.get(), signature->data(), signature->size(), digest.data(), digest.size()) == 1;
}

ArchiveVerdict verifyArchiveFile(const std::string &path, std::string_view sha256Hex, std::string_view signatureBase64,
                                 std::string_view publicKeyBase64, std::optional<std::int64_t> size)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {false, file.errorString().toStdString()};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {false, file.errorString().toStdString()};
    if (size && bytes.size() != *size)
        return {};
    return {verifyUpdate(std::string_view(bytes.constData(), std::size_t(bytes.size())), sha256Hex, signatureBase64,
                         publicKeyBase64),
            std::nullopt};
}

}  // namespace vesk
