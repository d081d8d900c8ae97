#pragma once

#include "Model/Defaults.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/ScriptedPlayer.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimCompanionHost.h"
#include "Platform/sim/SimDesktopApps.h"
#include "Platform/sim/SimMprisBus.h"
#include "Platform/sim/SimWebFetcher.h"
#include "Base/VirtualTime.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QDBusObjectPath>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vesk::test {

// The now-playing service on the simulated platform and the virtual clock.
class NowPlayingFixture : public ::testing::Test {
protected:
    NowPlayingFixture()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        CompanionHost::setShared(&host);
        MprisBus::setShared(&bus);
        WebFetcher::setShared(&web);
        DesktopApps::setShared(&apps);
        apps.install(QStringLiteral("music"), QImage());
        apps.setDefault(QStringLiteral("audio/mpeg"), QStringLiteral("music"));
        scripted::forgetMusicPlayer();
        scripted::forgetExplicitAnswers();
        service = std::make_unique<NowPlayingService>(settings::audioSource, "http://web.test");
    }
    ~NowPlayingFixture() override
    {
        service.reset();
        CompanionHost::setShared(nullptr);
        MprisBus::setShared(nullptr);
        WebFetcher::setShared(nullptr);
        DesktopApps::setShared(nullptr);
        scripted::forgetMusicPlayer();
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
    }

    // A companion line, written by the running companion.
    void line(const std::string &json) { ASSERT_TRUE(host.emitOutput(QByteArray::fromStdString(json + "\n"))); }
    std::string playing(const std::string &title, const std::string &extra = "") const
    {
        return "{\"title\":\"" + title + "\",\"artist\":\"A\",\"duration\":200,\"elapsed\":10,\"rate\":1,\"playing\":true,"
               "\"timestamp\":" + std::to_string(time.wallNow()) + extra + "}";
    }
    const Track &current() const { return *service->track.peek(); }
    std::string lastWrite() const { return host.writes().empty() ? "" : host.writes().back(); }

    // Sets a simulated player's state as MPRIS gives it.
    void setPlayer(const QString &bus, const QString &title, const QString &status = QStringLiteral("Playing"),
                   const QString &artUrl = {})
    {
        auto &player = this->bus.player(bus);
        player.desktopEntry = bus.endsWith(QStringLiteral("spotify")) ? QStringLiteral("spotify") : QStringLiteral("music");
        QVariantMap metadata{{QStringLiteral("xesam:title"), title},
                             {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("One"), QStringLiteral("Two")}},
                             {QStringLiteral("xesam:album"), QStringLiteral("Album")},
                             {QStringLiteral("mpris:length"), qlonglong(200000000)},
                             {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath("/com/spotify/track/abc123"))}};
        if (!artUrl.isEmpty())
            metadata[QStringLiteral("mpris:artUrl")] = artUrl;
        player.properties = {{QStringLiteral("PlaybackStatus"), status},
                             {QStringLiteral("Metadata"), metadata},
                             {QStringLiteral("Position"), qlonglong(30000000)},
                             {QStringLiteral("Shuffle"), true},
                             {QStringLiteral("LoopStatus"), QStringLiteral("Track")}};
    }
    int callCount(const QString &method) const
    {
        int n = 0;
        for (const auto &call : bus.calls())
            n += call.method == method;
        return n;
    }

    static QByteArray encoded(const QImage &image, const char *format = "PNG")
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    }
    static QByteArray solid(QColor colour, int w = 8, int h = 8)
    {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(colour);
        return encoded(image);
    }

    VirtualTime time;
    SimCompanionHost host;
    SimMprisBus bus;
    SimWebFetcher web;
    SimDesktopApps apps;
    CapturedLog logged;
    std::unique_ptr<NowPlayingService> service;
};

inline const QString spotifyBus = QStringLiteral("org.mpris.MediaPlayer2.spotify");
inline const QString musicBus = QStringLiteral("org.mpris.MediaPlayer2.music");

}  // namespace vesk::test
