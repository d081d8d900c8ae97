#include "ScriptNowPlaying.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "NowPlaying/ScriptedPlayer.h"

#include <QDBusObjectPath>
#include <QImage>

#include <cmath>

using namespace vesk;

namespace {

const char *const explicitBase = "https://open.spotify.com";

std::string text(const std::optional<std::string> &value)
{
    return value ? script::jsonString(*value) : std::string("none");
}

std::string flag(bool on) { return on ? "true" : "false"; }

std::string size(const NowPlayingService::Image &image)
{
    return image ? std::to_string(image->width()) + "x" + std::to_string(image->height()) : std::string("none");
}

QString loopStatus(int mode)
{
    return mode == 2 ? QStringLiteral("Track") : mode == 3 ? QStringLiteral("Playlist") : QStringLiteral("None");
}

int loopMode(const QString &status)
{
    return status == QStringLiteral("Track") ? 2 : status == QStringLiteral("Playlist") ? 3 : 1;
}

}  // namespace

ScriptNowPlaying::ScriptNowPlaying()
{
    CompanionHost::setShared(&host_);
    MprisBus::setShared(&bus_);
    WebFetcher::setShared(&web_);
    DesktopApps::setShared(&apps_);
    // The desktop's music player in scripts is the application "music".
    apps_.install(QStringLiteral("music"), QImage());
    apps_.setDefault(QStringLiteral("audio/mpeg"), QStringLiteral("music"));
    scripted::forgetMusicPlayer();
    scripted::forgetExplicitAnswers();
    web_.onRequest = [this](const WebFetcher::Request &request) {
        for (const auto &[name, player] : players_) {
            if (!player.artUrl.empty() && request.url == QString::fromStdString(player.artUrl))
                artworkCalls_[busName(name)].push_back("artwork");
        }
    };
}

ScriptNowPlaying::~ScriptNowPlaying()
{
    CompanionHost::setShared(nullptr);
    MprisBus::setShared(nullptr);
    WebFetcher::setShared(nullptr);
    DesktopApps::setShared(nullptr);
    scripted::forgetMusicPlayer();
}

void ScriptNowPlaying::start(NowPlayingService &service)
{
    service_ = &service;
    auto previous = service.onNewTrack;
    service.onNewTrack = [this, previous] {
        ++announced_;
        if (previous)
            previous();
    };
    service.start();
}

QString ScriptNowPlaying::busName(const std::string &name) const
{
    if (name == "spotify")
        return QStringLiteral("org.mpris.MediaPlayer2.spotify");
    if (name == "music")
        return QStringLiteral("org.mpris.MediaPlayer2.music");
    throw ScriptError("a player is \"spotify\" or \"music\", not \"" + name + "\"");
}

void ScriptNowPlaying::setPlayer(const std::string &name, const nlohmann::json &fields)
{
    if (!fields.is_object())
        throw ScriptError("player takes a JSON object");
    Player &player = players_[name];
    for (const auto &[key, value] : fields.items()) {
        auto need = [&](bool ok) {
            if (!ok)
                throw ScriptError("player field \"" + key + "\" has the wrong type");
        };
        if (key == "running")
            need(value.is_boolean()), player.running = value.get<bool>();
        else if (key == "status") {
            need(value.is_string());
            player.status = value.get<std::string>();
            if (player.status != "playing" && player.status != "paused" && player.status != "stopped")
                throw ScriptError("status is playing, paused or stopped");
        } else if (key == "title")
            need(value.is_string()), player.title = value.get<std::string>();
        else if (key == "artist")
            need(value.is_string()), player.artist = value.get<std::string>();
        else if (key == "album")
            need(value.is_string()), player.album = value.get<std::string>();
        else if (key == "duration")
            need(value.is_number()), player.duration = value.get<double>();
        else if (key == "position")
            need(value.is_number()), player.position = value.get<double>();
        else if (key == "shuffle")
            need(value.is_boolean()), player.shuffle = value.get<bool>();
        else if (key == "repeat")
            need(value.is_number_integer()), player.repeat = value.get<int>();
        else if (key == "artUrl")
            need(value.is_string()), player.artUrl = value.get<std::string>();
        else if (key == "artwork") {
            need(value.is_string());
            auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(value.get<std::string>()));
            if (!decoded)
                throw ScriptError("artwork is Base64");
            player.artwork = decoded.decoded;
        } else if (key == "artworkDelay")
            need(value.is_number()), player.artworkDelay = value.get<double>();
        else if (key == "trackID")
            need(value.is_string()), player.trackID = value.get<std::string>();
        else
            throw ScriptError("unknown player field \"" + key + "\"");
    }
    publishPlayer(name);
}

