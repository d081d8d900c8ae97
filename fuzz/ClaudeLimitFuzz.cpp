// Fuzzes the reading of one usage window and the strict date parser: the input is parsed as JSON
// and handed to limit(), and as a date text to the parser. Checks: a window is present exactly when
// the input is an object with a number "used_percentage", which it keeps; its reset date is the
// number (milliseconds above 10^12 divided) or the parsed text; a parsed date written back as
// YYYY-MM-DDTHH:MM:SSZ gives the input again when the input ends in Z.
#include "ClaudeCodeFuzzSupport.h"

#include "Platform/JsonText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

using vesk::ClaudeCodeExtension;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);

    if (const auto date = ClaudeCodeExtension::parseInternetDate(text)) {
        fuzz::check(text.size() == 20 || text.size() == 25);
        fuzz::check(*date == std::floor(*date));
        if (text.back() == 'Z') {
            const time_t seconds = time_t(*date);
            tm parts{};
            fuzz::check(gmtime_r(&seconds, &parts) != nullptr);
            char again[32];
            std::snprintf(again, sizeof again, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                          parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
            fuzz::check(text == again);
        }
    }

    const nlohmann::json value = vesk::parseUntrustedJson(text);
    const auto limit = ClaudeCodeExtension::limit(value.is_discarded() ? nullptr : &value);
    const bool expected = value.is_object() && value.contains("used_percentage") && value["used_percentage"].is_number();
    fuzz::check(limit.has_value() == expected);
    if (!limit)
        return 0;
    fuzz::check(limit->usedPercent == value["used_percentage"].get<double>());
    const auto resets = value.find("resets_at");
    if (resets == value.end() || !(resets->is_number() || resets->is_string())) {
        fuzz::check(!limit->resetsAt);
    } else if (resets->is_number()) {
        const double t = resets->get<double>();
        fuzz::check(limit->resetsAt == (t > 1e12 ? t / 1000 : t));
    } else {
        fuzz::check(limit->resetsAt == ClaudeCodeExtension::parseInternetDate(resets->get<std::string>()));
    }
    return 0;
}
