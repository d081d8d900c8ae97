#include "ScriptRunner.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "Extensions/SimulatedExtension.h"
#include "NowPlaying/NowPlayingService.h"
#include "Platform/UserDefaults.h"
#include "Readouts/CountdownTimer.h"
#include "Updater/Updater.h"

#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>

using namespace vesk;

namespace {

// Fields of `print`, in their order.
const std::vector<std::string> printOrder = {"t", "state", "peek", "ongoing", "lastPeek", "open", "page", "text"};

std::string caseName(const std::optional<Peek> &value)
{
    return value ? value->caseName() : "none";
}

constexpr double downloadDoneDuration = 2.5;

}  // namespace

ScriptRunner::ScriptRunner(std::ostream &out, std::ostream &err) : out_(out), err_(err)
{
    UserDefaults::setStandard(std::make_unique<UserDefaults>());
    auto &extensions = ExtensionStore::shared();
    extensions.onActivityChange = [this] {
        if (started_)
            primary().refreshOngoing();
    };
    extensions.onAlert = [this](const ExtensionActivity &activity, double seconds) {
        if (started_)
            primary().show(Peek::custom(activity), seconds);
    };
    downloads_.onProgress = [this](std::optional<double> fraction) { downloadProgress(fraction); };
    downloads_.onEnd = [this](bool completed) { downloadEnded(completed); };
}

ScriptRunner::~ScriptRunner()
{
    auto &extensions = ExtensionStore::shared();
    extensions.onActivityChange = nullptr;
    extensions.onAlert = nullptr;
    extensions.stopAll();
    settingsObserver_.reset();
    islands_.clear();
}

int ScriptRunner::run(std::istream &script, const std::string &fileName)
{
    file_ = fileName;
    std::string line;
    try {
        while (std::getline(script, line)) {
            ++lineNumber_;
            execute(line);
        }
    } catch (const ScriptError &error) {
        err_ << file_ << ":" << lineNumber_ << ": " << error.what() << "\n";
        return 2;
    }
    return failed_ ? 1 : 0;
}

void ScriptRunner::requireStarted(const std::string &verb) const
{
    if (!started_)
        throw ScriptError("\"" + verb + "\" needs the islands: use it after \"start\"");
}

void ScriptRunner::requireNotStarted(const std::string &verb) const
{
    if (started_)
        throw ScriptError("\"" + verb + "\" must come before \"start\"");
}

NotchViewModel &ScriptRunner::primary() const
{
    return *islands_.front();
}

NotchViewModel &ScriptRunner::selected() const
{
    if (selected_ >= islands_.size())
        throw ScriptError("island " + std::to_string(selected_) + " does not exist");
    return *islands_[selected_];
}

