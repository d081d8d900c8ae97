// Vesk taking the volume keys on the X server and the PulseAudio server that scripts/run-tests
// starts: the key is pressed with xdotool and the default output's volume read back with pactl.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using vesk::test::pactl;
using vesk::test::runTool;
using vesk::test::waitFor;

namespace {

constexpr int normal = 65536;  // PulseAudio's 100 %

// The default output's loudest channel in PulseAudio's units.
std::optional<int> defaultVolume()
{
    const auto text = pactl({"get-sink-volume", "@DEFAULT_SINK@"});
    if (!text)
        return std::nullopt;
    const auto match = QRegularExpression(QStringLiteral(":\\s*(\\d+)\\s*/")).match(*text);
    return match.hasMatch() ? std::optional(match.captured(1).toInt()) : std::nullopt;
}

bool setDefaultVolume(int value) { return bool(pactl({"set-sink-volume", "@DEFAULT_SINK@", QString::number(value)})); }

bool press(const QString &keys) { return bool(runTool(QStringLiteral("xdotool"), {"key", keys})); }

class MediaKeysE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !defaultVolume())
            GTEST_SKIP() << "needs the X server and PulseAudio of scripts/run-tests";
        before_ = defaultVolume();
    }
    void TearDown() override
    {
        if (vesk_.state() != QProcess::NotRunning) {
            vesk::test::signalProcess(vesk_.processId(), SIGTERM);
            vesk_.waitForFinished(10000);
        }
        if (before_)
            setDefaultVolume(*before_);
    }
    void launch(bool replace)
    {
        QDir().mkpath(home_.path() + "/config/vesk");
        QFile settings(home_.path() + "/config/vesk/settings.json");
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(QStringLiteral("{\"replaceSystemHUD\": %1, \"hasSeenOnboarding\": true}")
                           .arg(replace ? "true" : "false")
                           .toUtf8());
        settings.close();
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.path() + "/config");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.path());
        vesk_.setProcessEnvironment(env);
        vesk_.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(vesk_.waitForStarted(10000));
    }
    // Presses until Vesk has taken the key (a press before the grab reaches no one), then returns
    // the volume after the press that changed it; none when no press changed anything.
    std::optional<int> pressUntilTaken(const QString &keys, int from)
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (!press(keys))
                return std::nullopt;
            if (waitFor([&] { return defaultVolume() != from; }, 500))
                return defaultVolume();
        }
        return std::nullopt;
    }

    QTemporaryDir home_;
    QProcess vesk_;
    std::optional<int> before_;
};

}  // namespace

TEST_F(MediaKeysE2ETest, RaiseVolumeStepsTheDefaultOutputBySixteenthsAndShiftAltBySixtyFourths)
{
    ASSERT_TRUE(setDefaultVolume(normal / 2));
    launch(true);
    const auto stepped = pressUntilTaken(QStringLiteral("XF86AudioRaiseVolume"), normal / 2);
    ASSERT_TRUE(stepped) << vesk_.readAllStandardError().toStdString();
    EXPECT_EQ(*stepped, normal / 2 + normal / 16);
    ASSERT_TRUE(press(QStringLiteral("shift+alt+XF86AudioRaiseVolume")));
    ASSERT_TRUE(waitFor([&] { return defaultVolume() != stepped; }, 5000));
    EXPECT_EQ(defaultVolume(), *stepped + normal / 64);
}

TEST_F(MediaKeysE2ETest, WithoutReplacingTheKeysChangeNothing)
{
    ASSERT_TRUE(setDefaultVolume(normal / 2));
    launch(false);
    // Time for Vesk to start and leave the keys alone.
    waitFor([] { return false; }, 2000);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(press(QStringLiteral("XF86AudioRaiseVolume")));
    waitFor([] { return false; }, 500);
    EXPECT_EQ(defaultVolume(), normal / 2);
    EXPECT_EQ(vesk_.state(), QProcess::Running);
}