void ScriptNowPlaying::publishPlayer(const std::string &name)
{
    const Player &player = players_[name];
    const QString bus = busName(name);
    auto &sim = bus_.player(bus);
    sim.desktopEntry = QString::fromStdString(name);
    sim.running = player.running;
    sim.canRaise = raisable_.count(name) > 0;
    QVariantMap metadata{{QStringLiteral("xesam:title"), QString::fromStdString(player.title)},
                         {QStringLiteral("xesam:artist"), QStringList{QString::fromStdString(player.artist)}},
                         {QStringLiteral("xesam:album"), QString::fromStdString(player.album)},
                         {QStringLiteral("mpris:length"), qlonglong(std::llround(player.duration * 1e6))}};
    if (!player.artUrl.empty())
        metadata[QStringLiteral("mpris:artUrl")] = QString::fromStdString(player.artUrl);
    if (!player.trackID.empty()) {
        const QString id = QString::fromStdString(player.trackID);
        metadata[QStringLiteral("mpris:trackid")] =
            id.startsWith(QLatin1Char('/')) ? QVariant::fromValue(QDBusObjectPath(id)) : QVariant(id);
    }
    const QString status = player.status == "playing" ? QStringLiteral("Playing")
        : player.status == "paused"                  ? QStringLiteral("Paused")
                                                     : QStringLiteral("Stopped");
    sim.properties = {{QStringLiteral("PlaybackStatus"), status},
                      {QStringLiteral("Metadata"), metadata},
                      {QStringLiteral("Position"), qlonglong(std::llround(player.position * 1e6))},
                      {QStringLiteral("Shuffle"), player.shuffle},
                      {QStringLiteral("LoopStatus"), loopStatus(player.repeat)}};
    if (!player.artUrl.empty())
        web_.serve(QString::fromStdString(player.artUrl), player.artwork, player.artworkDelay);
}

std::vector<std::string> ScriptNowPlaying::takeCommands()
{
    std::vector<std::string> out;
    const auto &writes = host_.writes();
    for (; writesTaken_ < writes.size(); ++writesTaken_) {
        std::string line = writes[writesTaken_];
        while (!line.empty() && line.back() == '\n')
            line.pop_back();
        out.push_back(line);
    }
    const auto &calls = bus_.calls();
    for (; callsTaken_ < calls.size(); ++callsTaken_)
        if (calls[callsTaken_].method == QStringLiteral("Raise"))
            for (const auto &player : bus_.players())
                if (player.busName == calls[callsTaken_].busName)
                    out.push_back("open " + MprisBus::identity(player).toStdString());
    return out;
}

std::string ScriptNowPlaying::calls(const QString &bus) const
{
    std::vector<std::string> names;
    auto artwork = artworkCalls_.find(bus);
    (void)artwork;
    for (const auto &call : bus_.calls()) {
        if (call.busName != bus)
            continue;
        if (call.method == QStringLiteral("GetAll")) {
            if (!call.arguments.isEmpty() && call.arguments.first().toString() == QLatin1String(MprisBus::playerInterface))
                names.push_back("state");
        } else if (call.method == QStringLiteral("PlayPause")) {
            names.push_back("playpause");
        } else if (call.method == QStringLiteral("Next")) {
            names.push_back("next");
        } else if (call.method == QStringLiteral("Previous")) {
            names.push_back("previous");
        } else if (call.method == QStringLiteral("SetPosition") && call.arguments.size() == 2) {
            names.push_back("seek=" + NowPlayingService::formatPosition(call.arguments.at(1).toLongLong() / 1e6));
        } else if (call.method == QStringLiteral("Set") && call.arguments.size() == 2) {
            const QString property = call.arguments.at(0).toString();
            if (property == QStringLiteral("Shuffle"))
                names.push_back(std::string("shuffle=") + flag(call.arguments.at(1).toBool()));
            else if (property == QStringLiteral("LoopStatus"))
                names.push_back("repeat=" + std::to_string(loopMode(call.arguments.at(1).toString())));
        } else if (call.method == QStringLiteral("Raise")) {
            names.push_back("raise");
        }
    }
    // Artwork fetches are told apart by their own log; they are listed after the calls.
    if (auto it = artworkCalls_.find(bus); it != artworkCalls_.end())
        names.insert(names.end(), it->second.begin(), it->second.end());
    std::string joined;
    for (const auto &name : names)
        joined += (joined.empty() ? "" : ",") + name;
    return joined.empty() ? "none" : joined;
}

