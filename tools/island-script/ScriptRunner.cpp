#include "ScriptRunner.h"

#include "Model/ReadoutRules.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "Model/Defaults.h"
#include "Extensions/SimulatedExtension.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/VolumeService.h"
#include "Platform/UserDefaults.h"
#include "Readouts/CalendarService.h"
#include "Readouts/CountdownTimer.h"

#include <QFile>

#include <algorithm>
#include <set>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>

using namespace vesk;

namespace {

// The one touchpad of a script's machine.
constexpr uint64_t trackpad = 1;

}  // namespace

ScriptRunner::ScriptRunner(std::ostream &out, std::ostream &err)
    : out_(out),
      err_(err),
      world_{out_,
             time_,
             screens_,
             sound_,
             [this](const std::string &message) {
                 err_ << file_ << ":" << lineNumber_ << ": " << message << "\n";
                 failed_ = true;
             },
             [this] { return started_; },
             [this]() -> NotchViewModel & { return primary(); },
             [this]() -> NotchViewModel & { return selected(); },
             [this]() -> kit::Tree & { return views_.treeOf(selected()); },
             [this] { return folder(); },
             [this](const std::string &verb) { requireStarted(verb); },
             [this](const std::string &verb) { requireNotStarted(verb); },
             [this] { return layout_ ? layout_->islands() : std::vector<std::shared_ptr<IslandWindow>>{}; }}
{
    UserDefaults::setStandard(std::make_unique<UserDefaults>());
    // Runs must not depend on the machine: never import an earlier product's settings file.
    UserDefaults::standard().set(Defaults::migrationFlagKey, true);
    setScreens(&screens_);
    setWorkspace(&workspace_);
    setAudioDevices(&audio_);
    setSwipeSource(&swipeSource_);
    SpaceSwipeDetector::setShared(&swipes_);
    swipeSource_.connectDevice(trackpad);
    world_.treeOf = [this](NotchViewModel &island) -> kit::Tree & { return views_.treeOf(island); };
    world_.settingsHost = [this] { return settings_->host(); };
    modules_ = makeScriptModules(world_);
    auto &extensions = ExtensionStore::shared();
    extensions.onActivityChange = [this] {
        if (started_)
            primary().refreshOngoing();
    };
    extensions.onAlert = [this](const ExtensionActivity &activity, double seconds) {
        if (started_)
            ReadoutRules(primary()).extensionAlert(activity, seconds);
    };
}

ScriptRunner::~ScriptRunner()
{
    if (started_)
        for (auto &module : modules_)
            module->stop();
    settings_.reset();  // the settings window reads the islands and the script's updater: it goes first
    modules_.clear();
    auto &extensions = ExtensionStore::shared();
    extensions.onActivityChange = nullptr;
    extensions.onAlert = nullptr;
    extensions.stopAll();
    rules_.reset();
    layout_.reset();
    islands_.clear();
    primary_.reset();
    setScreens(nullptr);
    setWorkspace(nullptr);
    setAudioDevices(nullptr);
    setSwipeSource(nullptr);
    SpaceSwipeDetector::setShared(nullptr);
}

