#include "ScriptReadouts.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "Model/NotchViewModel.h"
#include "Model/ReadoutRules.h"
#include "Platform/linux/InotifyFileProgress.h"
#include "Platform/linux/SysfsBacklight.h"
#include "Platform/linux/SysfsPowerSupply.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <charconv>

using namespace vesk;

namespace {

std::string resolve(const std::string &folder, const std::string &path)
{
    if (path.empty())
        throw ScriptError("a path is missing");
    if (path.front() == '/' || folder.empty())
        return path;
    return folder + "/" + path;
}

void noMore(const std::string &verb, const std::string &line, size_t pos)
{
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
}

SimAccessPermission::State accessState(const std::string &word)
{
    if (word == "granted")
        return SimAccessPermission::State::granted;
    if (word == "denied")
        return SimAccessPermission::State::denied;
    if (word == "asks")
        return SimAccessPermission::State::asks;
    throw ScriptError("access takes \"granted\", \"denied\" or \"asks\"");
}

}  // namespace

ScriptReadouts::ScriptReadouts(std::function<void()> flush) : flush_(std::move(flush))
{
    setAccessibilityTrust(&trust_);
    setPowerSupply(&power_);
    setMediaKeyGrab(&grab_);
    setKeyboardState(&keyboard_);
    setFocusStatus(&focus_);
    setFileProgress(&files_);
}

ScriptReadouts::~ScriptReadouts()
{
    keyTap_.reset();
    system_.reset();
    downloads_.reset();
    battery_.reset();
    setAccessibilityTrust(nullptr);
    setPowerSupply(nullptr);
    setMediaKeyGrab(nullptr);
    setKeyboardState(nullptr);
    setFocusStatus(nullptr);
    setFileProgress(nullptr);
}

void ScriptReadouts::start()
{
    if (!sysfsRoot_.empty())
        sysfsPower_ = std::make_unique<SysfsPowerSupply>(sysfsRoot_, false);
    battery_ = std::make_unique<BatteryService>(sysfsPower_ ? *sysfsPower_ : static_cast<PowerSupply &>(power_));
    if (!sysfsRoot_.empty())
        sysfsLight_ = std::make_unique<SysfsBacklight>(sysfsRoot_, false);
    keyTap_ = std::make_unique<MediaKeyTap>(grab_, trust_);
    system_ = std::make_unique<SystemMonitor>(keyboard_, focus_);
    if (!watchDir_.empty())
        watchedFolder_ = std::make_unique<InotifyFileProgress>(watchDir_);
    downloads_ = std::make_unique<DownloadMonitor>(watchedFolder_ ? *watchedFolder_ : static_cast<FileProgressSource &>(files_));
}

Backlight &ScriptReadouts::backlight()
{
    if (sysfsLight_)
        return *sysfsLight_;
    return light_;
}

// progress start ID [TOTAL COMPLETED] [kind downloading|copying|none], progress set ID COMPLETED
// [TOTAL], progress end ID [cancelled].
void ScriptReadouts::progress(const std::string &line, size_t &pos)
{
    const std::string action = script::nextWord(line, pos);
    const std::string id = script::nextWord(line, pos);
    if (id.empty())
        throw ScriptError("progress takes start, set or end and an ID");
    auto count = [](const std::string &word) {
        const double value = script::number(word);
        if (!(value >= 0 && value <= 9.0e18) || value != double(int64_t(value)))
            throw ScriptError("progress counts are whole numbers of 0 or more");
        return int64_t(value);
    };
    if (action == "start") {
        FileProgress progress;
        progress.kind = FileProgress::downloading;
        std::string word = script::nextWord(line, pos);
        if (!word.empty() && word != "kind") {
            progress.total = count(word);
            progress.completed = count(script::nextWord(line, pos));
            progress.indeterminate = false;
            word = script::nextWord(line, pos);
        }
        if (word == "kind") {
            const std::string kind = script::nextWord(line, pos);
            if (kind == "none")
                progress.kind.reset();
            else if (kind == "downloading" || kind == "copying")
                progress.kind = kind;
            else
                throw ScriptError("progress kind is downloading, copying or none");
        } else if (!word.empty()) {
            throw ScriptError("unexpected text after \"progress start\": " + word);
        }
        noMore("progress", line, pos);
        if (!files_.start(id, progress))
            throw ScriptError("progress \"" + id + "\" runs already");
    } else if (action == "set") {
        const auto running = files_.running(id);
        if (!running)
            throw ScriptError("no progress \"" + id + "\" runs");
        running->completed = count(script::nextWord(line, pos));
        if (const std::string total = script::nextWord(line, pos); !total.empty())
            running->total = count(total);
        noMore("progress", line, pos);
        running->indeterminate = false;
    } else if (action == "end") {
        const std::string how = script::nextWord(line, pos);
        noMore("progress", line, pos);
        if (!how.empty() && how != "cancelled")
            throw ScriptError("progress end takes an ID and, optionally, \"cancelled\"");
        if (!files_.end(id, how == "cancelled"))
            throw ScriptError("no progress \"" + id + "\" runs");
    } else {
        throw ScriptError("progress takes start, set or end");
    }
    flush_();
}

