#include "DiagnosticsTestSupport.h"

#include "TestSupport.h"

#include <QFile>

using namespace vesk;
using vesk::test::DiagnosticsTest;

namespace {

class DebugSwitchesTest : public DiagnosticsTest {
protected:
    // Three debug tracks, A, B and C, as VESK_DEBUG_MEDIA gives them.
    void withDebugTracks()
    {
        QFile file(tracks.filePath(QStringLiteral("tracks.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"([{"title":"A"},{"title":"B"},{"title":"C"}])");
        file.close();
        test::ScopedEnv media("VESK_DEBUG_MEDIA", tracks.path().toStdString());
        model->nowPlaying().start();
        ASSERT_TRUE(model->nowPlaying().hasDebugTracks());
    }
    std::string title() const
    {
        const auto &track = model->nowPlaying().track.peek();
        return track ? track->title : "none";
    }
    std::optional<IslandPage> currentPage() const { return model->pages().at(size_t(model->page())); }

    QTemporaryDir tracks;
};

}  // namespace

TEST_F(DebugSwitchesTest, PlayStartsItsTrackAfterOneSecondCountingFromTheEnd)
{
    withDebugTracks();
    for (const auto &[value, expected] : std::vector<std::pair<const char *, std::string>>{
             {"-1", "C"}, {"+2", "C"}, {"4", "B"}, {"-9223372036854775808", "B"}}) {
        model->nowPlaying().clearEverything();
        auto diagnostics = install(env({{"VESK_DEBUG_PLAY", value}}));
        time.advance(0.99);
        EXPECT_EQ(title(), "none") << value;
        time.advance(0.02);
        EXPECT_EQ(title(), expected) << value;
    }
}

TEST_F(DebugSwitchesTest, AMalformedPlaySchedulesNothing)
{
    withDebugTracks();
    for (const char *value : {"2x", " 2", ""}) {
        auto diagnostics = install(env({{"VESK_DEBUG_PLAY", value}}));
        time.advance(2);
        EXPECT_EQ(title(), "none") << value;
    }
}

TEST_F(DebugSwitchesTest, TabOpensItsPageAfterThreeSecondsAndOtherNamesAreExtensions)
{
    {
        auto diagnostics = install(env({{"VESK_DEBUG_TAB", "timer"}}));
        time.advance(2.99);
        EXPECT_FALSE(model->isOpen.peek());
        time.advance(0.02);
        EXPECT_TRUE(model->isOpen.peek());
        EXPECT_EQ(currentPage(), IslandPage::timer());
    }
    model->close(false);
    runExtension("Media", "running");
    auto diagnostics = install(env({{"VESK_DEBUG_TAB", "Media"}}));
    time.advance(3);
    EXPECT_EQ(currentPage(), IslandPage::ext("Media"));
}

TEST_F(DebugSwitchesTest, VolumeRowAfterEightSeconds)
{
    auto diagnostics = install(env({{"VESK_DEBUG_VOLUME_ROW", ""}}));
    time.advance(7.99);
    EXPECT_FALSE(model->showsVolume.peek());
    time.advance(0.02);
    EXPECT_TRUE(model->showsVolume.peek());
}

TEST_F(DebugSwitchesTest, BounceAlternatesEveryNinetyHundredthsForEver)
{
    auto diagnostics = install(env({{"VESK_DEBUG_BOUNCE", "1"}}));
    time.advance(0.89);
    EXPECT_FALSE(model->isOpen.peek());
    std::vector<bool> seen;
    for (int i = 0; i < 6; ++i) {
        time.advance(i == 0 ? 0.02 : 0.9);
        seen.push_back(model->isOpen.peek());
    }
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true, false, true, false}));
    // A close is ignored while pinned open: the island stays open from then on.
    time.advance(0.9);
    model->isPinnedOpen = true;
    time.advance(0.9 * 3);
    EXPECT_TRUE(model->isOpen.peek());
    EXPECT_TRUE(diagnostics->isBouncing());
}

