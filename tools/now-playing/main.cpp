// now-playing: the now-playing service as vesk runs it (the real companion and MPRIS players, vesk's
// settings, VESK_DEBUG_MEDIA), without an island, driven from standard input.
//
//   now-playing < COMMANDS
//
// Commands, one a line: send play|pause|toggle|next|previous|like, playpause, seek S, skip S,
// shuffle, repeat, like, debugtrack N, open, set KEY JSON, print. After each main-loop turn that
// changed a published field, and on print, one JSON line of the published state. A line that is
// no command is reported on standard error and skipped. End of input: exit 0.
#include "Model/Defaults.h"
#include "NowPlaying/MediaCommand.h"
#include "NowPlaying/NowPlayingService.h"
#include "Base/Clock.h"
#include "Platform/JsonText.h"
#include "Base/MainQueue.h"
#include "Platform/UserDefaults.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <charconv>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using json = nlohmann::ordered_json;
using vesk::NowPlayingService;

namespace {

json optional(const auto &value) { return value ? json(*value) : json(nullptr); }

json size(const NowPlayingService::Image &image)
{
    return image ? json(std::to_string(image->width()) + "x" + std::to_string(image->height())) : json(nullptr);
}

json trackJson(const vesk::Track &track)
{
    return {{"title", track.title},
            {"artist", track.artist},
            {"album", track.album},
            {"duration", track.duration},
            {"elapsed", track.elapsed},
            {"timestamp", track.timestamp},
            {"rate", track.rate},
            {"isPlaying", track.isPlaying},
            {"bundleID", optional(track.bundleID)},
            {"isExplicit", track.isExplicit},
            {"shuffleMode", optional(track.shuffleMode)},
            {"repeatMode", optional(track.repeatMode)},
            {"isLiked", optional(track.isLiked)}};
}

// Reads the commands and prints the state. Main thread only.
class Session {
public:
    Session() : started_(vesk::appClock().now())
    {
        for (const vesk::Observable *field :
             std::initializer_list<const vesk::Observable *>{&service_.track, &service_.artwork, &service_.accent,
                                                              &service_.appIcon, &service_.trackVersion,
                                                              &service_.titleVersion, &service_.artistVersion,
                                                              &service_.artworkVersion})
            observers_.push_back(field->observe([this] { changed(); }));
        input_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input_.get(), &QSocketNotifier::activated, [this] { readInput(); });
        service_.start();
    }

private:
    // One line per turn, however many fields the turn changed.
    void changed()
    {
        if (printPending_)
            return;
        printPending_ = true;
        vesk::mainQueue().post([this] {
            printPending_ = false;
            print();
        });
    }

    void print() const
    {
        const double wall = vesk::appClock().wallNow();
        const auto &track = service_.track.peek();
        const auto pinned = service_.pinnedPlayer();
        const json line = {
            {"t", vesk::appClock().now() - started_},
            {"track", track ? trackJson(*track) : json(nullptr)},
            {"position", track ? json(track->elapsedAt(wall)) : json(nullptr)},
            {"artwork", size(service_.artwork.peek())},
            {"appIcon", size(service_.appIcon.peek())},
            {"accent", service_.accent.peek().name(QColor::HexRgb).toUpper().toStdString()},
            {"trackVersion", service_.trackVersion.peek()},
            {"titleVersion", service_.titleVersion.peek()},
            {"artistVersion", service_.artistVersion.peek()},
            {"artworkVersion", service_.artworkVersion.peek()},
            {"companion", NowPlayingService::companionStateName(service_.companionState())},
            {"restarts", service_.restarts()},
            {"pinned", pinned ? vesk::scripted::rawValue(*pinned) : "none"},
        };
        std::cout << line.dump() << std::endl;
    }

