#include "NowPlayingFixtureSupport.h"

#include <QDir>
#include <QFile>

#include <climits>

using namespace vesk;
using namespace vesk::test;

namespace {
using CompanionTest = NowPlayingFixture;
}

TEST_F(CompanionTest, LaunchesPerlWithTheLoaderAndTheLibrary)
{
    service->start();
    ASSERT_EQ(host.launches().size(), 1u);
    const auto &launch = host.launches()[0];
    EXPECT_EQ(launch.program, "/usr/bin/perl");
    ASSERT_EQ(launch.arguments.size(), 4u);
    EXPECT_EQ(launch.arguments[0], "-MDynaLoader");
    EXPECT_EQ(launch.arguments[1], "-e");
    EXPECT_EQ(launch.arguments[2].size(), 229u);
    EXPECT_EQ(launch.arguments[2],
              "my $h = DynaLoader::dl_load_file($ARGV[0], 0) or die DynaLoader::dl_error();\n"
              "my $s = DynaLoader::dl_find_symbol($h, \"vesk_main\") or die \"vesk_main not found\";\n"
              "DynaLoader::dl_install_xsub(\"main::vesk_main\", $s);\n"
              "main::vesk_main();");
    EXPECT_EQ(launch.arguments[3], "/usr/lib/vesk/TrackWatch.so");
    EXPECT_EQ(service->companionState(), NowPlayingService::CompanionState::running);
    service->start();  // already running
    EXPECT_EQ(host.launches().size(), 1u);
}

TEST_F(CompanionTest, MissingLibraryAndFailedLaunchAreLoggedAndNotRetried)
{
    host.setOutcome(SimCompanionHost::Outcome::missing);
    service->start();
    EXPECT_TRUE(host.launches().empty());
    EXPECT_EQ(service->companionState(), NowPlayingService::CompanionState::disabled);
    ASSERT_FALSE(logged.lines.empty());
    EXPECT_NE(logged.lines.back().find("TrackWatch.so missing"), std::string::npos);

    host.setOutcome(SimCompanionHost::Outcome::fail);
    service->track = Track{"Old"};
    service->start();
    EXPECT_EQ(host.launches().size(), 1u);
    EXPECT_EQ(logged.lines.back().rfind("Vesk: failed to launch now-playing helper: ", 0), 0u);
    EXPECT_FALSE(service->track.peek());
    EXPECT_EQ(service->companionState(), NowPlayingService::CompanionState::givenUp);
    time.advance(10);
    EXPECT_EQ(host.launches().size(), 1u);
}

TEST_F(CompanionTest, LinesAreAppliedInOrderAndSplitLinesOnce)
{
    service->start();
    ASSERT_TRUE(host.emitOutput(QByteArray::fromStdString(playing("One") + "\n" + playing("Two") + "\n")));
    EXPECT_EQ(current().title, "One");  // "Two" waits for its artwork as a new track
    time.advance(0.7);
    EXPECT_EQ(current().title, "Two");
    const std::string third = playing("Three", ",\"artwork\":\"" + solid(Qt::red).toBase64().toStdString() + "\"");
    ASSERT_TRUE(host.emitOutput(QByteArray::fromStdString(third.substr(0, 20))));
    EXPECT_EQ(current().title, "Two");
    ASSERT_TRUE(host.emitOutput(QByteArray::fromStdString(third.substr(20) + "\n")));
    EXPECT_EQ(current().title, "Three");
    EXPECT_EQ(service->trackVersion.peek(), 3);
}

TEST_F(CompanionTest, BadLinesAreDroppedAndChangeNothing)
{
    service->start();
    line(playing("One"));
    const int versions = service->trackVersion.peek();
    line("{\"title\":5}");
    line("[1,2]");
    line("not json");
    line("");
    line("{\"title\":\"\xff\xfe\"}");
    line(std::string(70, '[') + std::string(70, ']'));
    line("{\"title\":\"One\",\"shuffle\":2.5}");
    EXPECT_EQ(current().title, "One");
    EXPECT_EQ(service->trackVersion.peek(), versions);
    line("{\"empty\":true}");
    EXPECT_FALSE(service->track.peek());
}

TEST_F(CompanionTest, AnOverlongLineIsDroppedUpToItsLineFeed)
{
    service->start();
    const QByteArray huge(int(NowPlayingService::maxLineBytes) + 10, 'x');
    ASSERT_TRUE(host.emitOutput("{\"title\":\"" + huge));
    ASSERT_TRUE(host.emitOutput("still the same line"));
    ASSERT_TRUE(host.emitOutput(QByteArray("\"}\n") + QByteArray::fromStdString(playing("After") + "\n")));
    ASSERT_TRUE(service->track.peek());
    EXPECT_EQ(current().title, "After");
}