bool ScriptNowPlaying::execute(const std::string &verb, const std::string &line, size_t &pos, bool started, double now)
{
    auto noMore = [&] {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
    };
    auto needStarted = [&] {
        if (!started)
            throw ScriptError("\"" + verb + "\" needs the islands: use it after \"start\"");
    };
    if (verb == "companion") {
        const std::string what = script::nextWord(line, pos);
        if (what == "launch") {
            const std::string outcome = script::nextWord(line, pos);
            noMore();
            if (outcome == "ok")
                host_.setOutcome(SimCompanionHost::Outcome::ok);
            else if (outcome == "fail")
                host_.setOutcome(SimCompanionHost::Outcome::fail);
            else if (outcome == "missing")
                host_.setOutcome(SimCompanionHost::Outcome::missing);
            else
                throw ScriptError("companion launch takes ok, fail or missing");
            return true;
        }
        needStarted();
        if (what == "exit") {
            noMore();
            if (!host_.exit())
                throw ScriptError("companion exit: no companion runs");
            return true;
        }
        QByteArray bytes;
        if (what == "raw") {
            bytes = script::bytesArgument(line, pos, "companion raw");
        } else {
            pos -= what.size();  // the word was the start of the JSON object
            auto object = script::nextJson(line, pos);
            if (!object.is_object())
                throw ScriptError("companion takes a JSON object, raw, exit or launch");
            if (auto it = object.find("timestamp"); it != object.end() && it->is_number())
                *it = now + it->get<double>();
            bytes = QByteArray::fromStdString(object.dump() + "\n");
        }
        noMore();
        if (!host_.emitOutput(bytes))
            throw ScriptError("companion: no companion runs");
        return true;
    }
    if (verb == "player") {
        const std::string name = script::nextWord(line, pos);
        const QString bus = busName(name);
        size_t save = pos;
        const std::string word = script::nextWord(line, save);
        if (word == "changed") {
            pos = save;
            const std::string only = script::nextWord(line, pos);
            noMore();
            if (!only.empty() && only != "status")
                throw ScriptError("player NAME changed takes nothing or \"status\"");
            auto properties = bus_.player(bus).properties;
            if (only == "status")
                properties = {{QStringLiteral("PlaybackStatus"), properties.value(QStringLiteral("PlaybackStatus"))}};
            bus_.announce(bus, properties);
            return true;
        }
        if (word == "quit") {
            pos = save;
            noMore();
            players_[name].running = false;
            publishPlayer(name);
            return true;
        }
        auto fields = script::nextJson(line, pos);
        noMore();
        setPlayer(name, fields);
        return true;
    }
    if (verb == "web") {
        const std::string id = script::nextWord(line, pos);
        if (id.empty())
            throw ScriptError("web takes a track id and a JSON string or \"fail\"");
        const QString url = QString::fromStdString(std::string(explicitBase) + "/embed/track/" + id);
        size_t save = pos;
        if (script::nextWord(line, save) == "fail") {
            pos = save;
            noMore();
            web_.serve(url, std::nullopt);
            return true;
        }
        auto page = script::nextJson(line, pos);
        noMore();
        if (!page.is_string())
            throw ScriptError("web takes a JSON string or \"fail\"");
        web_.serve(url, QByteArray::fromStdString(page.get<std::string>()));
        return true;
    }
    if (verb == "app") {
        const std::string id = script::nextWord(line, pos);
        noMore();
        if (id.empty())
            throw ScriptError("app takes an application id");
        QImage icon(128, 128, QImage::Format_ARGB32);
        icon.fill(Qt::darkCyan);
        apps_.install(QString::fromStdString(id), icon);
        raisable_.insert(id);
        if (id != "spotify" && id != "music") {
            // Any other application is a player on the bus only so that it can be raised: it
            // serves no state, and the scripted players never take it for one of theirs.
            auto &sim = bus_.player(QStringLiteral("org.mpris.MediaPlayer2.") + QString::fromStdString(id));
            sim.desktopEntry = QString::fromStdString(id);
            sim.canRaise = true;
        }
        for (const auto &[name, player] : players_)
            publishPlayer(name);
        return true;
    }
    static const std::set<std::string> commands = {"send",  "playpause", "seek", "skip",      "shuffle",
                                                   "repeat", "like",      "media", "debugtrack", "commands"};
    if (!commands.count(verb))
        return false;
    needStarted();
    if (verb == "media" || verb == "commands") {
        noMore();
        return true;  // printed by the runner, which owns the output
    }
    command(verb, line, pos);
    return true;
}