    void readInput()
    {
        char chunk[4096];
        const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (count < 0)
            return;  // interrupted: the notifier calls again
        if (count == 0) {
            input_->setEnabled(false);
            if (!pending_.empty())
                lines_.push_back(pending_);
            ended_ = true;
        } else {
            pending_.append(chunk, size_t(count));
            size_t start = 0;
            for (size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1)
                lines_.push_back(pending_.substr(start, end - start));
            pending_.erase(0, start);
        }
        if (!stepping_)
            step();
    }

    // One command a turn, so that each command's changes get their own line.
    void step()
    {
        stepping_ = !lines_.empty();
        if (lines_.empty()) {
            if (ended_)  // after the line of what the last command changed
                vesk::mainQueue().post([] { QCoreApplication::exit(0); });
            return;
        }
        const std::string line = std::move(lines_.front());
        lines_.pop_front();
        run(line);
        vesk::mainQueue().post([this] { step(); });
    }

    static bool number(const std::string &text, double &value)
    {
        const char *end = text.data() + text.size();
        const auto result = std::from_chars(text.data(), end, value);
        return !text.empty() && result.ec == std::errc() && result.ptr == end;
    }

    void run(std::string line)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string verb, argument;
        words >> verb;
        if (verb.empty())
            return;
        if (verb == "set") {
            std::string key;
            words >> key;
            std::string rest;
            std::getline(words, rest);
            const nlohmann::json value = vesk::parseUntrustedJson(rest);
            if (key.empty() || value.is_discarded())
                return fail(line, "set takes a key and a JSON value");
            if (value.is_null())
                vesk::UserDefaults::standard().remove(key);
            else
                vesk::UserDefaults::standard().set(key, value);
            return;
        }
        words >> argument;
        std::string extra;
        if (words >> extra)
            return fail(line, "unexpected text after the command");
        const bool bare = argument.empty();
        double value = 0;
        if (verb == "send") {
            const auto command = vesk::mediaCommandNamed(argument);
            if (!command)
                return fail(line, "send takes play, pause, toggle, next, previous or like");
            service_.send(*command);
        } else if (verb == "seek" || verb == "skip") {
            if (!number(argument, value))
                return fail(line, verb + " takes a number of seconds");
            verb == "seek" ? service_.seek(value) : service_.skip(value);
        } else if (verb == "debugtrack") {
            long long n = 0;
            const char *end = argument.data() + argument.size();
            const auto result = std::from_chars(argument.data(), end, n);
            if (bare || result.ec != std::errc() || result.ptr != end)
                return fail(line, "debugtrack takes a whole number");
            service_.playDebugTrack(n);
        } else if (!bare) {
            return fail(line, "\"" + verb + "\" takes nothing");
        } else if (verb == "playpause") {
            service_.togglePlayPause();
        } else if (verb == "shuffle") {
            service_.toggleShuffle();
        } else if (verb == "repeat") {
            service_.toggleRepeat();
        } else if (verb == "like") {
            service_.toggleLike();
        } else if (verb == "open") {
            service_.openSourceApp();
        } else if (verb == "print") {
            print();
        } else {
            return fail(line, "no such command");
        }
    }

    static void fail(const std::string &line, const std::string &why)
    {
        std::cerr << "now-playing: " << why << ": " << line << std::endl;
    }

    NowPlayingService service_{vesk::settings::audioSource};
    double started_;
    std::vector<vesk::Connection> observers_;
    std::unique_ptr<QSocketNotifier> input_;
    std::string pending_;
    std::deque<std::string> lines_;
    bool stepping_ = false;
    bool ended_ = false;
    bool printPending_ = false;
};

}  // namespace

int main(int argc, char **argv)
{
    // Application icons are drawn without a screen.
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Vesk"));
    std::signal(SIGPIPE, SIG_IGN);
    vesk::UserDefaults::setStandard(vesk::UserDefaults::openFile(vesk::UserDefaults::defaultPath()));
    vesk::Defaults::registerTable();
    vesk::mainQueue();  // starts the real-time driver on the event loop
    Session session;
    return QGuiApplication::exec();
}