std::string ScriptRunner::folder() const
{
    const auto slash = file_.rfind('/');
    return slash == std::string::npos ? std::string(".") : file_.substr(0, slash);
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
    return *primary_;
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
    views_.sync(islands_);
    calendar_.settle();  // what a folder's calendar loaded by now
    const double now = time_.wallNow();

    auto noMore = [&] {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
    };

    const ScriptSettings::Context settingsContext{out_, [this] { time_.flush(); }, [this](const std::string &message) {
        err_ << file_ << ":" << lineNumber_ << ": " << message << "\n";
        failed_ = true;
    }, folder()};
    if (settings_->execute(verb, line, pos, settingsContext))
        return;
    for (auto &module : modules_)
        if (module->execute(verb, line, pos))
            return;

    if (verb == "mirrors") {
        requireNotStarted(verb);
        mirrorCount_ = script::integer(script::nextWord(line, pos));
        if (mirrorCount_ < 0)
            throw ScriptError("mirrors needs a count of 0 or more");
        noMore();
    } else if (verb == "screen") {
        requireNotStarted(verb);
        plugScreen(line, pos);
    } else if (verb == "plug") {
        plugScreen(line, pos);
        if (started_)
            syncIslands(true);
    } else if (verb == "unplug") {
        const std::string name = script::nextWord(line, pos);
        noMore();
        if (!screens_.unplug(QString::fromStdString(name)))
            throw ScriptError("no screen named \"" + name + "\"");
        if (started_)
            syncIslands(true);
    } else if (verb == "layout") {
        requireStarted(verb);
        noMore();
        syncIslands(false);
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
            // The counters move as a report's commit moves them; the record is published as given.
            NowPlayingService &service = primary().nowPlaying();
            Track next = script::track(value, now);
            const std::optional<Track> &old = service.track.peek();
            const bool newTitle = !old || old->title != next.title;
            const bool newArtist = !old || old->artist != next.artist;
            service.track = std::move(next);
            if (newTitle)
                service.titleVersion = service.titleVersion.peek() + 1;
            if (newArtist)
                service.artistVersion = service.artistVersion.peek() + 1;
            service.trackVersion = service.trackVersion.peek() + 1;
        }
    } else if (verb == "artwork") {
        requireStarted(verb);
        const std::string file = script::nextWord(line, pos);
        noMore();
        if (file.empty())
            throw ScriptError("artwork takes a PNG or JPEG file or \"none\"");
        NowPlayingService &service = primary().nowPlaying();
        if (file == "none") {
            service.removeArtwork();
        } else {
            const std::string path = file.front() == '/' ? file : folder() + "/" + file;
            QFile in(QString::fromStdString(path));
            if (!in.open(QIODevice::ReadOnly))
                throw ScriptError("cannot read the artwork file " + path);
            if (!service.showArtwork(in.readAll()))
                throw ScriptError(path + " is no PNG or JPEG image");
        }
    } else if (verb == "accent") {
        requireStarted(verb);
        auto value = script::nextJson(line, pos);
        noMore();
        const QColor colour = value.is_string() ? QColor(QString::fromStdString(value.get<std::string>())) : QColor();
        if (!value.is_string() || !colour.isValid() || value.get<std::string>().size() != 7 || value.get<std::string>()[0] != '#')
            throw ScriptError("accent takes a colour as \"#RRGGBB\"");
        primary().nowPlaying().accent = colour;
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
                    time_.flush();
                    return;
                }
            }
            auto extension = std::make_shared<SimulatedExtension>(ExtensionInfo{activity.extensionID, activity.extensionID});
            extension->show(activity);
            store.run(extension);
        }
        time_.flush();
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
        // Before start there is no monitor yet: the report is dropped, as a stopped monitor drops it.
        DownloadMonitor *downloads = readouts_.downloads();
        if (what == "done") {
            if (downloads)
                downloads->reportEnd(true);
        } else if (what == "none") {
            if (downloads)
                downloads->reportEnd(false);
        } else if (what == "undetermined") {
            if (downloads)
                downloads->reportProgress(std::nullopt);
        } else {
            const double fraction = script::number(what);
            if (downloads)
                downloads->reportProgress(fraction);
        }
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
    } else if (verb == "space") {
        if (script::nextWord(line, pos) != "switch")
            throw ScriptError("space takes \"switch\"");
        noMore();
        workspace_.switchSpace();
        time_.flush();
    } else if (verb == "swipe") {
        const std::string what = script::nextWord(line, pos);
        noMore();
        if (what == "begin")
            swipeSource_.swipeSideways(trackpad);
        else if (what == "end")
            swipeSource_.liftFingers(trackpad);
        else
            throw ScriptError("swipe takes \"begin\" or \"end\"");
        time_.flush();
    } else if (verb == "front") {
        const std::string id = script::nextWord(line, pos);
        if (id.empty())
            throw ScriptError("front takes an application identifier or \"none\"");
        noMore();
        workspace_.setFrontmost(id == "none" ? std::nullopt : std::optional(QString::fromStdString(id)));
        time_.flush();
    } else if (verb == "volume") {
        const double level = script::number(script::nextWord(line, pos));
        const std::string muted = script::nextWord(line, pos);
        noMore();
        if (muted != "true" && muted != "false")
            throw ScriptError("volume takes a level and \"true\" or \"false\" (muted)");
        const auto output = audio_.defaultOutput();
        if (!output)
            throw ScriptError("volume needs a default output: declare one with \"outputs\"");
        audio_.systemSetVolume(*output, float(level), muted == "true");
        time_.flush();
    } else if (verb == "outputs") {
        auto list = script::nextJson(line, pos);
        noMore();
        setOutputs(list);
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
    } else if (nowPlaying_.execute(verb, line, pos, started_, now)) {
        if (verb == "media")
            out_ << "t=" << fields(selected()).at("t") << " " << nowPlaying_.printLine(now) << "\n";
        if (verb == "commands")
            for (const std::string &sent : nowPlaying_.takeCommands())
                out_ << sent << "\n";
    } else if (extensionVerbs_.execute(verb, line, pos)) {
        time_.flush();
    } else if (executeIslandVerb(verb, line, pos)) {
        return;
    } else if (calendar_.execute(verb, line, pos, started_ ? primary_.get() : nullptr, folder())) {
    } else if (readouts_.execute(verb, line, pos, started_, folder())) {
    } else if (started_ && views_.execute(verb, line, pos, selected())) {
        return;
    } else if (ScriptPointing::handles(verb)) {
        requireStarted(verb);
        NotchViewModel &island = selected();
        kit::Tree &tree = views_.treeOf(island);
        pointing_.execute(verb, line, pos,
                         {island, tree, out_,
                          [this, &tree] {
                              tree.update();
                              time_.flush();
                          },
                          [this](const std::string &message) {
                              err_ << file_ << ":" << lineNumber_ << ": " << message << "\n";
                              failed_ = true;
                          }});
    } else {
        throw ScriptError("unknown verb \"" + verb + "\"");
    }
}

