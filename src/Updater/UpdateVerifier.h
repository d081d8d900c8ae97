#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Standard Base64 read strictly: a length that is a multiple of four, "=" only as the last one or
// two characters, nothing but the 64 characters of the alphabet (no line breaks, no blanks). Qt's
// own decoder skips what it does not know, which would let a mangled signature through to the
// verifier as some other bytes. None when the text breaks a rule.
std::optional<std::vector<std::uint8_t>> decodeStrictBase64(std::string_view text);

// The SHA-256 digest of `bytes`, and the same as 64 lowercase hexadecimal digits.
std::array<std::uint8_t, 32> sha256Digest(std::string_view bytes);
std::string hexDigest(const std::array<std::uint8_t, 32> &digest);

// Whether `bytes` is the archive a release describes: its SHA-256 spelt in lowercase hex equals
// `sha256Hex` exactly, and `signatureBase64` is an Ed25519 signature over the 32 raw digest bytes
// that verifies with the public key `publicKeyBase64` (32 bytes). Either text that is not strict
// Base64, a key or signature of the wrong length, or a signature that fails gives false. Pure and
// thread-safe: the updater runs it off the main thread.
bool verifyUpdate(std::string_view bytes, std::string_view sha256Hex, std::string_view signatureBase64,
                  std::string_view publicKeyBase64);

// The same for an archive on disk, read whole into memory once (hashing needs every byte, and the
// file is at most the archive limit): also false when `size` is given and the file's length
// differs. `readError` tells a file that could not be read from one that failed the tests.
struct ArchiveVerdict {
    bool ok = false;
    std::optional<std::string> readError;
};
ArchiveVerdict verifyArchiveFile(const std::string &path, std::string_view sha256Hex, std::string_view signatureBase64,
                                 std::string_view publicKeyBase64, std::optional<std::int64_t> size);

}  // namespace vesk