void ScriptRunner::execute(const std::string &line)
{
    size_t pos = 0;
    const std::string verb = script::nextWord(line, pos);
    if (verb.empty() || verb[0] == '#')
        return;
    const double now = time_.wallNow();

    auto noMore = [&] {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
    };

    if (verb == "mirrors") {
        requireNotStarted(verb);
        mirrorCount_ = script::integer(script::nextWord(line, pos));
        if (mirrorCount_ < 0)
            throw ScriptError("mirrors needs a count of 0 or more");
        noMore();
    } else if (verb == "env") {
        requireNotStarted(verb);
        const std::string name = script::nextWord(line, pos);
        if (name.empty())
            throw ScriptError("env needs a variable name");
        ::setenv(name.c_str(), script::rest(line, pos).c_str(), 1);
    } else if (verb == "set") {
        const std::string key = script::nextWord(line, pos);
        if (key.empty())
            throw ScriptError("set needs a key");
        auto value = script::nextJson(line, pos);
        noMore();
        UserDefaults::standard().set(key, value);
    } else if (verb == "start") {
        requireNotStarted(verb);
        noMore();
        start();
    } else if (verb == "advance") {
        const double seconds = script::number(script::nextWord(line, pos));
        noMore();
        if (!(seconds >= 0))
            throw ScriptError("advance needs a number of seconds of 0 or more");
        time_.advance(seconds);
    } else if (verb == "track") {
        requireStarted(verb);
        size_t save = pos;
        if (script::nextWord(line, save) == "none") {
            pos = save;
            noMore();
            primary().nowPlaying().track = std::nullopt;
        } else {
            auto value = script::nextJson(line, pos);
            noMore();
            primary().nowPlaying().track = script::track(value, now);
        }
    } else if (verb == "preview") {
        requireStarted(verb);
        const std::string what = script::nextWord(line, pos);
        noMore();
        if (what == "track")
            primary().previewTrack();
        else if (what == "event")
            primary().previewEvent();
        else
            throw ScriptError("preview takes \"track\" or \"event\"");
    } else if (verb == "show") {
        requireStarted(verb);
        const Peek value = script::peek(script::nextJson(line, pos), now);
        std::optional<double> seconds;
        if (const std::string word = script::nextWord(line, pos); !word.empty())
            seconds = script::number(word);
        noMore();
        primary().show(value, seconds);
    } else if (verb == "event") {
        auto value = script::nextJson(line, pos);
        noMore();
        calendarStore_.add(script::event(value, now));
    } else if (verb == "extension") {
        size_t save = pos;
        if (script::nextWord(line, save) == "stop") {
            pos = save;
            const std::string id = script::nextWord(line, pos);
            if (id.empty())
                throw ScriptError("extension stop needs an identifier");
            noMore();
            ExtensionStore::shared().stop(id);
        } else {
            const auto activity = script::activity(script::nextJson(line, pos));
            noMore();
            auto &store = ExtensionStore::shared();
            auto running = store.running().peek();
            auto it = running.find(activity.extensionID);
            if (it != running.end()) {
                if (auto *simulated = dynamic_cast<SimulatedExtension *>(it->second.get())) {
                    simulated->show(activity);
                    return;
                }
            }
            auto extension = std::make_shared<SimulatedExtension>(ExtensionInfo{activity.extensionID, activity.extensionID});
            extension->show(activity);
            store.run(extension);
        }
    } else if (verb == "timer" || verb == "stopwatch") {
        requireStarted(verb);
        auto &timer = primary().countdown();
        const std::string action = script::nextWord(line, pos);
        if (verb == "stopwatch") {
            if (action != "start")
                throw ScriptError("stopwatch takes \"start\"");
            noMore();
            timer.setMode(CountdownTimer::Mode::stopwatch);
            timer.start();
        } else if (action == "start") {
            const double seconds = script::number(script::nextWord(line, pos));
            noMore();
            timer.setMode(CountdownTimer::Mode::timer);
            timer.setDuration(seconds);
            timer.start();
        } else if (action == "pause") {
            noMore();
            timer.pause();
        } else if (action == "reset") {
            noMore();
            timer.reset();
        } else {
            throw ScriptError("timer takes \"start SECONDS\", \"pause\" or \"reset\"");
        }
    } else if (verb == "download") {
        const std::string what = script::nextWord(line, pos);
        noMore();
        if (what == "done")
            downloads_.reportEnd(true);
        else if (what == "none")
            downloads_.reportEnd(false);
        else if (what == "undetermined")
            downloads_.reportProgress(std::nullopt);
        else
            downloads_.reportProgress(script::number(what));
    } else if (verb == "update") {
        const std::string what = script::nextWord(line, pos);
        noMore();
        if (what != "on" && what != "off")
            throw ScriptError("update takes \"on\" or \"off\"");
        Updater::shared().setWantsIsland(what == "on");
    } else if (verb == "tour") {
        requireStarted(verb);
        const std::string what = script::nextWord(line, pos);
        if (what == "start") {
            const int page = script::integer(script::nextWord(line, pos));
            noMore();
            primary().startOnboarding(page);
        } else if (what == "finish") {
            noMore();
            primary().finishOnboarding();
        } else {
            throw ScriptError("tour takes \"start N\" or \"finish\"");
        }
    } else if (verb == "island") {
        requireStarted(verb);
        const int index = script::integer(script::nextWord(line, pos));
        noMore();
        if (index < 0 || index >= static_cast<int>(islands_.size()))
            throw ScriptError("island " + std::to_string(index) + " does not exist");
        selected_ = static_cast<size_t>(index);
    } else if (verb == "print") {
        requireStarted(verb);
        noMore();
        out_ << printLine(selected()) << "\n";
    } else if (verb == "expect") {
        requireStarted(verb);
        const std::string name = script::nextWord(line, pos);
        if (name.empty())
            throw ScriptError("expect needs a field name");
        expect(name, script::rest(line, pos));
    } else if (verb == "haptics") {
        noMore();
        printHaptics();
    } else {
        throw ScriptError("unknown verb \"" + verb + "\"");
    }
}

