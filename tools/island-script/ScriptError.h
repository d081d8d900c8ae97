#pragma once

#include <stdexcept>
#include <string>

// A fault in the script itself (unknown verb or field, bad JSON, a verb used where it is not
// allowed): the run stops with exit status 2.
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