void ScriptReadouts::key(const std::string &line, size_t &pos)
{
    const std::string name = script::nextWord(line, pos);
    const auto key = MediaKeyTap::named(name);
    if (!key)
        throw ScriptError("key takes volumeUp, volumeDown, mute, brightnessUp or brightnessDown, not \"" + name + "\"");
    bool down = true, up = true, fine = false;
    for (std::string word = script::nextWord(line, pos); !word.empty(); word = script::nextWord(line, pos)) {
        if (word == "down" && down && up)
            up = false;
        else if (word == "up" && down && up)
            down = false;
        else if (word == "fine" && !fine)
            fine = true;
        else
            throw ScriptError("key takes NAME [down|up] [fine]");
    }
    const uint64_t flags = fine ? SystemKeyEvent::shift | SystemKeyEvent::option : 0;
    const int code = MediaKeyTap::code(*key);
    if (down) {
        const auto taken = grab_.press(code, true, flags);
        lastKey_ = !taken ? "passed" : *taken ? "consumed" : "declined";
    }
    if (up)
        grab_.press(code, false, flags);
    flush_();
}

bool ScriptReadouts::execute(const std::string &verb, const std::string &line, size_t &pos, bool started,
                             const std::string &folder)
{
    auto before = [&] {
        if (started)
            throw ScriptError("\"" + verb + "\" must come before \"start\"");
    };
    if (verb == "battery") {
        const std::string first = script::nextWord(line, pos);
        std::optional<BatteryReading> reading;
        if (first != "none") {
            const int percent = script::integer(first);
            const std::string plug = script::nextWord(line, pos);
            if (percent < 0 || percent > 100 || (plug != "plugged" && plug != "unplugged"))
                throw ScriptError("battery takes PERCENT (0...100) plugged|unplugged, or none");
            reading = BatteryReading{percent, plug == "plugged"};
        }
        noMore(verb, line, pos);
        power_.set(reading);
    } else if (verb == "key") {
        if (!started)
            throw ScriptError("\"key\" needs the islands: use it after \"start\"");
        key(line, pos);
    } else if (verb == "progress") {
        progress(line, pos);
    } else if (verb == "downloads") {
        before();
        if (script::nextWord(line, pos) != "watch")
            throw ScriptError("downloads takes \"watch DIR\"");
        const std::string dir = script::nextWord(line, pos);
        noMore(verb, line, pos);
        watchDir_ = resolve(folder, dir);
    } else if (verb == "keys") {
        const std::string what = script::nextWord(line, pos);
        noMore(verb, line, pos);
        if (what != "free" && what != "taken")
            throw ScriptError("keys takes \"free\" or \"taken\"");
        grab_.desktopHoldsKeys = what == "taken";
    } else if (verb == "brightness") {
        const std::string what = script::nextWord(line, pos);
        noMore(verb, line, pos);
        if (what == "none") {
            before();
            light_.present = false;
        } else {
            const double level = script::number(what);
            if (!(level >= 0 && level <= 1))
                throw ScriptError("brightness takes a level of 0 to 1, or none");
            if (!light_.present)
                throw ScriptError("brightness: the machine has no backlight");
            light_.change(float(level));
        }
        flush_();
    } else if (verb == "caps" || verb == "focus") {
        const std::string what = script::nextWord(line, pos);
        noMore(verb, line, pos);
        if (what != "on" && what != "off")
            throw ScriptError("\"" + verb + "\" takes \"on\" or \"off\"");
        if (verb == "caps")
            keyboard_.setCapsLock(what == "on");
        else
            focus_.focused = what == "on";
        flush_();
    } else if (verb == "keyboard") {
        const auto name = script::nextJson(line, pos);
        noMore(verb, line, pos);
        if (!name.is_string())
            throw ScriptError("keyboard takes a JSON string");
        keyboard_.setLayout(name.get<std::string>());
        flush_();
    } else if (verb == "access") {
        const std::string what = script::nextWord(line, pos);
        const auto state = accessState(script::nextWord(line, pos));
        noMore(verb, line, pos);
        if (what == "accessibility")
            trust_.permission.setState(state);
        else if (what == "focus")
            focus_.permission.setState(state);
        else
            throw ScriptError("access takes \"focus\" or \"accessibility\"");
    } else if (verb == "sysfs") {
        before();
        const std::string dir = script::nextWord(line, pos);
        noMore(verb, line, pos);
        sysfsRoot_ = resolve(folder, dir);
    } else if (verb == "pump") {
        const double seconds = script::number(script::nextWord(line, pos));
        noMore(verb, line, pos);
        if (!(seconds >= 0 && seconds <= 10))
            throw ScriptError("pump takes 0 to 10 seconds");
        pump(seconds);
    } else {
        return false;
    }
    return true;
}

