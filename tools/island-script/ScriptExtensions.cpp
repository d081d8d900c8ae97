#include "ScriptExtensions.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "Extensions/ExtensionStore.h"
#include "Extensions/SystemStatsExtension.h"
#include "Platform/UserDefaults.h"

#include <cstdio>

using namespace vesk;
using nlohmann::json;

namespace {

std::shared_ptr<SystemStatsExtension> runningStats()
{
    return std::dynamic_pointer_cast<SystemStatsExtension>(
        ExtensionStore::shared().instance(SystemStatsExtension::typeInfo().id));
}

uint64_t unsignedOf(const json &value, const char *what)
{
    if (!value.is_number_unsigned() && !(value.is_number_integer() && value.get<int64_t>() >= 0))
        throw ScriptError(std::string("stats: \"") + what + "\" needs a whole number of 0 or more");
    return value.get<uint64_t>();
}

}  // namespace

ScriptExtensions::ScriptExtensions(SimPowerSupply &power) : power_(power)
{
    stats_.supply = &power_;
    SystemStatsSource::setShared(&stats_);
}

ScriptExtensions::~ScriptExtensions() { SystemStatsSource::setShared(nullptr); }

bool ScriptExtensions::execute(const std::string &verb, const std::string &line, size_t &pos)
{
    auto noMore = [&] {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
    };
    if (verb == "enable" || verb == "disable") {
        const std::string id = script::nextWord(line, pos);
        if (id.empty())
            throw ScriptError(verb + " needs an extension identifier");
        noMore();
        ExtensionStore::shared().setEnabled(id, verb == "enable");
        return true;
    }
    if (verb != "stats")
        return false;
    size_t save = pos;
    if (script::nextWord(line, save) == "visible") {
        pos = save;
        const std::string state = script::nextWord(line, pos);
        noMore();
        if (state != "on" && state != "off")
            throw ScriptError("stats visible takes on or off");
        const auto stats = runningStats();
        if (!stats)
            throw ScriptError("stats visible needs System Stats running: \"enable system-stats\" first");
        stats->setVisible(state == "on");
        return true;
    }
    const json object = script::nextJson(line, pos);
    noMore();
    setStats(object);
    return true;
}

void ScriptExtensions::setStats(const json &object)
{
    if (!object.is_object())
        throw ScriptError("stats needs a JSON object");
    for (const auto &[key, value] : object.items()) {
        const bool null = value.is_null();
        if (key == "cpu") {
            if (null)
                stats_.cpu.reset();
            else if (value.is_object() && value.contains("busy") && value.contains("total"))
                stats_.cpu = SystemStatsSource::CpuTicks{unsignedOf(value.at("busy"), "busy"), unsignedOf(value.at("total"), "total")};
            else
                throw ScriptError("stats: \"cpu\" needs {\"busy\",\"total\"} or null");
        } else if (key == "memoryUsed") {
            if (null)
                stats_.memory.reset();
            else
                stats_.memory = unsignedOf(value, "memoryUsed");
        } else if (key == "memoryTotal") {
            stats_.physicalMemory = null ? 0 : unsignedOf(value, "memoryTotal");
        } else if (key == "disk") {
            if (null)
                stats_.volume.reset();
            else if (value.is_object() && value.contains("total") && value.contains("free"))
                stats_.volume = SystemStatsSource::Disk{int64_t(unsignedOf(value.at("total"), "total")),
                                                        int64_t(unsignedOf(value.at("free"), "free"))};
            else
                throw ScriptError("stats: \"disk\" needs {\"total\",\"free\"} or null");
        } else if (key == "network") {
            if (null)
                stats_.network.reset();
            else if (value.is_object() && value.contains("down") && value.contains("up"))
                stats_.network = SystemStatsSource::NetworkBytes{unsignedOf(value.at("down"), "down"), unsignedOf(value.at("up"), "up")};
            else
                throw ScriptError("stats: \"network\" needs {\"down\",\"up\"} or null");
        } else if (key == "thermal") {
            const std::string name = value.is_string() ? value.get<std::string>() : "";
            if (name == "nominal")
                stats_.state = SystemStatsSource::Thermal::nominal;
            else if (name == "fair")
                stats_.state = SystemStatsSource::Thermal::fair;
            else if (name == "serious")
                stats_.state = SystemStatsSource::Thermal::serious;
            else if (name == "critical")
                stats_.state = SystemStatsSource::Thermal::critical;
            else
                throw ScriptError("stats: \"thermal\" is nominal, fair, serious or critical");
        } else if (key == "battery") {
            // The battery readout's reading, changed without a notification.
            if (null)
                power_.replace(std::nullopt);
            else if (value.is_object() && value.contains("percent") && value.at("percent").is_number_integer()
                     && value.at("percent").get<int64_t>() >= 0 && value.at("percent").get<int64_t>() <= 100
                     && value.value("pluggedIn", json(false)).is_boolean())
                power_.replace(BatteryReading{value.at("percent").get<int>(), value.value("pluggedIn", false)});
            else
                throw ScriptError("stats: \"battery\" needs {\"percent\",\"pluggedIn\"} or null");
        } else if (key == "timeLeft") {
            if (!value.is_number())
                throw ScriptError("stats: \"timeLeft\" needs a number of seconds");
            stats_.timeLeft = value.get<double>();
        } else if (key == "processors") {
            if (!value.is_number_integer())
                throw ScriptError("stats: \"processors\" needs a whole number");
            stats_.processors = value.get<int>();
        } else {
            throw ScriptError("stats: unknown key \"" + key + "\"");
        }
    }
}