void ScriptRunner::start()
{
    if (mirrorCount_ > 0 && !screens_.screens().empty())
        throw ScriptError("\"mirrors\" is for scripts without screens: the layout makes the mirrors");
    started_ = true;
    primary_ = NotchViewModel::makePrimary();
    nowPlaying_.start(primary_->nowPlaying());
    // As the application does: every island hears the volume service; each decides for itself.
    primary_->audio().onChange = [this](float level, bool muted) {
        primary().volumeChanged(level, muted);
        for (auto &mirror : primary().mirrors())
            mirror->volumeChanged(level, muted);
    };
    primary_->audio().start();
    primary_->readVolume();
    primary_->calendar().refresh();  // as the application does at launch
    if (screens_.screens().empty()) {
        islands_.push_back(primary_);
        for (int i = 0; i < mirrorCount_; ++i)
            islands_.push_back(NotchViewModel::makeMirror(*primary_));
    } else {
        layout_ = std::make_unique<IslandLayout>(primary_, windows_, screens_);
    }
    readouts_.start();
    // The application's own rules and wiring, so that scripts check what the program does.
    rules_ = std::make_unique<ReadoutRules>(
        *primary_, ReadoutSources{readouts_.battery(), readouts_.keyTap(), readouts_.system(), *readouts_.downloads()},
        readouts_.backlight());
    rules_->syncIslands = [this](bool force) { syncIslands(force); };
    readouts_.setRules(rules_.get());
    rules_->wire();
    // As the application does once the islands exist.
    ExtensionStore::shared().startEnabled();
    primary().refreshOngoing();
    settings_->start(*primary_);
    for (auto &module : modules_)
        module->start();
}

void ScriptRunner::syncIslands(bool force)
{
    if (!layout_)
        return;
    layout_->syncIslands(force);
    std::vector<std::shared_ptr<NotchViewModel>> models;
    for (const auto &window : layout_->islands()) {
        NotchViewModel &model = window->model();
        models.push_back(&model == primary_.get() ? primary_ : model.shared_from_this());
    }
    islands_ = std::move(models);
    if (selected_ >= islands_.size())
        selected_ = 0;
}

// Declares a screen: NAME WxH [scale S] [notch WxH] [menubar H].
void ScriptRunner::plugScreen(const std::string &line, size_t &pos)
{
    auto size = [](const std::string &word) {
        const auto x = word.find('x');
        if (x == std::string::npos)
            throw ScriptError("a size is WxH, not \"" + word + "\"");
        const double w = script::number(word.substr(0, x)), h = script::number(word.substr(x + 1));
        if (!(w > 0 && h >= 0))
            throw ScriptError("bad size \"" + word + "\"");
        return QSizeF(w, h);
    };
    const std::string name = script::nextWord(line, pos);
    if (name.empty())
        throw ScriptError("a screen needs a name and a size");
    const QString outputName = QString::fromStdString(name);
    for (const auto &present : screens_.screens()) {
        if (present.name == outputName)
            throw ScriptError("a screen named \"" + name + "\" is already connected");
    }
    const QSizeF screenSize = size(script::nextWord(line, pos));
    double scale = 1, menuBar = 0;
    std::optional<QSizeF> notch;
    for (std::string option = script::nextWord(line, pos); !option.empty(); option = script::nextWord(line, pos)) {
        const std::string value = script::nextWord(line, pos);
        if (value.empty())
            throw ScriptError("\"" + option + "\" needs a value");
        if (option == "scale")
            scale = script::number(value);
        else if (option == "notch")
            notch = size(value);
        else if (option == "menubar")
            menuBar = script::number(value);
        else
            throw ScriptError("unknown screen option \"" + option + "\"");
    }
    if (!(scale > 0) || !(menuBar >= 0) || menuBar > screenSize.height())
        throw ScriptError("bad screen scale or menu bar height");
    screens_.plug(outputName, screenSize, scale, notch, menuBar);
}

