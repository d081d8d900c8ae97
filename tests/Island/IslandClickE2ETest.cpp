// The built program on the X screen that scripts/run-tests starts (Xvfb, jwm, xcompmgr), clicked as
// a quick user clicks: the pointer arrives on the closed island and clicks in the same instant,
// before anything of Vesk's has seen it arrive. A click on the island opens it; a click beside it
// reaches the desktop, where jwm opens its root menu.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "IslandOnScreenSupport.h"
#include "X11ProbeSupport.h"

#include <csignal>
#include <set>

using vesk::test::waitFor;
using vesk::test::xdotool;

namespace {

class IslandClickE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !probe.ok())
            GTEST_SKIP() << "needs the X server of scripts/run-tests";
        ASSERT_TRUE(xdotool({"mousemove", "100", "850"}));
        // Past the tour, so the island starts closed.
        ASSERT_TRUE(QDir().mkpath(home.path() + "/config/vesk"));
        QFile settings(home.path() + "/config/vesk/settings.json");
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(R"({"hasSeenOnboarding":true})");
        settings.close();

        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        for (const char *name : {"VESK_DEBUG_DIR", "VESK_DEBUG_ONBOARDING", "VESK_DEBUG_RECORD", "VESK_DEBUG_STYLE"})
            env.remove(QString::fromLatin1(name));
        // The X server's own screens, not the offscreen ones the tests themselves run on.
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        vesk.setProcessEnvironment(env);
        vesk.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(vesk.waitForStarted(10000));
        const auto settled = vesk::test::settledIslandOnScreen(probe, 15000);
        ASSERT_TRUE(settled.has_value()) << vesk.readAllStandardError().toStdString();
        closed = *settled;
    }
    void TearDown() override
    {
        closeMenus();
        if (vesk.state() == QProcess::NotRunning)
            return;
        ::kill(vesk.processId(), SIGTERM);
        vesk.waitForFinished(10000);
    }

    // The viewable windows on top of the root that are not Vesk's: jwm's menus among them.
    std::set<Window> othersShown()
    {
        std::set<Window> out;
        for (Window w : probe.stacking()) {
            const auto pid = probe.cardinals(w, "_NET_WM_PID");
            if (probe.isViewable(w) && (pid.empty() || pid.front() != vesk.processId()))
                out.insert(w);
        }
        return out;
    }
    // Whether a window that was not there before has come up within a while.
    bool menuOpened(const std::set<Window> &before, int timeoutMs)
    {
        return waitFor(
            [&] {
                for (Window w : othersShown())
                    if (!before.count(w))
                        return true;
                return false;
            },
            timeoutMs);
    }
    void closeMenus()
    {
        for (int i = 0; i < 3; ++i)
            xdotool({"key", "Escape"});
    }
    bool isOpen()
    {
        const auto now = vesk::test::islandOnScreen(probe);
        return now && now->width() > closed.width() + 100;
    }
    bool isClosed()
    {
        const auto now = vesk::test::islandOnScreen(probe);
        return now && now->width() <= closed.width() + 8 && now->height() <= closed.height() + 4;
    }

    vesk::test::X11Probe probe;
    QTemporaryDir home;
    QProcess vesk;
    QRect closed;
};

}  // namespace

TEST_F(IslandClickE2ETest, APointerThatArrivesAndClicksAtOnceOpensTheIslandEveryTime)
{
    ASSERT_NEAR(closed.center().x(), 1440, 2) << "the island sits at the top centre of the X screen";
    const int x = closed.center().x(), y = closed.top() + closed.height() / 2;
    const int awayY = 600;  // below the panel
    for (int attempt = 0; attempt < 20; ++attempt) {
        // The pointer leaves, and the open island closes behind it.
        ASSERT_TRUE(xdotool({"mousemove", QString::number(x), QString::number(awayY)}));
        ASSERT_TRUE(waitFor([&] { return isClosed(); }, 10000)) << "attempt " << attempt;
        const std::set<Window> before = othersShown();
        // It comes back and clicks in one command.
        ASSERT_TRUE(xdotool({"mousemove_relative", "--", "0", QString::number(y - awayY), "click", "1"}));
        EXPECT_TRUE(waitFor([&] { return isOpen(); }, 10000)) << "attempt " << attempt << ": the click did not open the island";
        ASSERT_FALSE(menuOpened(before, 300)) << "attempt " << attempt << ": the click reached the desktop";
        if (HasFailure())
            return;
    }

    // Beside the island, inside the panel's area, the click still reaches the desktop.
    ASSERT_TRUE(xdotool({"mousemove", QString::number(x), QString::number(awayY)}));
    ASSERT_TRUE(waitFor([&] { return isClosed(); }, 10000));
    const std::set<Window> before = othersShown();
    ASSERT_TRUE(xdotool({"mousemove", QString::number(x + 300), QString::number(y), "click", "1"}));
    EXPECT_TRUE(menuOpened(before, 5000)) << "jwm's root menu opens";
    EXPECT_FALSE(isOpen());
}
