#include "TrackWatch/CommandLine.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <locale.h>

namespace trackwatch {

namespace {

// Decodes the code point at `pos` of valid UTF-8, advancing `pos`.
char32_t decodeAt(std::string_view text, std::size_t &pos)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t cp = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i)
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    pos += extra + 1;
    return cp;
}

// Whitespace and line breaks: the Unicode space separators, the line and paragraph separators,
// the C0 controls from tab to carriage return, and NEL.
bool isWhitespace(char32_t cp)
{
    switch (cp) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20: case 0x85: case 0xA0:
    case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
        return true;
    default:
        return cp >= 0x2000 && cp <= 0x200A;
    }
}

std::string_view trimmed(std::string_view text)
{
    std::size_t start = 0;
    std::size_t end = start;  // one past the last character that is not whitespace
    std::size_t pos = 0;
    bool seenText = false;
    while (pos < text.size()) {
        std::size_t at = pos;
        char32_t cp = decodeAt(text, pos);
        if (isWhitespace(cp))
            continue;
        if (!seenText) {
            start = at;
            seenText = true;
        }
        end = pos;
    }
    return seenText ? text.substr(start, end - start) : std::string_view{};
}

std::string_view skipLeadingSpace(std::string_view word)
{
    std::size_t i = 0;
    while (i < word.size() && (word[i] == ' ' || (word[i] >= '\t' && word[i] <= '\r')))
        ++i;
    return word.substr(i);
}

}  // namespace

std::optional<std::string> CommandReader::next()
{
    // fgets semantics: at most kPieceBytes bytes, stopping after a line feed.
    char buffer[kPieceBytes + 1];
    while (true) {
        std::size_t length = 0;
        while (length < kPieceBytes) {
            int c = std::getc(input_);
            if (c == EOF)
                break;
            buffer[length++] = static_cast<char>(c);
            if (c == '\n')
                break;
        }
        if (length == 0)
            return std::nullopt;
        if (auto line = decodePiece(std::string_view(buffer, length)); line && !line->empty())
            return line;
    }
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    auto continuation = [&](std::size_t k) { return k < n && (at(k) & 0xC0) == 0x80; };
    while (i < n) {
        unsigned char c = at(i);
        if (c < 0x80) {
            ++i;
        } else if (c >= 0xC2 && c <= 0xDF) {
            if (!continuation(i + 1))
                return false;
            i += 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            if (!continuation(i + 1) || !continuation(i + 2))
                return false;
            unsigned char c1 = at(i + 1);
            if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0))  // overlong or a surrogate
                return false;
            i += 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            if (!continuation(i + 1) || !continuation(i + 2) || !continuation(i + 3))
                return false;
            unsigned char c1 = at(i + 1);
            if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90))  // overlong or beyond U+10FFFF
                return false;
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<std::string> decodePiece(std::string_view bytes)
{
    if (auto nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    if (!isValidUtf8(bytes))
        return std::nullopt;
    return std::string(trimmed(bytes));
}

std::optional<Command> parseCommand(std::string_view line)
{
    auto space = line.find(' ');
    if (space == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = line.substr(space + 1);
    return Command{std::string(line.substr(0, space)), std::string(rest.substr(0, rest.find(' ')))};
}

std::int32_t integerValue(std::string_view word)
{
    word = skipLeadingSpace(word);
    bool negative = false;
    if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
        negative = word[0] == '-';
        word.remove_prefix(1);
    }
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (char c : word) {
        if (c < '0' || c > '9')
            break;
        value = std::min(value * 10 + (c - '0'), limit);
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

double doubleValue(std::string_view word)
{
    word = skipLeadingSpace(word);
    bool negative = false;
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        negative = word[i] == '-';
        ++i;
    }
    // Find the longest prefix of the form digits [. digits] [e [sign] digits].
    const std::size_t numberStart = i;
    auto digits = [&](std::size_t &k) {
        std::size_t from = k;
        while (k < word.size() && word[k] >= '0' && word[k] <= '9')
            ++k;
        return k - from;
    };
    std::size_t mantissa = digits(i);
    if (i < word.size() && word[i] == '.') {
        std::size_t k = i + 1;
        std::size_t fraction = digits(k);
        if (mantissa + fraction > 0)
            i = k;
        mantissa += fraction;
    }
    if (mantissa == 0)
        return 0.0;
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < word.size() && (word[k] == '+' || word[k] == '-'))
            ++k;
        if (digits(k) > 0)
            i = k;
    }
    // The prefix is checked above, so strtod sees no hexadecimal, infinity or nan spellings; the C
    // locale keeps the point the decimal separator whatever locale the process runs in. strtod
    // also gives the right answer on overflow (infinity) and underflow (zero or a subnormal).
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const std::string number(word.substr(numberStart, i - numberStart));
    double value = strtod_l(number.c_str(), nullptr, cLocale);
    return negative ? -value : value;
}

}  // namespace trackwatch