void ScriptNowPlaying::command(const std::string &verb, const std::string &line, size_t &pos)
{
    NowPlayingService &service = *service_;
    const std::string argument = script::nextWord(line, pos);
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
    auto noArgument = [&] {
        if (!argument.empty())
            throw ScriptError("\"" + verb + "\" takes nothing");
    };
    if (verb == "send") {
        const auto command = mediaCommandNamed(argument);
        if (!command)
            throw ScriptError("send takes play, pause, toggle, next, previous or like");
        service.send(*command);
    } else if (verb == "playpause") {
        noArgument();
        service.togglePlayPause();
    } else if (verb == "seek") {
        service.seek(script::number(argument));
    } else if (verb == "skip") {
        service.skip(script::number(argument));
    } else if (verb == "shuffle") {
        noArgument();
        service.toggleShuffle();
    } else if (verb == "repeat") {
        noArgument();
        service.toggleRepeat();
    } else if (verb == "like") {
        noArgument();
        service.toggleLike();
    } else if (verb == "debugtrack") {
        try {
            service.playDebugTrack(std::stoll(argument));
        } catch (const std::exception &) {
            throw ScriptError("debugtrack takes a whole number");
        }
    }
}

std::vector<std::pair<std::string, std::string>> ScriptNowPlaying::fields(double now) const
{
    std::vector<std::pair<std::string, std::string>> f;
    if (!service_)
        return f;
    const NowPlayingService &service = *service_;
    const auto &track = service.track.peek();
    auto optionalInt = [](const std::optional<int> &value) { return value ? std::to_string(*value) : std::string("none"); };
    f.emplace_back("track", !track ? "none" : track->isPlaying ? "playing" : "paused");
    f.emplace_back("title", track ? script::jsonString(track->title) : "none");
    f.emplace_back("artist", track ? script::jsonString(track->artist) : "none");
    f.emplace_back("album", track ? script::jsonString(track->album) : "none");
    f.emplace_back("bundle", track ? text(track->bundleID) : "none");
    f.emplace_back("elapsed", track ? script::compact(track->elapsedAt(now)) : "none");
    f.emplace_back("duration", track ? script::compact(track->duration) : "none");
    f.emplace_back("rate", track ? script::compact(track->rate) : "none");
    f.emplace_back("shuffle", track ? optionalInt(track->shuffleMode) : "none");
    f.emplace_back("repeat", track ? optionalInt(track->repeatMode) : "none");
    f.emplace_back("liked", track && track->isLiked ? flag(*track->isLiked) : "none");
    f.emplace_back("explicit", track ? flag(track->isExplicit) : "none");
    f.emplace_back("artwork", size(service.artwork.peek()));
    f.emplace_back("accent", service.accent.peek().name(QColor::HexRgb).toUpper().toStdString());
    f.emplace_back("appIcon", size(service.appIcon.peek()));
    f.emplace_back("trackVersion", std::to_string(service.trackVersion.peek()));
    f.emplace_back("titleVersion", std::to_string(service.titleVersion.peek()));
    f.emplace_back("artistVersion", std::to_string(service.artistVersion.peek()));
    f.emplace_back("artworkVersion", std::to_string(service.artworkVersion.peek()));
    f.emplace_back("announced", std::to_string(announced_));
    f.emplace_back("companion", NowPlayingService::companionStateName(service.companionState()));
    f.emplace_back("launches", std::to_string(host_.launches().size()));
    f.emplace_back("restarts", std::to_string(service.restarts()));
    f.emplace_back("writes", std::to_string(host_.writes().size()));
    f.emplace_back("lastWrite", host_.writes().empty() ? "none" : script::jsonString(host_.writes().back()));
    const auto pinned = service.pinnedPlayer();
    f.emplace_back("pinned", pinned ? scripted::rawValue(*pinned) : "none");
    f.emplace_back("canLike", flag(service.canLike()));
    f.emplace_back("debugIndex", service.hasDebugTracks() ? std::to_string(service.debugIndex()) : "none");
    f.emplace_back("spotifyCalls", calls(QStringLiteral("org.mpris.MediaPlayer2.spotify")));
    f.emplace_back("musicCalls", calls(QStringLiteral("org.mpris.MediaPlayer2.music")));
    f.emplace_back("webRequests", std::to_string(web_.requests().size()));
    return f;
}

std::string ScriptNowPlaying::printLine(double now) const
{
    std::string line;
    for (const auto &[name, value] : fields(now))
        line += (line.empty() ? "" : " ") + name + "=" + value;
    return line;
}
