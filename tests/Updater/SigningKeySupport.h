#pragma once

// Ed25519 key pairs made on the spot, for the updater's tests and benchmarks.

#include "Updater/UpdateVerifier.h"

#include <QByteArray>

#include <openssl/evp.h>

#include <string>

namespace vesk::test {

// An Ed25519 key pair made for one test or benchmark; the private half never leaves memory.
class SigningKey {
public:
    SigningKey()
    {
        EVP_PKEY_CTX *context = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
        EVP_PKEY_keygen_init(context);
        EVP_PKEY_keygen(context, &key_);
        EVP_PKEY_CTX_free(context);
    }
    ~SigningKey() { EVP_PKEY_free(key_); }
    SigningKey(const SigningKey &) = delete;
    SigningKey &operator=(const SigningKey &) = delete;

    std::string publicBase64() const
    {
        unsigned char raw[32];
        size_t length = sizeof raw;
        EVP_PKEY_get_raw_public_key(key_, raw, &length);
        return QByteArray(reinterpret_cast<const char *>(raw), qsizetype(length)).toBase64().toStdString();
    }
    // Base64 of the signature over `message`.
    std::string sign(const QByteArray &message) const
    {
        EVP_MD_CTX *context = EVP_MD_CTX_new();
        EVP_DigestSignInit(context, nullptr, nullptr, nullptr, key_);
        unsigned char signature[64];
        size_t length = sizeof signature;
        EVP_DigestSign(context, signature, &length, reinterpret_cast<const unsigned char *>(message.constData()),
                       size_t(message.size()));
        EVP_MD_CTX_free(context);
        return QByteArray(reinterpret_cast<const char *>(signature), qsizetype(length)).toBase64().toStdString();
    }
    // The release signature: over the raw 32 digest bytes.
    std::string signDigestOf(const QByteArray &archive) const
    {
        const auto digest = sha256Digest(std::string_view(archive.constData(), size_t(archive.size())));
        return sign(QByteArray(reinterpret_cast<const char *>(digest.data()), 32));
    }

private:
    EVP_PKEY *key_ = nullptr;
};

}  // namespace vesk::test
