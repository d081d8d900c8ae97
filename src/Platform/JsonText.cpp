#include "Platform/JsonText.h"

#include <string>
#include <utility>
#include <vector>

namespace vesk {

namespace {

// Long plain strings are not fed through the parser: it copies them a byte at a time, which for
// the megabytes of Base64 artwork a companion line carries is most of the cost of the line.
constexpr std::size_t longString = 1024;

// Walks the text as the parser sees its strings and brackets, without recursion. `onString` gets
// the bounds of every string's contents, whether they are plain (printable ASCII without escapes,
// so the parser would take them byte for byte) and whether the string follows a colon (an object's
// value). Returns the deepest nesting, stopping once it passes `limit`.
template <typename OnString>
int scan(std::string_view text, int limit, OnString onString)
{
    int depth = 0;
    int deepest = 0;
    char last = 0;  // the last character outside strings that is not blank
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            const std::size_t begin = i + 1;
            bool plain = true;
            for (++i; i < text.size(); ++i) {
                const auto s = static_cast<unsigned char>(text[i]);
                if (s == '\\') {
                    plain = false;
                    ++i;  // the escaped character cannot end the string
                    continue;
                }
                if (s == '"')
                    break;
                if (s < 0x20 || s > 0x7E)
                    plain = false;
            }
            if (i < text.size())
                onString(begin, i, plain, last == ':');
            last = '"';
            continue;
        }
        switch (c) {
        case '[':
        case '{':
            if (++depth > deepest) {
                deepest = depth;
                if (deepest > limit)
                    return deepest;
            }
            break;
        case ']':
        case '}':
            // Unbalanced closers make the text malformed; the parser rejects it.
            if (depth > 0)
                --depth;
            break;
        default:
            break;
        }
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            last = c;
    }
    return deepest;
}

using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

// Puts the long strings back where the parse found their stand-ins: strings that begin with a NUL
// character, which nothing else in the text can produce.
void restore(nlohmann::json &value, std::string_view text, const Spans &spans)
{
    if (value.is_string()) {
        auto &s = value.get_ref<std::string &>();
        if (!s.empty() && s[0] == '\0') {
            const auto &[begin, end] = spans[std::stoul(s.substr(1))];
            s.assign(text.substr(begin, end - begin));
        }
    } else if (value.is_structured()) {
        for (auto &item : value)
            restore(item, text, spans);
    }
}

}  // namespace

int jsonNestingDepth(std::string_view text, int limit)
{
    return scan(text, limit, [](std::size_t, std::size_t, bool, bool) {});
}

nlohmann::json parseUntrustedJson(std::string_view text, int depthLimit)
{
    const auto discarded = nlohmann::json(nlohmann::json::value_t::discarded);
    // JSON never holds a raw NUL byte, but nlohmann's parser takes one as the end of the text and
    // would accept whatever follows it unread.
    if (text.find('\0') != std::string_view::npos)
        return discarded;
    // A NUL written as an escape would look like a stand-in: such text is parsed as it is.
    const bool escapesNul = text.find("\\u0000") != std::string_view::npos;
    Spans spans;
    const int deepest = scan(text, depthLimit, [&](std::size_t begin, std::size_t end, bool plain, bool isValue) {
        if (plain && isValue && end - begin >= longString && !escapesNul)
            spans.emplace_back(begin, end);
    });
    if (deepest > depthLimit)
        return discarded;
    if (spans.empty())
        return nlohmann::json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    // Each long string becomes a short stand-in, parsed as any string; replacing the contents of a
    // valid string with those of another leaves the text exactly as valid as it was.
    std::string shortened;
    std::size_t at = 0;
    for (std::size_t k = 0; k < spans.size(); ++k) {
        shortened.append(text.substr(at, spans[k].first - at));
        shortened += "\\u0000" + std::to_string(k);
        at = spans[k].second;
    }
    shortened.append(text.substr(at));
    auto json = nlohmann::json::parse(shortened, nullptr, /*allow_exceptions=*/false);
    if (!json.is_discarded())
        restore(json, text, spans);
    return json;
}

}  // namespace vesk
