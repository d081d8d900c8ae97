#pragma once

// The command side of the companion line protocol, free of any loop or framework so that the
// fuzzer runs exactly this code: input is read in pieces of at most 255 bytes, each piece decoded,
// trimmed and split into a command word and its argument.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace trackwatch {

// The longest piece read at once; a longer line is handled as several pieces.
inline constexpr std::size_t kPieceBytes = 255;

// Reads the pieces of a stream: a piece ends after a line feed or after kPieceBytes bytes.
class CommandReader {
public:
    explicit CommandReader(std::FILE *input) : input_(input) {}

    // The next piece that decodes to a non-blank line, decoded and trimmed; nothing at the end of
    // the input or on a read error.
    std::optional<std::string> next();

private:
    std::FILE *input_;
};

// A piece as text: the bytes up to the first NUL, when they are valid UTF-8, with whitespace and
// line breaks trimmed from both ends; nothing for invalid UTF-8.
std::optional<std::string> decodePiece(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

// A line's first two words, split at single spaces. Nothing for a line of fewer than two words;
// words after the second are dropped. Either word may be empty ("cmd  1" has an empty second word).
struct Command {
    std::string word;
    std::string argument;
};
std::optional<Command> parseCommand(std::string_view line);

// An integer word: optional leading whitespace, an optional sign and digits; anything else ends
// it, no digits read as 0, and values beyond 32 bits saturate.
std::int32_t integerValue(std::string_view word);

// A decimal word: optional leading whitespace, sign, digits, fraction and exponent; no number reads
// as 0 and an overflow reads as an infinity of its sign. Independent of the C locale.
double doubleValue(std::string_view word);

}  // namespace trackwatch