void ScriptReadouts::pump(double seconds)
{
    // A short wake-up keeps the loop from spinning while nothing arrives.
    QTimer tick;
    tick.start(10);
    QElapsedTimer timer;
    timer.start();
    const qint64 total = qint64(seconds * 1000);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        flush_();
    } while (timer.elapsed() < total);
}

namespace {

std::string shortest(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string shortest(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// The readout as compact JSON: its case, then its fields in their declared order.
std::string payload(const std::optional<Peek> &peek)
{
    if (!peek)
        return "none";
    std::string json = std::string("{\"case\":\"") + peek->caseName() + "\"";
    auto add = [&json](const char *key, const std::string &value) { json += std::string(",\"") + key + "\":" + value; };
    auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    if (auto v = peek->as<Peek::Volume>()) {
        add("level", shortest(v->level));
        add("muted", flag(v->muted));
    } else if (auto b = peek->as<Peek::Brightness>()) {
        add("level", shortest(b->level));
    } else if (auto battery = peek->as<Peek::Battery>()) {
        add("percent", std::to_string(battery->percent));
        add("charging", flag(battery->charging));
    } else if (auto device = peek->as<Peek::Device>()) {
        add("symbol", script::jsonString(device->symbol));
        add("connected", flag(device->connected));
    } else if (auto focus = peek->as<Peek::Focus>()) {
        add("on", flag(focus->on));
    } else if (auto caps = peek->as<Peek::CapsLock>()) {
        add("on", flag(caps->on));
    } else if (auto source = peek->as<Peek::InputSource>()) {
        add("name", script::jsonString(source->name.toStdString()));
    } else if (auto download = peek->as<Peek::Download>()) {
        add("fraction", download->fraction ? shortest(*download->fraction) : "null");
    }
    return json + "}";
}

}  // namespace

void ScriptReadouts::addFields(std::map<std::string, std::string> &fields, const NotchViewModel &model) const
{
    fields["payload"] = payload(model.peek.peek());
    fields["key"] = lastKey_;
    if (keyTap_) {
        const auto state = keyTap_->state();
        fields["tap"] = state == MediaKeyTap::State::off ? "off" : state == MediaKeyTap::State::waiting ? "waiting" : "armed";
    }
    const Backlight &light = sysfsLight_ ? static_cast<const Backlight &>(*sysfsLight_) : light_;
    const auto level = light.level();
    fields["brightness"] = level ? shortest(*level) : "none";
    const auto &download = model.downloadFraction().peek();
    fields["fraction"] = !download ? "none" : !*download ? "unknown" : shortest(**download);
    if (system_) {
        fields["capsLock"] = system_->capsLock() ? "true" : "false";
        const auto &source = system_->inputSource();
        fields["inputSource"] = source ? script::jsonString(*source) : "none";
        const auto &focused = system_->isFocused();
        fields["focused"] = !focused ? "none" : *focused ? "true" : "false";
    }
    const auto last = rules_ ? rules_->lastBrightness() : std::nullopt;
    fields["lastBrightness"] = last ? shortest(*last) : "none";
}
