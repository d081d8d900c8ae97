#pragma once

#include "Model/Peek.h"
#include "Extensions/ExtensionActivity.h"
#include "NowPlaying/Track.h"
#include "Platform/AudioDevices.h"
#include "Platform/CalendarStore.h"

#include <nlohmann/json.hpp>

#include <QByteArray>
#include <QColor>

#include <string>
#include <vector>

// Reading the script's arguments: words, JSON values and the records they describe. Times inside
// JSON (start, end, timestamp) are seconds from `now` (wall-clock seconds). Every failure throws
// ScriptError.
namespace script {

// The next blank-separated word of `line` from `pos` (advanced past it); empty at the end.
std::string nextWord(const std::string &line, size_t &pos);
// The rest of the line from `pos`, without surrounding blanks.
std::string rest(const std::string &line, size_t pos);
// A JSON value starting at the next non-blank character; `pos` is advanced to where it ends.
nlohmann::json nextJson(const std::string &line, size_t &pos);

double number(const std::string &word);
int integer(const std::string &word);

QColor colour(const nlohmann::json &value);
vesk::Peek peek(const nlohmann::json &object, double now);
vesk::Track track(const nlohmann::json &object, double now);
vesk::StoredEvent event(const nlohmann::json &object, double now);
vesk::ExtensionActivity activity(const nlohmann::json &object);

// One entry of an output list: {"id":1,"name":"…","transport":"builtin","default":true}.
struct Output {
    vesk::AudioDevice device;
    bool isDefault = false;
};
// An array of outputs with distinct ids of 1 or more and at most one default.
std::vector<Output> outputs(const nlohmann::json &array);

// Bytes given as a JSON string or as "base64:DATA" (the rest of the line).
QByteArray bytesArgument(const std::string &line, size_t &pos, const std::string &verb);

// A number with at most 3 decimals, without trailing zeros or point: 204, 74.5.
std::string compact(double value);

// A UTF-8 JSON string literal escaping only '"', '\' and control characters.
std::string jsonString(const std::string &utf8);

}  // namespace script
