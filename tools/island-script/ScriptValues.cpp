#include "ScriptValues.h"

#include "ScriptError.h"

#include "Platform/JsonText.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <set>

namespace script {

using nlohmann::json;

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

void expectObject(const json &value, const char *what, std::initializer_list<const char *> allowed)
{
    if (!value.is_object())
        throw ScriptError(std::string(what) + " must be a JSON object");
    std::set<std::string> known(allowed.begin(), allowed.end());
    for (const auto &[key, _] : value.items()) {
        if (!known.count(key))
            throw ScriptError("unknown field \"" + key + "\" in " + what);
    }
}

template <typename T>
T field(const json &object, const char *key, T fallback)
{
    auto it = object.find(key);
    if (it == object.end())
        return fallback;
    try {
        if constexpr (std::is_same_v<T, bool>) {
            if (!it->is_boolean())
                throw ScriptError(std::string("field \"") + key + "\" must be true or false");
        } else if constexpr (std::is_arithmetic_v<T>) {
            if (!it->is_number())
                throw ScriptError(std::string("field \"") + key + "\" must be a number");
        } else if constexpr (std::is_same_v<T, std::string>) {
            if (!it->is_string())
                throw ScriptError(std::string("field \"") + key + "\" must be a string");
        }
        return it->get<T>();
    } catch (const json::exception &) {
        throw ScriptError(std::string("field \"") + key + "\" has the wrong type");
    }
}

QString qstring(const json &object, const char *key, const char *fallback = "")
{
    return QString::fromStdString(field<std::string>(object, key, fallback));
}

template <typename T>
std::optional<T> optionalField(const json &object, const char *key)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return std::nullopt;
    return field<T>(object, key, T{});
}

}  // namespace

std::vector<Output> outputs(const json &array)
{
    if (!array.is_array())
        throw ScriptError("outputs takes a JSON array of outputs");
    std::vector<Output> list;
    bool hasDefault = false;
    for (const auto &item : array) {
        if (!item.is_object())
            throw ScriptError("an output is a JSON object");
        const int id = field<int>(item, "id", 0);
        if (id < 1)
            throw ScriptError("an output needs an \"id\" of 1 or more");
        for (const auto &o : list) {
            if (o.device.id == uint32_t(id))
                throw ScriptError("output id " + std::to_string(id) + " is listed twice");
        }
        const auto transport = vesk::transportNamed(qstring(item, "transport", "other"));
        if (!transport)
            throw ScriptError("an output's \"transport\" is one of builtin, bluetooth, usb, hdmi, network, other");
        const bool isDefault = field<bool>(item, "default", false);
        if (isDefault && hasDefault)
            throw ScriptError("at most one output is the default");
        hasDefault = hasDefault || isDefault;
        list.push_back({vesk::AudioDevice{uint32_t(id), qstring(item, "name"), *transport}, isDefault});
    }
    return list;
}

std::string nextWord(const std::string &line, size_t &pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    size_t start = pos;
    while (pos < line.size() && !isBlank(line[pos]))
        ++pos;
    return line.substr(start, pos - start);
}

std::string rest(const std::string &line, size_t pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    size_t end = line.size();
    while (end > pos && isBlank(line[end - 1]))
        --end;
    return line.substr(pos, end - pos);
}