TEST_F(CompanionTest, FiveRestartsInARowThenGivesUp)
{
    service->start();
    line(playing("One"));
    for (int exit = 1; exit <= 5; ++exit) {
        ASSERT_TRUE(host.exit());
        EXPECT_EQ(service->companionState(), NowPlayingService::CompanionState::restarting);
        time.advance(1.99);
        EXPECT_EQ(host.launches().size(), size_t(exit));
        time.advance(0.01);
        EXPECT_EQ(host.launches().size(), size_t(exit + 1));
    }
    EXPECT_EQ(service->restarts(), 5);
    EXPECT_TRUE(service->track.peek());
    ASSERT_TRUE(host.exit());
    EXPECT_EQ(service->companionState(), NowPlayingService::CompanionState::givenUp);
    EXPECT_FALSE(service->track.peek());
    time.advance(10);
    EXPECT_EQ(host.launches().size(), 6u);
}

TEST_F(CompanionTest, AnAppliedReportBetweenExitsResetsTheCount)
{
    service->start();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(host.exit());
        time.advance(2.0);
    }
    EXPECT_EQ(service->restarts(), 4);
    line(playing("One"));
    EXPECT_EQ(service->restarts(), 0);
}

TEST_F(CompanionTest, WritesOnlyReachARunningCompanion)
{
    service->write("cmd 2");
    service->start();
    service->write("cmd 2");
    ASSERT_TRUE(host.exit());
    service->write("cmd 4");
    EXPECT_EQ(host.writes(), std::vector<std::string>{"cmd 2"});
}

TEST_F(CompanionTest, DebugTracksReplaceTheCompanionAndWrap)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("tracks.json")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"([{"title":"A","duration":100},{"title":"B"},{"title":"C"}])");
    file.close();
    ScopedEnv env("VESK_DEBUG_MEDIA", dir.path().toStdString());
    service->start();
    EXPECT_TRUE(host.launches().empty());
    EXPECT_EQ(service->companionState(), NowPlayingService::CompanionState::debug);
    EXPECT_FALSE(service->track.peek());
    service->playDebugTrack(-1);
    EXPECT_EQ(current().title, "C");
    EXPECT_TRUE(current().isPlaying);
    service->playDebugTrack(3);
    EXPECT_EQ(service->debugIndex(), 0);
    service->playDebugTrack(LLONG_MIN);  // wraps in 64 bits: -9223372036854775808 mod 3 = -2
    EXPECT_EQ(service->debugIndex(), 1);
    service->send(MediaCommand::nextTrack);
    EXPECT_EQ(service->debugIndex(), 2);
    time.advance(1);
    // Play/pause inverts once, also through togglePlayPause.
    service->togglePlayPause();
    EXPECT_FALSE(current().isPlaying);
    service->togglePlayPause();
    EXPECT_TRUE(current().isPlaying);
}

TEST_F(CompanionTest, MissingOrEmptyDebugTracksAreLogged)
{
    QTemporaryDir dir;
    ScopedEnv env("VESK_DEBUG_MEDIA", dir.path().toStdString());
    service->start();
    EXPECT_TRUE(host.launches().empty());
    ASSERT_FALSE(logged.lines.empty());
    EXPECT_EQ(logged.lines.back(), "Vesk: no debug tracks in " + dir.path().toStdString());
    QFile file(dir.filePath(QStringLiteral("tracks.json")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"([{"title":3}])");
    file.close();
    logged.lines.clear();
    service->start();
    EXPECT_EQ(logged.lines.size(), 1u);
    EXPECT_FALSE(service->hasDebugTracks());
}

TEST_F(CompanionTest, PositionsAreShortestRoundTripWithAPoint)
{
    EXPECT_EQ(NowPlayingService::formatPosition(30), "30.0");
    EXPECT_EQ(NowPlayingService::formatPosition(30.5), "30.5");
    EXPECT_EQ(NowPlayingService::formatPosition(0.1), "0.1");
    EXPECT_EQ(NowPlayingService::formatPosition(1e21), "1e+21");
    EXPECT_EQ(std::stod(NowPlayingService::formatPosition(1.0 / 3)), 1.0 / 3);
}
