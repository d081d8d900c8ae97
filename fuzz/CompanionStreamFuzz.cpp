// Fuzzes the now-playing service on the companion's output: the input is the byte stream the
// companion writes, handed to the service in chunks of random sizes (drawn from a hash of the
// input), with the virtual clock moving on and playback commands given between them, through
// consume, decode, apply, commit and the artwork decoder. Besides crashes, undefined behaviour and
// leaks it checks what the service publishes after every step.
#include "Model/Defaults.h"
#include "NowPlaying/NowPlayingService.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimCompanionHost.h"
#include "Platform/sim/SimDesktopApps.h"
#include "Platform/sim/SimMprisBus.h"
#include "Platform/sim/SimWebFetcher.h"
#include "Base/VirtualTime.h"

#include <QGuiApplication>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The simulated platform of one input.
struct Platform {
    Platform()
    {
        vesk::CompanionHost::setShared(&host);
        vesk::MprisBus::setShared(&bus);
        vesk::WebFetcher::setShared(&web);
        vesk::DesktopApps::setShared(&apps);
    }
    ~Platform()
    {
        vesk::CompanionHost::setShared(nullptr);
        vesk::MprisBus::setShared(nullptr);
        vesk::WebFetcher::setShared(nullptr);
        vesk::DesktopApps::setShared(nullptr);
    }
    vesk::SimCompanionHost host;
    vesk::SimMprisBus bus;
    vesk::SimWebFetcher web;
    vesk::SimDesktopApps apps;
};

void checkPublished(const vesk::NowPlayingService &service, double now)
{
    const auto &artwork = service.artwork.peek();
    if (artwork) {
        check(!artwork->isNull());
        check(std::max(artwork->width(), artwork->height()) <= 192);
    } else {
        check(service.accent.peek() == QColor(Qt::white));
    }
    if (const auto &track = service.track.peek()) {
        const double position = track->elapsedAt(now);
        check(!std::isnan(position));
        if (track->isPlaying && track->duration > 0)
            check(position >= 0 && position <= track->duration);
    }
    check(service.restarts() >= 0 && service.restarts() <= 5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "companion_stream_fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = (::setenv("QT_QPA_PLATFORM", "offscreen", 1), new QGuiApplication(argc, argv));
    (void)app;
    vesk::UserDefaults::setStandard(std::make_unique<vesk::UserDefaults>());
    vesk::VirtualTime time;
    Platform platform;
    auto service = std::make_unique<vesk::NowPlayingService>(vesk::settings::audioSource, "http://web.test");
    service->start();
    if (!platform.host.isRunning())
        return 0;

    // The chunks and the steps between them follow from the whole input, which is all stream.
    uint32_t seed = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        seed = (seed ^ data[i]) * 16777619u;
    std::minstd_rand random(seed % 2147483646u + 1);
    for (size_t at = 0; at < size;) {
        const size_t chunk = std::min(size - at, size_t(1 + random() % 300));
        platform.host.emitOutput(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(chunk)));
        at += chunk;
        switch (random() % 16) {
        case 0:
            time.advance(0.7);  // a switch settles
            break;
        case 1:
            time.advance(2.5);  // artwork clears, a recheck runs
            break;
        case 2:
            service->togglePlayPause();
            break;
        case 3:
            service->skip(random() % 2 ? 15 : -15);
            break;
        case 4:
            service->toggleShuffle();
            service->toggleRepeat();
            break;
        case 5:
            service->send(vesk::MediaCommand::nextTrack);
            break;
        case 6:
            if (platform.host.exit())
                time.advance(2.0);  // started again
            break;
        default:
            time.flush();
            break;
        }
        checkPublished(*service, time.wallNow());
    }
    time.advance(3.0);
    checkPublished(*service, time.wallNow());
    service.reset();
    return 0;
}
