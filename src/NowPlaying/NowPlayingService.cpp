#include "NowPlaying/NowPlayingService.h"

#include "Platform/CompanionHost.h"
#include "Platform/JsonText.h"
#include "Base/Log.h"

#include <QFile>

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vesk {

namespace {

// Loads the library named by the first script argument and runs its entry point.
const char *const loaderText =
    "my $h = DynaLoader::dl_load_file($ARGV[0], 0) or die DynaLoader::dl_error();\n"
    "my $s = DynaLoader::dl_find_symbol($h, \"vesk_main\") or die \"vesk_main not found\";\n"
    "DynaLoader::dl_install_xsub(\"main::vesk_main\", $s);\n"
    "main::vesk_main();";

}  // namespace

NowPlayingService::NowPlayingService(const Setting<std::string> &source, std::string explicitLookUpBase)
    : sourceSetting_(source), explicitBase_(std::move(explicitLookUpBase))
{
}

NowPlayingService::~NowPlayingService() = default;

bool NowPlayingService::shouldNotifyObservers(const std::optional<Track> &old, const std::optional<Track> &now)
{
    if (!old && !now)
        return false;
    if (!old || !now)
        return true;
    return !(*old == *now);
}

const char *NowPlayingService::companionStateName(CompanionState state)
{
    switch (state) {
    case CompanionState::notStarted:
        return "notStarted";
    case CompanionState::running:
        return "running";
    case CompanionState::restarting:
        return "restarting";
    case CompanionState::givenUp:
        return "givenUp";
    case CompanionState::disabled:
        return "disabled";
    case CompanionState::debug:
        return "debug";
    }
    return "none";
}

double NowPlayingService::now() const { return appClock().wallNow(); }

void NowPlayingService::later(double seconds, std::function<void()> fn)
{
    mainQueue().after(seconds, lifetime_.guard(std::move(fn))).detach();
}

std::string NowPlayingService::formatPosition(double seconds)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, seconds);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".eEn") == std::string::npos)  // "n": nan and inf stay as they are
        text += ".0";
    return text;
}

void NowPlayingService::start()
{
    if (const char *directory = std::getenv("VESK_DEBUG_MEDIA")) {
        companion_ = CompanionState::debug;
        QFile file(QString::fromLocal8Bit(directory) + QStringLiteral("/tracks.json"));
        std::vector<NowPlayingPayload> tracks;
        bool ok = false;
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            auto json = parseUntrustedJson(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
            if (!json.is_discarded() && json.is_array()) {
                ok = true;
                for (const auto &entry : json) {
                    auto payload = NowPlayingPayload::fromJson(entry);
                    if (!payload) {
                        ok = false;
                        break;
                    }
                    tracks.push_back(std::move(*payload));
                }
            }
        }
        if (!ok || tracks.empty()) {
            log(std::string("no debug tracks in ") + directory);
            return;
        }
        debugTracks_ = std::move(tracks);
        return;
    }
    startSourceTracking();
    if (process_)
        return;
    auto &host = CompanionHost::shared();
    const auto library = host.libraryPath();
    if (!library) {
        log("TrackWatch.so missing from the installation; media features are disabled");
        companion_ = CompanionState::disabled;
        return;
    }
    auto launch = host.launch("/usr/bin/perl", {"-MDynaLoader", "-e", loaderText, *library});
    if (!launch.process) {
        log("failed to launch now-playing helper: " + launch.error);
        companion_ = CompanionState::givenUp;
        clearEverything();
        return;
    }
    process_ = std::move(launch.process);
    process_->onOutput = lifetime_.guard([this](const QByteArray &chunk) { consume(chunk); });
    process_->onExit = lifetime_.guard([this] { helperExited(); });
    companion_ = CompanionState::running;
}

void NowPlayingService::consume(const QByteArray &data)
{
    qsizetype from = 0;
    if (discardingLine_) {
        const qsizetype end = data.indexOf('\n');
        if (end < 0)
            return;
        discardingLine_ = false;
        from = end + 1;
    }
    buffer_.append(data.constData() + from, data.size() - from);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = buffer_.indexOf('\n', start);
        if (end < 0)
            break;
        const qsizetype length = end - start;
        if (length > 0 && size_t(length) <= maxLineBytes) {
            if (auto payload = NowPlayingPayload::decode(std::string_view(buffer_.constData() + start, size_t(length))))
                apply(std::move(*payload), true);
        }
        start = end + 1;
    }
    buffer_.remove(0, start);
    if (size_t(buffer_.size()) > maxLineBytes) {
        // A line this long is no report: forget it, and what follows up to its end.
        buffer_.clear();
        discardingLine_ = true;
    }
}

void NowPlayingService::helperExited()
{
    // The process object is still inside its own notification: let it go on a later turn.
    mainQueue().post([finished = std::shared_ptr<CompanionProcess>(std::move(process_))] {});
    buffer_.clear();
    discardingLine_ = false;
    if (restarts_ < 5) {
        ++restarts_;
        companion_ = CompanionState::restarting;
        later(2.0, [this] { start(); });
    } else {
        companion_ = CompanionState::givenUp;
        clearEverything();
    }
}

void NowPlayingService::write(const std::string &text)
{
    if (!process_ || !process_->isRunning())
        return;
    QByteArray line = QByteArray::fromStdString(text);
    line.append('\n');
    process_->write(line);  // a write error is of no consequence: the next report tells
}

void NowPlayingService::playDebugTrack(long long n)
{
    if (!debugTracks_ || debugTracks_->empty())
        return;
    const long long count = static_cast<long long>(debugTracks_->size());
    debugIndex_ = static_cast<int>(((n % count) + count) % count);
    NowPlayingPayload payload = (*debugTracks_)[size_t(debugIndex_)];
    payload.rate = 1.0;
    payload.playing = true;
    payload.timestamp = now();
    apply(std::move(payload), false);
}

}  // namespace vesk