void ScriptExtensions::addFields(std::map<std::string, std::string> &f) const
{
    auto &store = ExtensionStore::shared();
    std::string ids;
    for (const auto &id : store.pageIDs())
        ids += (ids.empty() ? "" : ",") + id;
    f["extensions"] = ids.empty() ? "none" : ids;
    const auto enabled = UserDefaults::standard().storedValue(ExtensionStore::enabledKey);
    f["enabled"] = enabled ? enabled->dump() : "none";
    if (const auto activity = store.activity()) {
        f["activity"] = activity->extensionID + " " + activity->symbol + " " + activity->tint.name().toUpper().toStdString() + " "
            + (activity->isUrgent ? "urgent" : "plain") + " " + script::jsonString(activity->text.toStdString());
    } else {
        f["activity"] = "none";
    }
    const auto stats = runningStats();
    auto put = [&](const char *name, std::string value) { f[std::string("stats.") + name] = stats ? value : "none"; };
    if (!stats) {
        for (const char *name : {"cpu", "memoryUsed", "memoryTotal", "diskFree", "diskTotal", "disk", "thermal", "battery",
                                 "timeLeft", "download", "upload", "busy", "samples"})
            put(name, "");
        return;
    }
    const auto battery = stats->battery.peek();
    const auto left = stats->batteryTimeLeft.peek();
    const auto busy = stats->busySince.peek();
    put("cpu", script::compact(stats->cpu.peek()));
    put("memoryUsed", script::compact(double(stats->memoryUsed.peek())));
    put("memoryTotal", script::compact(double(stats->memoryTotal)));
    put("diskFree", script::compact(double(stats->diskFree.peek())));
    put("diskTotal", script::compact(double(stats->diskTotal.peek())));
    put("disk", script::compact(stats->disk()));
    put("thermal", thermalName(stats->thermal.peek()));
    put("battery", battery ? std::to_string(battery->percent) + "," + (battery->pluggedIn ? "true" : "false") : "none");
    put("timeLeft", left ? script::compact(*left) : "none");
    put("download", script::compact(stats->download.peek()));
    put("upload", script::compact(stats->upload.peek()));
    put("busy", busy ? script::compact(*busy) : "none");
    put("samples", std::to_string(stats->samples()));
}
