#pragma once

#include "NowPlaying/NowPlayingService.h"
#include "Platform/sim/SimCompanionHost.h"
#include "Platform/sim/SimDesktopApps.h"
#include "Platform/sim/SimMprisBus.h"
#include "Platform/sim/SimWebFetcher.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// The now-playing part of a script: the simulated companion, players, web pages and applications,
// and the verbs that drive them (companion, player, web, app, send, playpause, seek, skip, shuffle,
// repeat, like, debugtrack, media).
class ScriptNowPlaying {
public:
    ScriptNowPlaying();
    ~ScriptNowPlaying();

    // Starts the service as the application does.
    void start(vesk::NowPlayingService &service);
    // Runs a now-playing verb; false for a verb that is not one.
    bool execute(const std::string &verb, const std::string &line, size_t &pos, bool started, double now);
    // The `media` fields, in their order.
    std::vector<std::pair<std::string, std::string>> fields(double now) const;
    std::string printLine(double now) const;
    // What the service sent since the last call: the companion's lines as written, and
    // "open ID" for each player it brought forward.
    std::vector<std::string> takeCommands();

private:
    struct Player {
        bool running = true;
        std::string status = "playing";
        std::string title, artist, album;
        double duration = 0, position = 0;
        bool shuffle = false;
        int repeat = 1;
        std::string artUrl;
        std::optional<QByteArray> artwork;
        double artworkDelay = 0;
        std::string trackID;
    };
    QString busName(const std::string &name) const;
    void setPlayer(const std::string &name, const nlohmann::json &fields);
    void publishPlayer(const std::string &name);
    std::string calls(const QString &bus) const;
    void command(const std::string &verb, const std::string &line, size_t &pos);

    vesk::SimCompanionHost host_;
    vesk::SimMprisBus bus_;
    vesk::SimWebFetcher web_;
    vesk::SimDesktopApps apps_;
    std::map<std::string, Player> players_;
    std::set<std::string> raisable_;
    // Artwork fetches, by the player whose address they asked.
    std::map<QString, int> artworkFetches_;
    std::map<QString, std::vector<std::string>> artworkCalls_;
    vesk::NowPlayingService *service_ = nullptr;
    int announced_ = 0;
    size_t writesTaken_ = 0;
    size_t callsTaken_ = 0;
};
