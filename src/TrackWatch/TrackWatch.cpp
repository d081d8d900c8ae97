#include "TrackWatch/TrackWatch.h"

#include "TrackWatch/CommandLine.h"

#include <memory>

namespace trackwatch {

// What a refresh has learnt so far, carried from one callback to the next.
struct TrackWatch::Pending {
    TrackWatch *owner;
    std::optional<NowPlayingInfo> info;
    bool playing = false;
};

TrackWatch::TrackWatch(const MediaRemoteFunctions &functions, const MRDispatchQueue *mainQueue,
                       std::function<void(const std::string &)> writeLine,
                       std::function<void(int, std::function<void()>)> restartTimer)
    : functions_(functions), mainQueue_(mainQueue), writeLine_(std::move(writeLine)),
      restartTimer_(std::move(restartTimer))
{
}

void TrackWatch::refresh()
{
    // A query that never answers leaves its Pending behind and writes no line.
    functions_.getInfo(mainQueue_, new Pending{this, std::nullopt, false}, &TrackWatch::onInfo);
}

void TrackWatch::onInfo(void *context, const MRDictionary *info)
{
    auto *pending = static_cast<Pending *>(context);
    if (info)
        pending->info = copyInfo(*info);
    const auto &functions = pending->owner->functions_;
    functions.getIsPlaying(pending->owner->mainQueue_, pending, &TrackWatch::onIsPlaying);
}

void TrackWatch::onIsPlaying(void *context, unsigned char playing)
{
    auto *pending = static_cast<Pending *>(context);
    pending->playing = playing != 0;
    const auto &functions = pending->owner->functions_;
    if (functions.getClient && functions.clientBundleID) {
        functions.getClient(pending->owner->mainQueue_, pending, &TrackWatch::onClient);
        return;
    }
    std::unique_ptr<Pending> done(pending);
    done->owner->publish(done->info ? &*done->info : nullptr, done->playing, std::nullopt);
}

void TrackWatch::onClient(void *context, const MRNowPlayingClient *client)
{
    std::unique_ptr<Pending> pending(static_cast<Pending *>(context));
    const auto &functions = pending->owner->functions_;
    std::optional<std::string> bundleID;
    if (client) {
        const char *id = functions.clientParentBundleID ? functions.clientParentBundleID(client) : nullptr;
        if (!id || !*id)
            id = functions.clientBundleID(client);
        if (id)
            bundleID = id;
    }
    pending->owner->publish(pending->info ? &*pending->info : nullptr, pending->playing, bundleID);
}

void TrackWatch::publish(const NowPlayingInfo *info, bool playing, const std::optional<std::string> &bundleID)
{
    if (auto line = lines_.publish(info, playing, bundleID))
        writeLine_(*line);
}

void TrackWatch::scheduleRefresh()
{
    restartTimer_(kDebounceMilliseconds, [this] { refresh(); });
}

void TrackWatch::handleCommand(std::string_view line)
{
    auto command = parseCommand(line);
    if (!command)
        return;
    // A toggled mode is set directly, or, where that function is missing, advanced by a command.
    auto setMode = [this](std::int32_t mode, auto set, auto advance) {
        if (set)
            set(mode);
        else if (functions_.sendCommand)
            functions_.sendCommand(advance, nullptr);
    };
    if (command->word == "cmd" && functions_.sendCommand) {
        functions_.sendCommand(integerValue(command->argument), nullptr);
    } else if (command->word == "seek" && functions_.setElapsed) {
        functions_.setElapsed(doubleValue(command->argument));
    } else if (command->word == "shuffle") {
        setMode(lines_.toggleShuffle(), functions_.setShuffleMode, MRCommandAdvanceShuffleMode);
    } else if (command->word == "repeat") {
        setMode(lines_.toggleRepeat(), functions_.setRepeatMode, MRCommandAdvanceRepeatMode);
    }
    scheduleRefresh();
}

}  // namespace trackwatch