// Replaces the simulated output list; outputs that stay keep their volume and mute.
void ScriptRunner::setOutputs(const nlohmann::json &list)
{
    std::vector<SimAudioDevices::Output> outputs;
    std::optional<uint32_t> defaultOutput;
    for (const auto &entry : script::outputs(list)) {
        SimAudioDevices::Output output{entry.device};
        if (auto volume = audio_.volume(entry.device.id))
            output.volume = *volume;
        output.muted = audio_.isMuted(entry.device.id).value_or(false);
        outputs.push_back(output);
        if (entry.isDefault)
            defaultOutput = entry.device.id;
    }
    audio_.systemSetOutputs(std::move(outputs));
    audio_.systemSetDefault(defaultOutput);
    time_.flush();
}

// The verbs that act on the selected island. Returns false for a verb that is not one of them.
bool ScriptRunner::executeIslandVerb(const std::string &verb, const std::string &line, size_t &pos)
{
    static const std::vector<std::string> verbs = {"hover",  "press", "open",   "close",  "turn",      "drag",
                                                   "enddrag", "scroll", "style", "adjust", "slider", "fullscreen"};
    if (std::find(verbs.begin(), verbs.end(), verb) == verbs.end())
        return false;
    requireStarted(verb);
    NotchViewModel &island = selected();
    const std::string first = script::nextWord(line, pos);
    const std::string second = script::nextWord(line, pos);
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
    auto onOff = [&](const std::string &word) {
        if (word != "on" && word != "off")
            throw ScriptError("\"" + verb + "\" takes \"on\" or \"off\"");
        return word == "on";
    };
    auto noSecond = [&] {
        if (!second.empty())
            throw ScriptError("unexpected text after \"" + verb + " " + first + "\"");
    };
    if (verb == "hover") {
        noSecond();
        island.setHovering(onOff(first));
    } else if (verb == "press") {
        noSecond();
        island.isPressed = onOff(first);
    } else if (verb == "open") {
        noSecond();
        std::optional<IslandPage> page;
        if (!first.empty()) {
            page = IslandPage::fromDescription(first);
            if (!page)
                throw ScriptError("unknown page \"" + first + "\"");
        }
        island.open(true, page);
    } else if (verb == "close") {
        if (!first.empty())
            throw ScriptError("close takes nothing");
        island.close(true);
    } else if (verb == "turn") {
        noSecond();
        island.turnPage(script::integer(first));
    } else if (verb == "drag") {
        noSecond();
        island.dragPages(script::number(first));
    } else if (verb == "enddrag") {
        noSecond();
        island.endPageDrag(script::number(first));
    } else if (verb == "scroll") {
        noSecond();
        if (first != "up" && first != "down")
            throw ScriptError("scroll takes \"up\" or \"down\"");
        island.scrollStep(first == "down");
    } else if (verb == "style") {
        noSecond();
        if (first != "notch" && first != "pill")
            throw ScriptError("style takes \"notch\" or \"pill\"");
        if (!layout_)
            throw ScriptError("style needs the island's screen: declare screens");
        const auto screen = screens_.screen(layout_->islands().at(selected_)->display());
        if (!screen)
            throw ScriptError("the island's screen is gone");
        island.updateNotch(*screen, first == "pill" ? IslandStyle::pill : IslandStyle::notch, true);
    } else if (verb == "adjust") {
        if (first != "width" && first != "height")
            throw ScriptError("adjust takes \"width\" or \"height\" and points");
        UserDefaults::standard().set(first == "width" ? settings::notchWidthAdjustment : settings::notchHeightAdjustment,
                                     script::number(second));
    } else if (verb == "fullscreen") {
        noSecond();
        const bool on = onOff(first);
        if (!layout_)
            throw ScriptError("fullscreen needs the island's screen: declare screens");
        const auto screen = screens_.screen(layout_->islands().at(selected_)->display());
        if (!screen)
            throw ScriptError("the island's screen is gone");
        workspace_.setFullscreen(screen->pixelFrame, on);
        time_.flush();
    } else if (verb == "slider") {
        if ((first != "width" && first != "height") || (second != "hold" && second != "release"))
            throw ScriptError("slider takes \"width\" or \"height\", then \"hold\" or \"release\"");
        island.setAdjustingSize(second == "hold", first == "width");
    }
    return true;
}
