#pragma once

// The now-playing service over the real session bus that scripts/run-tests starts, with TrackWatch's
// test player playing Spotify or the desktop's music player.

#include "Model/Defaults.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/ScriptedPlayer.h"
#include "Platform/MprisBus.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimCompanionHost.h"

#include "TestMprisPlayer.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/file.h>
#include <unistd.h>

#include <memory>

namespace vesk::test {

// Spotify's bus name is one for the whole bus: the tests that play or miss Spotify take turns.
class SpotifyNameLock {
public:
    SpotifyNameLock()
    {
        const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        const std::string path = std::string(runtime ? runtime : "/tmp") + "/vesk-test-spotify.lock";
        fd_ = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ >= 0)
            ::flock(fd_, LOCK_EX);
    }
    ~SpotifyNameLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

private:
    int fd_ = -1;
};

// The tests take turns on the bus from before they first look at it to after their players have
// gone: a name that another test's player gives up while this one starts is never in doubt.
class MprisSessionTest : public ::testing::Test {
protected:
    MprisSessionTest()
        : configHome("XDG_CONFIG_HOME", root.filePath("config").toStdString()),
          configDirs("XDG_CONFIG_DIRS", root.filePath("etc").toStdString()),
          dataHome("XDG_DATA_HOME", root.filePath("data").toStdString()),
          dataDirs("XDG_DATA_DIRS", root.filePath("share").toStdString()),
          desktop("XDG_CURRENT_DESKTOP", std::nullopt)
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        CompanionHost::setShared(&companion);
        scripted::forgetMusicPlayer();
        scripted::forgetExplicitAnswers();
        // The bus learns of players from here on; a player of this process that was there before
        // could not answer the bus's first, blocking question.
        MprisBus::shared();
    }
    ~MprisSessionTest() override
    {
        service.reset();
        CompanionHost::setShared(nullptr);
        scripted::forgetMusicPlayer();
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
    }

    void SetUp() override
    {
        ASSERT_TRUE(std::getenv("DBUS_SESSION_BUS_ADDRESS")) << "run through scripts/run-tests";
        const QByteArray png = pngOf(QColor(200, 30, 30), 400, 300);
        QFile file(artPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(png);
    }

    static QByteArray pngOf(QColor colour, int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    void writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Registers a test player under org.mpris.MediaPlayer2.<suffix>, waiting for the name while
    // another test's player holds it.
    std::unique_ptr<TestMprisPlayer> makePlayer(const QString &suffix, const QString &desktopEntry = {})
    {
        std::unique_ptr<TestMprisPlayer> player;
        waitFor([&] {
            player = std::make_unique<TestMprisPlayer>(suffix);
            if (player->isRegistered())
                return true;
            player.reset();
            QThread::msleep(50);
            return false;
        }, 20000);
        if (!player)
            return nullptr;
        player->setDesktopEntry(desktopEntry);
        player->setTracks({{QStringLiteral("First Song"), {QStringLiteral("Ann"), QStringLiteral("Bo")},
                            QStringLiteral("Side A"), 200'000'000, QUrl::fromLocalFile(artPath).toString()},
                           {QStringLiteral("Second Song"), {QStringLiteral("Cy")}, QStringLiteral("B"), 90'000'000, {}}});
        player->setPlaybackStatus(QStringLiteral("Playing"));
        // The bus has seen the name and read its desktop entry.
        waitFor([&] {
            for (const auto &p : MprisBus::shared().players()) {
                if (p.busName == player->busName() && p.desktopEntry == desktopEntry)
                    return true;
            }
            return false;
        });
        return player;
    }

    void makeService(const std::string &explicitBase = "http://127.0.0.1:9")
    {
        service = std::make_unique<NowPlayingService>(settings::audioSource, explicitBase);
    }

    bool titleIs(const std::string &title) const
    {
        const auto &track = service->track.peek();
        return track && track->title == title;
    }

    SpotifyNameLock turn;  // first made, last gone
    QTemporaryDir root;
    ScopedEnv configHome, configDirs, dataHome, dataDirs, desktop;
    QString artPath = root.filePath("cover.png");
    SimCompanionHost companion;
    CapturedLog logged;
    std::unique_ptr<NowPlayingService> service;
};

}  // namespace vesk::test
