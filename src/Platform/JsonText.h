#pragma once

#include <nlohmann/json.hpp>

#include <string_view>

namespace vesk {

// The deepest nesting of arrays and objects any reader of outside JSON accepts. Building, copying,
// comparing and writing a parsed value recurse once per level, so a document nested tens of
// thousands of levels deep would exhaust the stack long after the parser accepted it.
inline constexpr int kJsonDepthLimit = 64;

// How deeply `text` nests arrays and objects, found without recursion and without building
// anything; brackets inside strings do not count. Stops early once `limit` is passed and returns
// a value above it.
int jsonNestingDepth(std::string_view text, int limit = kJsonDepthLimit);

// Parses untrusted JSON: a discarded value (`is_discarded()`) for malformed text (a NUL byte
// anywhere included) and for any document nested deeper than `depthLimit`. Never throws. Every reader of files, lines or messages
// that other programs or users write goes through this.
nlohmann::json parseUntrustedJson(std::string_view text, int depthLimit = kJsonDepthLimit);

}  // namespace vesk