void ScriptRunner::start()
{
    started_ = true;
    islands_.push_back(NotchViewModel::makePrimary());
    for (int i = 0; i < mirrorCount_; ++i)
        islands_.push_back(NotchViewModel::makeMirror(*islands_.front()));
    settingsObserver_ = UserDefaults::standard().changed.connect([this] { applySettingsChange(); });
    applySettingsChange();
}

// What the application does on every settings change (and once at start).
void ScriptRunner::applySettingsChange()
{
    if (UserDefaults::standard().boolValue("showDownloadActivity"))
        downloads_.start();
    else
        downloads_.stop();
    primary().refreshOngoing();
}

void ScriptRunner::downloadProgress(std::optional<double> fraction)
{
    for (auto &island : islands_)
        island->setDownloadFraction(fraction);
    if (started_)
        primary().refreshOngoing();
}

void ScriptRunner::downloadEnded(bool completed)
{
    for (auto &island : islands_)
        island->setDownloadFraction(std::nullopt);
    if (!started_)
        return;
    primary().refreshOngoing();
    if (completed && UserDefaults::standard().boolValue("showDownloadActivity"))
        primary().show(Peek::downloadDone(), downloadDoneDuration);
}

std::map<std::string, std::string> ScriptRunner::fields(const NotchViewModel &model) const
{
    std::map<std::string, std::string> f;
    char t[32];
    std::snprintf(t, sizeof t, "%.3f", time_.now());
    f["t"] = t;
    f["state"] = name(model.state());
    f["peek"] = caseName(model.peek.peek());
    f["ongoing"] = caseName(model.ongoing.peek());
    f["lastPeek"] = caseName(model.lastPeek.peek());
    f["open"] = model.isOpen.peek() ? "true" : "false";
    f["page"] = model.pages().at(static_cast<size_t>(model.page())).description();
    const auto drawn = model.peekToDraw();
    const auto text = drawn ? drawn->text() : std::nullopt;
    f["text"] = text ? script::jsonString(text->toStdString()) : "none";
    return f;
}

std::string ScriptRunner::printLine(const NotchViewModel &model) const
{
    const auto f = fields(model);
    std::string line;
    for (const auto &key : printOrder) {
        if (!line.empty())
            line += ' ';
        line += key + "=" + f.at(key);
    }
    return line;
}

void ScriptRunner::expect(const std::string &name, const std::string &value)
{
    const auto f = fields(selected());
    auto it = f.find(name);
    if (it == f.end())
        throw ScriptError("unknown field \"" + name + "\"");
    if (it->second != value) {
        err_ << file_ << ":" << lineNumber_ << ": expected " << name << "=" << value << ", got " << name << "="
             << it->second << "\n";
        failed_ = true;
    }
}

int ScriptRunner::indexOf(const void *model) const
{
    for (size_t i = 0; i < islands_.size(); ++i) {
        if (islands_[i].get() == model)
            return static_cast<int>(i);
    }
    return -1;
}

void ScriptRunner::printHaptics()
{
    for (const auto &entry : haptics_.take())
        out_ << indexOf(entry.performer) << " " << hapticPatternName(entry.pattern) << "\n";
}