json nextJson(const std::string &line, size_t &pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    if (pos >= line.size())
        throw ScriptError("a JSON value is missing");
    const size_t start = pos;
    const char first = line[pos];
    if (first == '{' || first == '[' || first == '"') {
        // Find where the value ends: balance brackets outside strings.
        int depth = 0;
        bool inString = false;
        for (; pos < line.size(); ++pos) {
            const char c = line[pos];
            if (inString) {
                if (c == '\\')
                    ++pos;
                else if (c == '"') {
                    inString = false;
                    if (depth == 0) {
                        ++pos;
                        break;
                    }
                }
            } else if (c == '"') {
                inString = true;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if (c == '}' || c == ']') {
                if (--depth == 0) {
                    ++pos;
                    break;
                }
            }
        }
    } else {
        while (pos < line.size() && !isBlank(line[pos]))
            ++pos;
    }
    auto value = vesk::parseUntrustedJson(std::string_view(line).substr(start, pos - start));
    if (value.is_discarded())
        throw ScriptError("bad JSON: " + line.substr(start));
    return value;
}

double number(const std::string &word)
{
    try {
        size_t used = 0;
        double value = std::stod(word, &used);
        if (used == word.size())
            return value;
    } catch (const std::exception &) {
    }
    throw ScriptError("not a number: \"" + word + "\"");
}

int integer(const std::string &word)
{
    try {
        size_t used = 0;
        long long value = std::stoll(word, &used);
        if (used == word.size() && value >= INT32_MIN && value <= INT32_MAX)
            return static_cast<int>(value);
    } catch (const std::exception &) {
    }
    throw ScriptError("not an integer: \"" + word + "\"");
}

QColor colour(const json &value)
{
    if (!value.is_string())
        throw ScriptError("a colour must be a string \"#RRGGBB\"");
    const auto text = value.get<std::string>();
    QColor c(QString::fromStdString(text));
    if (text.size() != 7 || text[0] != '#' || !c.isValid())
        throw ScriptError("bad colour \"" + text + "\"");
    return c;
}

vesk::ExtensionActivity activity(const json &object)
{
    expectObject(object, "extension activity", {"extensionID", "symbol", "tint", "text", "isUrgent"});
    vesk::ExtensionActivity a;
    a.extensionID = field<std::string>(object, "extensionID", "");
    if (a.extensionID.empty())
        throw ScriptError("an extension activity needs an \"extensionID\"");
    a.symbol = field<std::string>(object, "symbol", "");
    a.tint = object.contains("tint") ? colour(object.at("tint")) : QColor(Qt::white);
    a.text = qstring(object, "text");
    a.isUrgent = field<bool>(object, "isUrgent", false);
    return a;
}

vesk::Peek peek(const json &object, double now)
{
    if (!object.is_object() || !object.contains("case") || !object.at("case").is_string())
        throw ScriptError("a peek needs a \"case\"");
    const auto kind = object.at("case").get<std::string>();
    using vesk::Peek;
    if (kind == "volume") {
        expectObject(object, "volume", {"case", "level", "muted"});
        return Peek::volume(field<float>(object, "level", 0), field<bool>(object, "muted", false));
    }
    if (kind == "brightness") {
        expectObject(object, "brightness", {"case", "level"});
        return Peek::brightness(field<float>(object, "level", 0));
    }
    if (kind == "battery") {
        expectObject(object, "battery", {"case", "percent", "charging"});
        return Peek::battery(field<int>(object, "percent", 0), field<bool>(object, "charging", false));
    }
    if (kind == "device") {
        expectObject(object, "device", {"case", "symbol", "connected"});
        return Peek::device(field<std::string>(object, "symbol", ""), field<bool>(object, "connected", false));
    }
    if (kind == "focus" || kind == "capsLock") {
        expectObject(object, kind.c_str(), {"case", "on"});
        const bool on = field<bool>(object, "on", false);
        return kind == "focus" ? Peek::focus(on) : Peek::capsLock(on);
    }
    if (kind == "inputSource") {
        expectObject(object, "inputSource", {"case", "name"});
        return Peek::inputSource(qstring(object, "name"));
    }
    if (kind == "download") {
        expectObject(object, "download", {"case", "fraction"});
        return Peek::download(optionalField<double>(object, "fraction"));
    }
    if (kind == "event") {
        expectObject(object, "event", {"case", "title", "minutes", "start", "color"});
        QColor c = object.contains("color") ? colour(object.at("color")) : QColor(Qt::white);
        return Peek::event(qstring(object, "title"), field<int>(object, "minutes", 0),
                           now + field<double>(object, "start", 0), c);
    }
    if (kind == "custom") {
        if (object.contains("activity")) {
            expectObject(object, "custom", {"case", "activity"});
            return Peek::custom(activity(object.at("activity")));
        }
        json flat = object;
        flat.erase("case");
        return Peek::custom(activity(flat));
    }
    if (kind == "timer" || kind == "timerDone" || kind == "downloadDone") {
        expectObject(object, kind.c_str(), {"case"});
        return kind == "timer" ? Peek::timer() : kind == "timerDone" ? Peek::timerDone() : Peek::downloadDone();
    }
    throw ScriptError("unknown peek case \"" + kind + "\"");
}

vesk::Track track(const json &object, double now)
{
    expectObject(object, "track",
                 {"title", "artist", "album", "duration", "elapsed", "timestamp", "rate", "isPlaying", "bundleID",
                  "isExplicit", "shuffleMode", "repeatMode", "isLiked"});
    vesk::Track t;
    t.title = field<std::string>(object, "title", "");
    t.artist = field<std::string>(object, "artist", "");
    t.album = field<std::string>(object, "album", "");
    t.duration = field<double>(object, "duration", 0);
    t.elapsed = field<double>(object, "elapsed", 0);
    t.timestamp = now + field<double>(object, "timestamp", 0);
    t.rate = field<double>(object, "rate", 1.0);
    t.isPlaying = field<bool>(object, "isPlaying", false);
    t.bundleID = optionalField<std::string>(object, "bundleID");
    t.isExplicit = field<bool>(object, "isExplicit", false);
    t.shuffleMode = optionalField<int>(object, "shuffleMode");
    t.repeatMode = optionalField<int>(object, "repeatMode");
    t.isLiked = optionalField<bool>(object, "isLiked");
    return t;
}

vesk::StoredEvent event(const json &object, double now)
{
    expectObject(object, "event", {"id", "title", "start", "end", "isAllDay", "color"});
    vesk::StoredEvent e;
    if (object.contains("id"))
        e.identifier = qstring(object, "id");
    if (object.contains("title"))
        e.title = qstring(object, "title");
    const double start = field<double>(object, "start", 0);
    e.start = now + start;
    e.end = now + field<double>(object, "end", start + 3600);
    e.isAllDay = field<bool>(object, "isAllDay", false);
    e.color = object.contains("color") ? colour(object.at("color")) : QColor(Qt::white);
    return e;
}

// A number with at most 3 decimals, without trailing zeros or point: 204, 74.5.
std::string compact(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string jsonString(const std::string &utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// Bytes given as a JSON string or as "base64:DATA".
QByteArray bytesArgument(const std::string &line, size_t &pos, const std::string &verb)
{
    std::string word = script::rest(line, pos);
    if (word.rfind("base64:", 0) == 0) {
        pos = line.size();
        auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(word.substr(7)),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            throw ScriptError(verb + ": bad Base64");
        return decoded.decoded;
    }
    auto value = script::nextJson(line, pos);
    if (!value.is_string())
        throw ScriptError(verb + " takes a JSON string or base64:DATA");
    return QByteArray::fromStdString(value.get<std::string>());
}

}  // namespace script
