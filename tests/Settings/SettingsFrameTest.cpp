// Where the settings window opens: centred at its first size, or at the frame it was closed (or
// the application quit) with, when that frame is well formed and enough of it lies on a screen.
#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "App/SettingsHost.h"
#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"
#include "Settings/SettingsWindow.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace vesk;
using SettingsView::Pane;
using nlohmann::json;

namespace {

class SettingsFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        Defaults::registerTable(UserDefaults::standard(), QProcessEnvironment());
        model = NotchViewModel::makePrimary();
        ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
        screen = QGuiApplication::primaryScreen()->geometry();
    }
    void TearDown() override { UserDefaults::setStandard(std::make_unique<UserDefaults>()); }

    void store(json frame) { UserDefaults::standard().set(SettingsHost::frameKey, std::move(frame)); }
    std::optional<json> stored() const { return UserDefaults::standard().object(SettingsHost::frameKey); }

    VirtualTime time;
    std::shared_ptr<NotchViewModel> model;
    QRect screen;
};

TEST_F(SettingsFrameTest, SavedFrameNeedsFourFiniteNumbersWithAHundredPixelsSquareOnAScreen)
{
    const int x = screen.x(), y = screen.y(), r = screen.right() + 1, b = screen.bottom() + 1;
    const QRect good(x + 20, y + 30, 700, 500);
    store(json::array({good.x(), good.y(), good.width(), good.height()}));
    EXPECT_EQ(SettingsHost::savedFrame(), good);
    // Fractions are rounded to whole pixels.
    store(json::array({x + 20.4, y + 29.6, 700, 500}));
    EXPECT_EQ(SettingsHost::savedFrame(), good);

    // Exactly 100 x 100 pixels left on the screen, past each corner, still count; 99 do not.
    store(json::array({r - 100, b - 100, 700, 500}));
    EXPECT_EQ(SettingsHost::savedFrame(), QRect(r - 100, b - 100, 700, 500));
    store(json::array({x - 600, y - 400, 700, 500}));
    EXPECT_EQ(SettingsHost::savedFrame(), QRect(x - 600, y - 400, 700, 500));
    store(json::array({r - 99, y, 700, 500}));
    EXPECT_EQ(SettingsHost::savedFrame(), std::nullopt);
    store(json::array({x, b - 99, 700, 500}));
    EXPECT_EQ(SettingsHost::savedFrame(), std::nullopt);
    store(json::array({r + 500, b + 500, 700, 500}));
    EXPECT_EQ(SettingsHost::savedFrame(), std::nullopt);

    for (const json &bad : {json("10 10 700 500"), json::object({{"x", 10}}), json::array({10, 10, 700}),
                            json::array({10, 10, 700, 500, 1}), json::array({10, "10", 700, 500}),
                            json::array({10, 10, 0, 500}), json::array({10, 10, 700, -500}),
                            json::array({1e300, 10, 700, 500}), json::array({10, 10, 2e9, 500}), json(true)}) {
        store(bad);
        EXPECT_EQ(SettingsHost::savedFrame(), std::nullopt) << bad.dump();
    }
}

TEST_F(SettingsFrameTest, FirstOpeningIsCentredAtItsFirstSize)
{
    SettingsHost host(*model, QProcessEnvironment());
    host.showSettings();
    ASSERT_NE(host.settingsWindow(), nullptr);
    const QRect frame = host.settingsWindow()->geometry();
    EXPECT_EQ(frame.size(), QSize(760, 640));
    EXPECT_LE(std::abs(frame.center().x() - QGuiApplication::primaryScreen()->availableGeometry().center().x()), 1);
    EXPECT_EQ(host.settingsWindow()->minimumSize(), QSize(640, 480));
    EXPECT_EQ(stored(), std::nullopt);  // opening saves nothing
}

TEST_F(SettingsFrameTest, ClosingSavesTheFrameAndTheNextWindowOpensThereOnTheLastPane)
{
    SettingsHost host(*model, QProcessEnvironment());
    host.showSettings();
    const QRect moved(screen.x() + 13, screen.y() + 21, 700, 520);
    host.settingsWindow()->setGeometry(moved);
    host.settingsWindow()->selection().go(Pane::notch);
    time.flush();
    host.closeSettings();
    EXPECT_EQ(stored(), json::array({moved.x(), moved.y(), moved.width(), moved.height()}));
    time.flush();
    ASSERT_EQ(host.settingsWindow(), nullptr);

    host.showSettings();
    ASSERT_NE(host.settingsWindow(), nullptr);
    EXPECT_EQ(host.settingsWindow()->geometry(), moved);
    EXPECT_EQ(host.settingsWindow()->selection().pane().peek(), Pane::notch);
    EXPECT_EQ(host.settingsWindow()->windowTitle(), "Notch");

    // The frame lies outside the settings table: a reset keeps it.
    Defaults::reset();
    EXPECT_EQ(SettingsHost::savedFrame(), moved);
}

TEST_F(SettingsFrameTest, QuittingWithTheWindowOpenSavesTheFrame)
{
    const QRect moved(screen.x() + 40, screen.y() + 8, 720, 600);
    {
        SettingsHost host(*model, QProcessEnvironment());
        host.showSettings();
        host.settingsWindow()->setGeometry(moved);
    }
    EXPECT_EQ(SettingsHost::savedFrame(), moved);
    // Quitting without a window leaves the saved frame alone.
    {
        SettingsHost host(*model, QProcessEnvironment());
    }
    EXPECT_EQ(SettingsHost::savedFrame(), moved);
}

TEST_F(SettingsFrameTest, AMalformedOrOffScreenFrameOpensCentredAndIsReplacedOnClose)
{
    for (const json &bad : {json::array({screen.right() + 200, screen.y(), 700, 500}), json::array({1, 2, 3}),
                            json("wide")}) {
        store(bad);
        SettingsHost host(*model, QProcessEnvironment());
        host.showSettings();
        const QRect frame = host.settingsWindow()->geometry();
        EXPECT_EQ(frame.size(), QSize(760, 640)) << bad.dump();
        EXPECT_TRUE(screen.contains(frame.center())) << bad.dump();
        host.closeSettings();
        time.flush();
        EXPECT_EQ(SettingsHost::savedFrame(), frame) << bad.dump();
    }
}

}  // namespace
