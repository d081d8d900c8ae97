#include "Platform/JsonText.h"

namespace vesk {

int jsonNestingDepth(std::string_view text, int limit)
{
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;  // the escaped character cannot end the string
            else if (c == '"')
                inString = false;
            continue;
        }
        switch (c) {
        case '"':
            inString = true;
            break;
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
    }
    return deepest;
}

nlohmann::json parseUntrustedJson(std::string_view text, int depthLimit)
{
    // JSON never holds a raw NUL byte, but nlohmann's parser takes one as the end of the text and
    // would accept whatever follows it unread.
    if (text.find('\0') != std::string_view::npos || jsonNestingDepth(text, depthLimit) > depthLimit)
        return nlohmann::json(nlohmann::json::value_t::discarded);
    return nlohmann::json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
}

}  // namespace vesk