TEST_F(DebugSwitchesTest, SizePreviewStepsTheWidthEachToItsOwnTargetAndRestoresIt)
{
    defaults().set(settings::notchWidthAdjustment, 4.0);
    const double t0 = time.now();
    auto diagnostics = install(env({{"VESK_DEBUG_SIZE_PREVIEW", ""}}));
    time.advance(2.99);
    EXPECT_EQ(defaults().value(settings::notchWidthAdjustment), 4.0);
    for (int k = 1; k <= 8; ++k) {
        time.advance(t0 + 3.0 + 0.4 * (k - 1) + 0.001 - time.now());
        EXPECT_DOUBLE_EQ(defaults().value(settings::notchWidthAdjustment), 4.0 + k) << "step " << k;
        defaults().set(settings::notchWidthAdjustment, 100.0);  // a step never adds to what is stored
    }
    time.advance(t0 + 8.0 - 0.01 - time.now());
    EXPECT_EQ(defaults().value(settings::notchWidthAdjustment), 100.0);
    time.advance(0.02);
    EXPECT_EQ(defaults().value(settings::notchWidthAdjustment), 4.0);
}

TEST_F(DebugSwitchesTest, PaneOpensSettingsWithTheLightAppearanceAndClosesThemAfterSixSeconds)
{
    QWidget window;
    host.settingsWindow = [&] { return &window; };
    auto diagnostics = install(env({{"VESK_DEBUG_PANE", ""}, {"VESK_DEBUG_LIGHT", ""}, {"VESK_DEBUG_CLOSE_SETTINGS", ""}}));
    EXPECT_EQ(settingsCalls, 1);
    EXPECT_EQ(lightAt, 1.0);  // the fixture's island settled for its first second
    time.advance(5.99);
    EXPECT_FALSE(closedAt);
    time.advance(0.02);
    ASSERT_TRUE(closedAt);
    EXPECT_NEAR(*closedAt, 7.0, 1e-9);
}

TEST_F(DebugSwitchesTest, LightAndCloseSettingsWithoutPaneDoNothing)
{
    QWidget window;
    host.settingsWindow = [&] { return &window; };
    auto diagnostics = install(env({{"VESK_DEBUG_LIGHT", ""}, {"VESK_DEBUG_CLOSE_SETTINGS", ""}}));
    time.advance(10);
    EXPECT_EQ(settingsCalls, 0);
    EXPECT_FALSE(lightAt);
    EXPECT_FALSE(closedAt);
}

TEST_F(DebugSwitchesTest, CloseSettingsWithNoWindowLeftDoesNothing)
{
    auto diagnostics = install(env({{"VESK_DEBUG_PANE", "about"}, {"VESK_DEBUG_CLOSE_SETTINGS", ""}}));
    time.advance(6);
    EXPECT_EQ(settingsCalls, 1);
    EXPECT_FALSE(closedAt);
}

TEST_F(DebugSwitchesTest, OnboardingAtOnceAndRecordAfterTwoSeconds)
{
    const std::string film = folder.filePath("film").toStdString();
    auto diagnostics = install(env({{"VESK_DEBUG_ONBOARDING", "2"}, {"VESK_DEBUG_RECORD", film.c_str()}}));
    EXPECT_EQ(onboardingCalls, 1);
    time.advance(1.99);
    EXPECT_FALSE(diagnostics->film());
    time.advance(0.02);
    ASSERT_TRUE(diagnostics->film());
    EXPECT_TRUE(diagnostics->film()->isRecording());
    EXPECT_EQ(diagnostics->film()->variant(), FilmRecorder::Variant::full);
}

TEST_F(DebugSwitchesTest, NoSwitchesScheduleNothing)
{
    const size_t before = mainQueue().pendingCount();
    auto diagnostics = install();
    EXPECT_EQ(mainQueue().pendingCount(), before);
    EXPECT_EQ(settingsCalls + onboardingCalls, 0);
}
